#include "metrics/MetricsEndpoint.h"

#include <QSocketNotifier>
#include <QTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Connections that wait in the kernel while every place here is taken.
constexpr int kBacklog = 64;
constexpr std::chrono::seconds kAcceptRetry { 1 };

bool Retry(int error) { return error == EINTR; }

bool WouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

}

// The notifiers and the deadline hang on one holder, which goes with deleteLater: a connection is often dropped
// from inside one of their own signals.
struct MetricsEndpoint::Connection {
    int socket = -1;
    std::string head;
    // The response still to send, from sent on.
    std::string response;
    size_t sent = 0;
    bool answered = false;
    QObject* holder = nullptr;
    QSocketNotifier* readable = nullptr;
    QSocketNotifier* writable = nullptr;
    QTimer* deadline = nullptr;
};

MetricsEndpoint::MetricsEndpoint(const MetricsResponder& responder, Limits limits)
    : mResponder(responder)
    , mLimits(limits)
{
}

MetricsEndpoint::~MetricsEndpoint()
{
    for (auto& [socket, connection] : mConnections) {
        delete connection->holder;
        ::close(socket);
    }
    mAccepting.reset();
    if (mListening >= 0)
        ::close(mListening);
}

bool MetricsEndpoint::Listen(const MetricsAddress& address, std::string& error)
{
    sockaddr_storage storage {};
    socklen_t length = 0;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
    if (::inet_pton(AF_INET, address.host.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(address.port);
        length = sizeof(sockaddr_in);
    } else if (::inet_pton(AF_INET6, address.host.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(address.port);
        length = sizeof(sockaddr_in6);
    } else {
        error = "cannot listen at " + address.ToString() + ": not an IP address";
        return false;
    }
    int socket = ::socket(storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socket < 0) {
        error = "cannot listen at " + address.ToString() + ": " + std::strerror(errno);
        return false;
    }
    // A restarted Kelvara takes its port back at once, though the last run's connections linger in TIME_WAIT.
    int on = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(socket, reinterpret_cast<sockaddr*>(&storage), length) != 0 || ::listen(socket, kBacklog) != 0) {
        error = "cannot listen at " + address.ToString() + ": " + std::strerror(errno);
        ::close(socket);
        return false;
    }
    ::getsockname(socket, reinterpret_cast<sockaddr*>(&storage), &length);
    mPort = ntohs(storage.ss_family == AF_INET ? v4->sin_port : v6->sin6_port);
    mListening = socket;
    mAccepting = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
    QObject::connect(mAccepting.get(), &QSocketNotifier::activated, mAccepting.get(), [this] { AcceptWaiting(); });
    mAcceptRetry = std::make_unique<QTimer>();
    mAcceptRetry->setSingleShot(true);
    QObject::connect(mAcceptRetry.get(), &QTimer::timeout, mAcceptRetry.get(), [this] { AcceptWaiting(); });
    return true;
}

void MetricsEndpoint::AcceptWaiting()
{
    while (mConnections.size() < mLimits.connections) {
        int socket = ::accept4(mListening, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (socket < 0) {
            int error = errno;
            if (Retry(error) || error == ECONNABORTED)
                continue;
            if (!WouldBlock(error)) {
                // Out of descriptors or memory: the waiting connection stays in the backlog, and accepting
                // pauses for a while rather than spinning on a listening socket that stays readable.
                std::cerr << "Kelvara: the metrics endpoint cannot take a connection: " << std::strerror(error)
                          << "\n";
                mAccepting->setEnabled(false);
                mAcceptRetry->start(kAcceptRetry);
                return;
            }
            break;
        }
        auto connection = std::make_unique<Connection>();
        connection->socket = socket;
        mConnections.emplace(socket, std::move(connection));
        // A client sends its request as it connects: it is most often here already.
        Read(socket);
        if (auto left = mConnections.find(socket); left != mConnections.end())
            Watch(*left->second);
    }
    // Connections past the limit are left in the kernel's backlog, not taken into memory here.
    mAccepting->setEnabled(mConnections.size() < mLimits.connections);
}

void MetricsEndpoint::Watch(Connection& connection)
{
    if (connection.holder != nullptr)
        return;
    int socket = connection.socket;
    connection.holder = new QObject;
    connection.readable = new QSocketNotifier(socket, QSocketNotifier::Read, connection.holder);
    connection.writable = new QSocketNotifier(socket, QSocketNotifier::Write, connection.holder);
    connection.writable->setEnabled(connection.sent < connection.response.size());
    connection.deadline = new QTimer(connection.holder);
    connection.deadline->setSingleShot(true);
    QObject::connect(
        connection.readable, &QSocketNotifier::activated, connection.holder, [this, socket] { Read(socket); });
    QObject::connect(
        connection.writable, &QSocketNotifier::activated, connection.holder, [this, socket] { Write(socket); });
    QObject::connect(connection.deadline, &QTimer::timeout, connection.holder, [this, socket] { Drop(socket); });
    connection.deadline->start(mLimits.readTimeout);
}

void MetricsEndpoint::Read(int socket)
{
    auto found = mConnections.find(socket);
    if (found == mConnections.end())
        return;
    Connection& connection = *found->second;
    for (;;) {
        // Never more than the limit and one more byte: that byte tells a head that is too long. Once the
        // request is answered, whatever else the client sends is read and let go until it closes.
        char buffer[4096];
        size_t room = connection.answered ? sizeof buffer
                                          : std::min(sizeof buffer, mLimits.headerBytes + 1 - connection.head.size());
        ssize_t got = ::recv(socket, buffer, room, 0);
        if (got < 0 && Retry(errno))
            continue;
        if (got < 0 && WouldBlock(errno))
            return;
        if (got <= 0) {
            Drop(socket);
            return;
        }
        if (connection.answered)
            continue;
        connection.head.append(buffer, static_cast<size_t>(got));
        size_t end = connection.head.find("\r\n\r\n");
        if (end == std::string::npos)
            end = connection.head.find("\n\n");
        if (end != std::string::npos && end + 2 <= mLimits.headerBytes) {
            Answer(connection, mResponder.Respond(std::string_view(connection.head).substr(0, end + 2)));
            return;
        }
        if (connection.head.size() > mLimits.headerBytes) {
            Answer(connection, MetricsResponder::HeadTooLarge());
            return;
        }
    }
}

void MetricsEndpoint::Answer(Connection& connection, std::string response)
{
    connection.answered = true;
    connection.head = {};
    connection.response = std::move(response);
    // The response leaves as the client reads it; the deadline still drops a client that never does.
    Write(connection.socket);
}

void MetricsEndpoint::Write(int socket)
{
    auto found = mConnections.find(socket);
    if (found == mConnections.end())
        return;
    Connection& connection = *found->second;
    while (connection.sent < connection.response.size()) {
        ssize_t put = ::send(socket, connection.response.data() + connection.sent,
            connection.response.size() - connection.sent, MSG_NOSIGNAL);
        if (put < 0 && Retry(errno))
            continue;
        if (put < 0 && WouldBlock(errno)) {
            Watch(connection);
            connection.writable->setEnabled(true);
            return;
        }
        if (put < 0) {
            Drop(socket);
            return;
        }
        connection.sent += static_cast<size_t>(put);
    }
    if (connection.writable != nullptr)
        connection.writable->setEnabled(false);
    connection.response = {};
    // Every response closes the connection. Closing only the sending side first lets the client read the
    // whole response: a socket closed with unread bytes from the client would reset the connection and could
    // take the end of the response with it. With nothing unread, the socket closes now; else the client's
    // close, or the deadline, ends the connection.
    ::shutdown(socket, SHUT_WR);
    int unread = 0;
    if (::ioctl(socket, FIONREAD, &unread) == 0 && unread == 0)
        Drop(socket);
}

void MetricsEndpoint::Drop(int socket)
{
    auto found = mConnections.find(socket);
    if (found == mConnections.end())
        return;
    Connection& connection = *found->second;
    if (connection.holder != nullptr) {
        connection.readable->setEnabled(false);
        connection.writable->setEnabled(false);
        connection.deadline->stop();
        connection.holder->deleteLater();
    }
    ::close(socket);
    mConnections.erase(found);
    // The listening socket stays readable while connections wait: the next turn of the loop takes them.
    if (mAccepting && mConnections.size() < mLimits.connections)
        mAccepting->setEnabled(true);
}
