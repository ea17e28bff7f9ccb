// The HTTP endpoint that Prometheus scrapes, served from the event loop. It holds at most a fixed number
// of connections (more wait in the kernel's backlog until one ends), reads at most a fixed number of header
// bytes, and drops a connection that has not been answered and closed within its time, so that a flood of
// connections or a slowloris costs bounded memory; a scrape is answered from readings already in memory.
#pragma once

#include "metrics/MetricsAddress.h"
#include "metrics/MetricsResponder.h"

#include <QTcpServer>

#include <chrono>
#include <map>
#include <memory>
#include <string>

class QTcpSocket;

class MetricsEndpoint {
public:
    struct Limits {
        size_t connections = 16;
        size_t headerBytes = 8 * 1024;
        // From the connection's start to the end of its request's head.
        std::chrono::milliseconds readTimeout { 5000 };
    };

    MetricsEndpoint(const MetricsResponder& responder, Limits limits);
    explicit MetricsEndpoint(const MetricsResponder& responder)
        : MetricsEndpoint(responder, Limits())
    {
    }
    ~MetricsEndpoint();
    MetricsEndpoint(const MetricsEndpoint&) = delete;
    MetricsEndpoint& operator=(const MetricsEndpoint&) = delete;

    // Listens at address; false with error saying why when it cannot.
    bool Listen(const MetricsAddress& address, std::string& error);
    // The port listened at (the one the system chose for port 0).
    uint16_t GetPort() const { return mServer.serverPort(); }
    size_t CountConnections() const { return mConnections.size(); }

private:
    struct Connection;

    void AcceptWaiting();
    void Read(QTcpSocket* socket);
    void Answer(QTcpSocket* socket, const std::string& response);
    void Drop(QTcpSocket* socket);

    const MetricsResponder& mResponder;
    Limits mLimits;
    QTcpServer mServer;
    std::map<QTcpSocket*, std::unique_ptr<Connection>> mConnections;
};
