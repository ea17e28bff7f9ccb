// A TCP connection over POSIX sockets in which every step, the name lookup included, ends by a deadline:
// a peer that never answers, or answers a byte at a time, cannot hold the program up past it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class TcpClient {
public:
    using Deadline = std::chrono::steady_clock::time_point;
    enum class Status { Done, TimedOut, Failed };

    TcpClient() = default;
    // Closes the connection.
    ~TcpClient();
    TcpClient(const TcpClient&) = delete;
    TcpClient& operator=(const TcpClient&) = delete;

    // Creates the socket (IPv4, stream); false when the system refuses one.
    bool Open();
    // Looks host up (its first IPv4 address) and connects to port. A name that does not resolve fails
    // without connecting anywhere.
    Status Connect(const std::string& host, uint16_t port, Deadline deadline);
    // Sends every byte.
    Status Send(std::string_view bytes, Deadline deadline);
    // Waits for the next bytes and stores up to size of them in buffer; received 0 with Done means that
    // the peer closed the connection.
    Status Receive(char* buffer, size_t size, size_t& received, Deadline deadline);
    void Close();

    // What went wrong in the last step that did not succeed, for messages.
    const std::string& ErrorText() const { return mError; }

    // The first IPv4 address of host in network byte order; false (with the reason) when it has none or
    // the lookup does not finish by the deadline.
    static bool ResolveIPv4(const std::string& host, Deadline deadline, uint32_t& address, std::string& error);

private:
    // Waits until the socket is ready for events (poll's flags); TimedOut at the deadline.
    Status WaitFor(short events, Deadline deadline);
    Status Fail(int error);

    int mSocket = -1;
    std::string mError;
};
