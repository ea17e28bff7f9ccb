#include "tests/report/LocalReplyServer.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int ListenOnLoopback(uint16_t& port)
{
    int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(listener, 4) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    port = ntohs(address.sin_port);
    return listener;
}

// Waits (at most 20 seconds) until the client closes the connection.
void WaitForClose(int socket)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    char buffer[4096];
    while (std::chrono::steady_clock::now() < end) {
        pollfd readable { socket, POLLIN, 0 };
        if (::poll(&readable, 1, 100) > 0 && ::recv(socket, buffer, sizeof buffer, 0) <= 0)
            return;
    }
}

}

LocalReplyServer::LocalReplyServer(Answer answer)
    : mListener(ListenOnLoopback(mPort))
    , mThread([this, answer = std::move(answer)] { Serve(answer); })
{
}

LocalReplyServer::~LocalReplyServer()
{
    Finish();
    ::close(mListener);
}

// Shutting the listener down wakes a server still waiting for a connection.
void LocalReplyServer::Finish()
{
    if (!mThread.joinable())
        return;
    ::shutdown(mListener, SHUT_RDWR);
    mThread.join();
}

std::string LocalReplyServer::Request()
{
    Finish();
    return mRequest;
}

size_t LocalReplyServer::BytesSent()
{
    Finish();
    return mSent;
}

void LocalReplyServer::Serve(const Answer& answer)
{
    pollfd waiting { mListener, POLLIN, 0 };
    if (::poll(&waiting, 1, 20'000) <= 0)
        return;
    int socket = ::accept4(mListener, nullptr, nullptr, SOCK_CLOEXEC);
    if (socket < 0)
        return;
    // The request ends with an empty line; a client that stops short is answered anyway after 5 seconds.
    char buffer[4096];
    while (mRequest.find("\r\n\r\n") == std::string::npos) {
        pollfd readable { socket, POLLIN, 0 };
        ssize_t count = ::poll(&readable, 1, 5'000) > 0 ? ::recv(socket, buffer, sizeof buffer, 0) : 0;
        if (count <= 0)
            break;
        mRequest.append(buffer, static_cast<size_t>(count));
    }
    answer(*this, socket);
    ::close(socket);
}

bool LocalReplyServer::Send(int socket, const std::string& bytes)
{
    for (size_t done = 0; done < bytes.size();) {
        ssize_t sent = ::send(socket, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        done += static_cast<size_t>(sent);
        mSent += static_cast<size_t>(sent);
    }
    return true;
}

LocalReplyServer::Answer LocalReplyServer::Reply(std::string bytes)
{
    return [bytes = std::move(bytes)](LocalReplyServer& server, int socket) { server.Send(socket, bytes); };
}

LocalReplyServer::Answer LocalReplyServer::Silent()
{
    return [](LocalReplyServer&, int socket) { WaitForClose(socket); };
}

LocalReplyServer::Answer LocalReplyServer::EndlessHeader()
{
    return [](LocalReplyServer& server, int socket) {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        server.Send(socket, "HTTP/1.0 200 OK\r\nX-Endless: ");
        while (std::chrono::steady_clock::now() < end && server.Send(socket, std::string(1024, 'a')))
            ::usleep(1000);
    };
}

LocalReplyServer::Answer LocalReplyServer::Flood(std::string head, size_t total)
{
    return [head = std::move(head), total](LocalReplyServer& server, int socket) {
        std::string filler(64 * 1024, 'x');
        if (!server.Send(socket, head))
            return;
        for (size_t sent = head.size(); sent < total && server.Send(socket, filler);)
            sent += filler.size();
    };
}

uint16_t LocalReplyServer::ClosedPort()
{
    uint16_t port = 0;
    ::close(ListenOnLoopback(port));
    return port;
}
