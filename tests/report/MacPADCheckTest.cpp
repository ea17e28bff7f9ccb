// The whole version check against a real server on this machine.
#include "report/MacPADCheck.h"
#include "tests/report/LocalReplyServer.h"
#include "tests/report/ProductInformation.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using ProductInformation::File;
using ProductInformation::Reply;

constexpr const char* kOurVersion = "1.0.0";
constexpr size_t kFiftyMegabytes = 50u * 1024 * 1024;

struct NetworkCase {
    std::string name;
    // Without an answer no server runs.
    LocalReplyServer::Answer answer;
    // The URL checked, given the server's port; the server's own URL when empty.
    std::function<std::string(uint16_t port)> url;
    int code;
    // Whether the server receives the request.
    bool reached;
    std::string message;
    std::chrono::milliseconds limit = kMacPADTimeLimit;
};

std::vector<NetworkCase> NetworkCases()
{
    return {
        { "NewVersionPublished", LocalReplyServer::Reply(Reply(File("2.0", "Faster."))), {}, 5, true, "" },
        { "SameVersionPublished", LocalReplyServer::Reply(Reply(File(kOurVersion))), {}, 0, true, "" },
        { "ErrorPage", LocalReplyServer::Reply("HTTP/1.0 404 Not Found\r\n\r\n<html>gone</html>"), {}, 3, true, "" },
        { "VersionValueMissing", LocalReplyServer::Reply(Reply("<key>padVersion</key>")), {}, 4, true, "" },
        { "ClosedWithoutAnswer", LocalReplyServer::Reply(""), {}, 3, true, "" },
        { "NeverAnswers", LocalReplyServer::Silent(), {}, 2, true, "did not finish its answer in time", 300ms },
        { "EndlessHeaderLine", LocalReplyServer::EndlessHeader(), {}, 3, true, "did not finish its answer in time",
            300ms },
        { "FiftyMegabyteReply",
            LocalReplyServer::Flood("HTTP/1.0 200 OK\r\n\r\n" + File("2.0", "Faster."), kFiftyMegabytes), {}, 5, true,
            "" },
        { "ConnectionRefused", {},
            [](uint16_t) { return "http://127.0.0.1:" + std::to_string(LocalReplyServer::ClosedPort()) + "/p"; }, 2,
            false, "MacPADCheck: Host not found.: Connection refused" },
        // Connecting to 0.0.0.0 instead would reach this machine's own server.
        { "NameDoesNotResolve", LocalReplyServer::Reply(Reply(File("2.0", "Faster."))),
            [](uint16_t port) { return "http://kelvara.invalid:" + std::to_string(port) + "/p/info.plist"; }, 2, false,
            "MacPADCheck: Host not found.", 2000ms },
        { "NotHttp", LocalReplyServer::Reply(Reply(File("2.0", "Faster."))),
            [](uint16_t port) { return "ftp://127.0.0.1:" + std::to_string(port) + "/p/info.plist"; }, 1, false,
            "does not start with http://" },
    };
}

class MacPADCheckOverTheNetwork : public ::testing::TestWithParam<NetworkCase> { };

}

TEST_P(MacPADCheckOverTheNetwork, EndsWithItsCode)
{
    const NetworkCase& row = GetParam();
    std::optional<LocalReplyServer> server;
    if (row.answer)
        server.emplace(row.answer);
    uint16_t port = server ? server->Port() : 0;
    std::string url = row.url ? row.url(port) : server->URL();

    std::optional<std::string> notes;
    std::optional<std::string> version;
    testing::internal::CaptureStderr();
    auto start = std::chrono::steady_clock::now();
    int code = MacPADCheck(kOurVersion, url.c_str(), notes, version, row.limit);
    auto elapsed = std::chrono::steady_clock::now() - start;
    std::string messages = testing::internal::GetCapturedStderr();

    EXPECT_EQ(code, row.code);
    EXPECT_NE(messages.find(row.message), std::string::npos) << messages;
    // Well within the servers' own 20 seconds, however they behave.
    EXPECT_LT(elapsed, row.limit + 5s);
    if (code == kMacPADNewVersion) {
        EXPECT_EQ(version, "2.0");
        EXPECT_EQ(notes, "Faster.");
    }
    if (!server)
        return;
    if (!row.reached) {
        EXPECT_EQ(server->Request(), "") << "nothing may connect";
        return;
    }
    EXPECT_EQ(server->Request(),
        "GET /p/info.plist HTTP/1.0\r\n"
        "Host: 127.0.0.1:"
            + std::to_string(port)
            + "\r\n"
              "Accept: text/html\r\n"
              "Accept-Language: en-us\r\n"
              "Referer: MacPADCheck version 1\r\n"
              "User-Agent: Mozilla/4.0 (compatible; MSIE; Mac OS X)\r\n"
              "Connection: Close\r\n"
              "\r\n");
    // The check stopped reading once it had the body it reads: the server could not deliver the rest.
    if (row.name == "FiftyMegabyteReply") {
        EXPECT_LT(server->BytesSent(), kFiftyMegabytes);
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, MacPADCheckOverTheNetwork, ::testing::ValuesIn(NetworkCases()),
    [](const ::testing::TestParamInfo<NetworkCase>& info) { return info.param.name; });
