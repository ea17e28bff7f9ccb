#include "report/MacPADCheck.h"

#include <cstdio>
#include <new>

namespace {

void Report(const char* what, const TcpClient& connection)
{
    std::fprintf(stderr, "MacPADCheck: %s: %s\n", what, connection.ErrorText().c_str());
}

}

std::unique_ptr<TcpClient> InitWebSocket(const ProductURL& url, int& error, TcpClient::Deadline deadline)
{
    auto connection = std::make_unique<TcpClient>();
    auto fail = [&](const char* what) {
        Report(what, *connection);
        error = kMacPADNetworkFailure;
        return std::unique_ptr<TcpClient> {};
    };
    if (!connection->Open())
        return fail("error creating socket");
    if (connection->Connect(url.name, url.port, deadline) != TcpClient::Status::Done)
        return fail("Host not found.");
    if (connection->Send(MacPADRequestLine(url), deadline) != TcpClient::Status::Done)
        return fail("error TCP send");
    // The rest of the request may fail unnoticed: the reply, or its absence, tells.
    if (connection->Send(MacPADRequestFields(url), deadline) != TcpClient::Status::Done)
        Report("error TCP send", *connection);
    return connection;
}

size_t SaveToFileOrBuffer(TcpClient& connection, MacPADReply& reply, TcpClient::Deadline deadline, bool& timedOut)
{
    timedOut = false;
    char buffer[4096];
    for (;;) {
        size_t received = 0;
        TcpClient::Status status = connection.Receive(buffer, sizeof buffer, received, deadline);
        if (status == TcpClient::Status::TimedOut) {
            std::fprintf(stderr, "MacPADCheck: the server did not finish its answer in time\n");
            timedOut = true;
            break;
        }
        if (status == TcpClient::Status::Failed) {
            Report("error TCP receive", connection);
            break;
        }
        // What follows a complete body is never read.
        if (received == 0 || !reply.Take(std::string_view(buffer, received)))
            break;
    }
    connection.Close();
    return reply.GetBody().size();
}

int MacPADCheck(const char* currentVersion, const char* url, std::optional<std::string>& releaseNotes,
    std::optional<std::string>& publishedVersion, std::chrono::milliseconds timeLimit)
{
    releaseNotes.reset();
    publishedVersion.reset();
    TcpClient::Deadline deadline = std::chrono::steady_clock::now() + timeLimit;
    if (currentVersion == nullptr || *currentVersion == '\0' || url == nullptr || *url == '\0') {
        std::fprintf(stderr, "MacPADCheck: no version text or no product information address\n");
        return kMacPADBadRequest;
    }
    try {
        ProductURL target;
        if (!SplitProductURL(url, target))
            return kMacPADBadRequest;
        int error = 0;
        std::unique_ptr<TcpClient> connection = InitWebSocket(target, error, deadline);
        if (!connection)
            return error;
        MacPADReply reply;
        bool timedOut = false;
        SaveToFileOrBuffer(*connection, reply, deadline, timedOut);
        if (timedOut && !reply.HasReceivedAnything())
            return kMacPADNetworkFailure;
        return MacPADReadBody(reply.GetBody(), currentVersion, releaseNotes, publishedVersion);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "MacPADCheck: out of memory\n");
        releaseNotes.reset();
        publishedVersion.reset();
        return kMacPADOutOfMemory;
    }
}
