#include "platform/TcpClient.h"

#include <arpa/inet.h>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {

// One lookup, shared by the thread that runs it and the caller that waits for it: a caller that gives up
// at its deadline leaves the thread to finish alone, and whichever lets go last frees it.
struct Lookup {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    int result = 0;
    int systemError = 0;
    uint32_t address = 0;
};

void RunLookup(const std::shared_ptr<Lookup>& lookup, const std::string& host)
{
    addrinfo hints {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    int result = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    int systemError = errno;
    uint32_t address = 0;
    if (result == 0 && found != nullptr && found->ai_family == AF_INET)
        address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    else if (result == 0)
        result = EAI_NONAME;
    if (found != nullptr)
        ::freeaddrinfo(found);
    std::lock_guard lock(lookup->mutex);
    lookup->done = true;
    lookup->result = result;
    lookup->systemError = systemError;
    lookup->address = address;
    lookup->finished.notify_all();
}

int MillisecondsUntil(TcpClient::Deadline deadline)
{
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0)
        return 0;
    return left > 60'000 ? 60'000 : static_cast<int>(left);
}

}

TcpClient::~TcpClient()
{
    Close();
}

bool TcpClient::Open()
{
    Close();
    mSocket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (mSocket < 0) {
        mError = std::strerror(errno);
        return false;
    }
    return true;
}

void TcpClient::Close()
{
    if (mSocket >= 0)
        ::close(mSocket);
    mSocket = -1;
}

bool TcpClient::ResolveIPv4(const std::string& host, Deadline deadline, uint32_t& address, std::string& error)
{
    in_addr numeric {};
    if (::inet_pton(AF_INET, host.c_str(), &numeric) == 1) {
        address = numeric.s_addr;
        return true;
    }
    // The system's lookup cannot be given a time limit, so it runs on a thread of its own.
    auto lookup = std::make_shared<Lookup>();
    try {
        std::thread([lookup, host] { RunLookup(lookup, host); }).detach();
    } catch (const std::system_error& failure) {
        error = std::string("the name lookup cannot start: ") + failure.what();
        return false;
    }
    std::unique_lock lock(lookup->mutex);
    if (!lookup->finished.wait_until(lock, deadline, [&] { return lookup->done; })) {
        error = "the name lookup did not finish in time";
        return false;
    }
    if (lookup->result != 0) {
        error = lookup->result == EAI_SYSTEM ? std::strerror(lookup->systemError) : ::gai_strerror(lookup->result);
        return false;
    }
    address = lookup->address;
    return true;
}

TcpClient::Status TcpClient::Fail(int error)
{
    mError = std::strerror(error);
    return Status::Failed;
}

TcpClient::Status TcpClient::WaitFor(short events, Deadline deadline)
{
    for (;;) {
        pollfd entry { mSocket, events, 0 };
        int ready = ::poll(&entry, 1, MillisecondsUntil(deadline));
        if (ready > 0)
            return Status::Done; // ready, or an error or hang-up that the next call reports
        if (ready < 0 && errno != EINTR)
            return Fail(errno);
        if (ready == 0 && std::chrono::steady_clock::now() >= deadline) {
            mError = "timed out";
            return Status::TimedOut;
        }
    }
}

TcpClient::Status TcpClient::Connect(const std::string& host, uint16_t port, Deadline deadline)
{
    if (mSocket < 0)
        return Fail(EBADF);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (!ResolveIPv4(host, deadline, address.sin_addr.s_addr, mError))
        return std::chrono::steady_clock::now() >= deadline ? Status::TimedOut : Status::Failed;
    if (::connect(mSocket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return Status::Done;
    if (errno != EINPROGRESS && errno != EINTR)
        return Fail(errno);
    if (Status waited = WaitFor(POLLOUT, deadline); waited != Status::Done)
        return waited;
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(mSocket, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        return Fail(errno);
    return error == 0 ? Status::Done : Fail(error);
}

TcpClient::Status TcpClient::Send(std::string_view bytes, Deadline deadline)
{
    if (mSocket < 0)
        return Fail(EBADF);
    while (!bytes.empty()) {
        // No SIGPIPE: a peer that has gone away is a failed send, not the end of the program.
        ssize_t sent = ::send(mSocket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent >= 0) {
            bytes.remove_prefix(static_cast<size_t>(sent));
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return Fail(errno);
        if (Status waited = WaitFor(POLLOUT, deadline); waited != Status::Done)
            return waited;
    }
    return Status::Done;
}

TcpClient::Status TcpClient::Receive(char* buffer, size_t size, size_t& received, Deadline deadline)
{
    received = 0;
    if (mSocket < 0)
        return Fail(EBADF);
    // A peer that keeps sending must not keep the caller past the deadline either.
    if (std::chrono::steady_clock::now() >= deadline) {
        mError = "timed out";
        return Status::TimedOut;
    }
    for (;;) {
        ssize_t count = ::recv(mSocket, buffer, size, 0);
        if (count >= 0) {
            received = static_cast<size_t>(count);
            return Status::Done;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return Fail(errno);
        if (Status waited = WaitFor(POLLIN, deadline); waited != Status::Done)
            return waited;
    }
}
