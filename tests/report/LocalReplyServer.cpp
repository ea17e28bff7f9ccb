#include "tests/report/LocalReplyServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstdint>
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
    // No wait on the client, for its request or for room to send, lasts more than 20 seconds.
    timeval limit { 20, 0 };
    ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    char buffer[4096];
    for (ssize_t count = 1; count > 0 && mRequest.find("\r\n\r\n") == std::string::npos;) {
        count = ::recv(socket, buffer, sizeof buffer, 0);
        mRequest.append(buffer, static_cast<size_t>(std::max<ssize_t>(count, 0)));
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
    return Flood(std::move(bytes), 0);
}

LocalReplyServer::Answer LocalReplyServer::Silent()
{
    return [](LocalReplyServer&, int socket) {
        char buffer[4096];
        while (::recv(socket, buffer, sizeof buffer, 0) > 0) { }
    };
}

LocalReplyServer::Answer LocalReplyServer::EndlessHeader()
{
    return Flood("HTTP/1.0 200 OK\r\nX-Endless: ", SIZE_MAX);
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
