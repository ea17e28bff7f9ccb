// The version check: fetches the product-information file named by an http URL with one HTTP/1.0
// request and compares the version published there with this program's version text.
#pragma once

#include "platform/TcpClient.h"
#include "report/MacPADReply.h"
#include "report/ProductURL.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>

// The whole check, name lookup included, ends within this time whatever the server does.
constexpr std::chrono::milliseconds kMacPADTimeLimit { 10'000 };

// Runs the check and returns its code (MacPADResult). The published version and, when it differs, the
// release notes are stored in the out-parameters (empty when not found). A check that runs out of time
// gives 2 when nothing arrived, else the code of what did.
int MacPADCheck(const char* currentVersion, const char* url, std::optional<std::string>& releaseNotes,
    std::optional<std::string>& publishedVersion, std::chrono::milliseconds timeLimit = kMacPADTimeLimit);

// Connects to the URL's host and sends the request; null after setting error to 2 when the connection
// cannot be made or the request line cannot be sent.
std::unique_ptr<TcpClient> InitWebSocket(const ProductURL& url, int& error, TcpClient::Deadline deadline);

// Receives the reply into memory, header skipped, until the peer closes, the body is complete, an error
// occurs or the deadline passes (then timedOut is set), and closes the connection. Returns the number of
// body bytes kept.
size_t SaveToFileOrBuffer(TcpClient& connection, MacPADReply& reply, TcpClient::Deadline deadline, bool& timedOut);
