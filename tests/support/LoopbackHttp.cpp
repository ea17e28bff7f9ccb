#include "tests/support/LoopbackHttp.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <arpa/inet.h>
#include <future>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace LoopbackHttp {

int Connect(uint16_t port, int receiveBuffer)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    // Set before the connection, so that the window the server sees is small from the start.
    if (receiveBuffer > 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    timeval wait { 10, 0 };
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    return fd;
}

std::string ReadAll(int fd)
{
    std::string all;
    char buffer[4096];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        all.append(buffer, static_cast<size_t>(got));
    return all;
}

std::string Exchange(uint16_t port, const std::string& request)
{
    auto exchange = std::async(std::launch::async, [port, request] {
        int fd = Connect(port);
        if (fd < 0)
            return std::string();
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        std::string response = ReadAll(fd);
        ::close(fd);
        return response;
    });
    Serve([&] { return exchange.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready; });
    return exchange.get();
}

void Serve(const std::function<bool()>& done, std::chrono::milliseconds most)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < most.count() && !(done && done()))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

}
