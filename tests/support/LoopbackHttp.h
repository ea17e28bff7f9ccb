// Plain HTTP over a real TCP connection to a server on this machine that the test's own event loop serves:
// the client runs on a thread of its own while the event loop turns.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace LoopbackHttp {

// A blocking connection to 127.0.0.1:port (reads time out after 10 s); -1 when it cannot connect. A
// receiveBuffer of some bytes keeps the server's writes short (0: the system's own size).
int Connect(uint16_t port, int receiveBuffer = 0);
// Everything the server sends until it closes the connection.
std::string ReadAll(int fd);
// Sends request on a new connection and returns the whole response, serving the event loop meanwhile.
std::string Exchange(uint16_t port, const std::string& request);
// Runs the event loop until done() holds, or for the given time when done is empty.
void Serve(const std::function<bool()>& done, std::chrono::milliseconds most = std::chrono::seconds(30));

}
