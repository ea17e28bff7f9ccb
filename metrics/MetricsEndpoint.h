// The HTTP endpoint that Prometheus scrapes, served from the event loop over the system's own sockets, so
// that the program without windows needs no network library. It holds at most a fixed number of connections
// (more wait in the kernel's backlog until one ends), reads at most a fixed number of header bytes, and drops
// a connection that has not been answered and closed within its time, so that a flood of connections or a
// slowloris costs bounded memory; a scrape is answered from readings already in memory. A scrape whose request
// is already there when it is accepted is answered and closed then, in one turn of the event loop.
#pragma once

#include "metrics/MetricsAddress.h"
#include "metrics/MetricsResponder.h"

#include <chrono>
#include <map>
#include <memory>
#include <string>

class QObject;
class QSocketNotifier;
class QTimer;

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
    uint16_t GetPort() const { return mPort; }
    size_t CountConnections() const { return mConnections.size(); }

private:
    struct Connection;

    void AcceptWaiting();
    // Gives a connection that cannot be done with at once its notifiers and its deadline.
    void Watch(Connection& connection);
    void Read(int socket);
    void Answer(Connection& connection, std::string response);
    void Write(int socket);
    void Drop(int socket);

    const MetricsResponder& mResponder;
    Limits mLimits;
    int mListening = -1;
    uint16_t mPort = 0;
    std::unique_ptr<QSocketNotifier> mAccepting;
    // Brings accepting back after the system refused a connection for want of descriptors or memory.
    std::unique_ptr<QTimer> mAcceptRetry;
    std::map<int, std::unique_ptr<Connection>> mConnections;
};
