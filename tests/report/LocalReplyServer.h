// A stand-in for the product-information server: it listens on 127.0.0.1 at a free port, takes one
// connection on a thread of its own, records the request it receives and answers as the test says.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

class LocalReplyServer {
public:
    // What the server does once it has the request: write to the connected socket (through Send).
    using Answer = std::function<void(LocalReplyServer& server, int socket)>;

    explicit LocalReplyServer(Answer answer);
    // Stops waiting for a connection, and waits for the answer to end.
    ~LocalReplyServer();

    uint16_t Port() const { return mPort; }
    std::string URL() const { return "http://127.0.0.1:" + std::to_string(mPort) + "/p/info.plist"; }
    // The bytes received before answering (none when nobody connected); waits for the connection to end.
    std::string Request();
    // The bytes that the answer could send before the client went away.
    size_t BytesSent();

    // Sends bytes, then closes.
    static Answer Reply(std::string bytes);
    // Sends nothing and keeps the connection open until the client closes it (at most 20 seconds).
    static Answer Silent();
    // Sends a header line that never ends, until the client closes the connection.
    static Answer EndlessHeader();
    // Sends head, then filler up to total bytes, or until the client closes the connection.
    static Answer Flood(std::string head, size_t total);

    // Sends bytes unless the client has gone; false then.
    bool Send(int socket, const std::string& bytes);
    // A port on 127.0.0.1 where nobody listens.
    static uint16_t ClosedPort();

private:
    void Serve(const Answer& answer);
    void Finish();

    uint16_t mPort = 0;
    int mListener;
    std::string mRequest;
    std::atomic<size_t> mSent { 0 };
    std::thread mThread; // last: it starts once everything else is there
};
