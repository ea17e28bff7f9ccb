// The version check: the product-information address, the reply it reads, and the whole check against a
// real server on this machine.
#include "report/MacPADCheck.h"
#include "report/MacPADReply.h"
#include "report/ProductURL.h"
#include "tests/report/LocalReplyServer.h"
#include "tests/report/ProductInformation.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using ProductInformation::File;
using ProductInformation::Reply;

constexpr const char* kOurVersion = "1.0.0";
constexpr size_t kFiftyMegabytes = 50u * 1024 * 1024;

struct URLCase {
    std::string name;
    std::string url;
    bool usable;
    std::string host;
    std::string lookup;
    uint16_t port;
    std::string requestLine;
};

std::vector<URLCase> URLCases()
{
    std::string host399(399, 'h');
    std::string path384 = "/" + std::string(383, 'p');
    return {
        { "HostAndPath", "http://kelvara.example/p/info.plist", true, "kelvara.example", "kelvara.example", 80,
            "GET /p/info.plist HTTP/1.0\r\n" },
        { "NoSlashAfterTheHost", "http://kelvara.example", true, "kelvara.example", "kelvara.example", 80,
            "GET / HTTP/1.0\r\n" },
        { "PortInTheHost", "http://127.0.0.1:8080/x?y=1", true, "127.0.0.1:8080", "127.0.0.1", 8080,
            "GET /x?y=1 HTTP/1.0\r\n" },
        { "LongestHost", "http://" + host399 + "/", true, host399, host399, 80, "GET / HTTP/1.0\r\n" },
        { "LongestPath", "http://h" + path384, true, "h", "h", 80, "GET " + path384 + " HTTP/1.0\r\n" },
        { "HostTooLong", "http://" + host399 + "h/", false, {}, {}, 0, {} },
        { "PathTooLong", "http://h" + path384 + "p", false, {}, {}, 0, {} },
        { "NotHttp", "https://kelvara.example/p", false, {}, {}, 0, {} },
        { "HttpNotAtTheStart", "see http://kelvara.example/p", false, {}, {}, 0, {} },
        { "EmptyHost", "http:///p", false, {}, {}, 0, {} },
        { "PortNotANumber", "http://h:web/p", false, {}, {}, 0, {} },
        { "PortZero", "http://h:0/p", false, {}, {}, 0, {} },
        { "PortTooLarge", "http://h:65536/p", false, {}, {}, 0, {} },
        { "PortWithoutHost", "http://:80/p", false, {}, {}, 0, {} },
        { "LineBreakInPath", "http://h/p\r\nX-Injected: 1", false, {}, {}, 0, {} },
        { "SpaceInHost", "http://kel vara/p", false, {}, {}, 0, {} },
    };
}

struct ReplyCase {
    std::string name;
    std::string reply;
    int code;
    std::optional<std::string> version;
    std::optional<std::string> notes;
};

std::string Header()
{
    return "HTTP/1.0 200 OK\r\nServer: stand-in\r\n\r\n";
}

// A body whose version value ends exactly at byte length (release notes come first).
ReplyCase BodyOfLength(const std::string& name, size_t length, int code)
{
    std::string start = "padVersion<key>productReleaseNotes</key><string>n</string>"
                        "<key>productVersion</key><string>";
    std::string end = "</string>";
    std::string value(length - start.size() - end.size(), 'v');
    ReplyCase row { name, Header() + start + value + end, code, value, "n" };
    if (code == kMacPADValueMissing) {
        row.version.reset();
        row.notes.reset();
    }
    return row;
}

std::vector<ReplyCase> ReplyCases()
{
    std::string longLine = "X-Long: " + std::string(391, 'a') + "\r\n";
    std::string trap = "X-Trap: padVersion<key>productVersion</key><string>0.1</string>\r\n";
    return {
        { "NewVersionWithNotes", Header() + File("2.0", "Faster."), 5, "2.0", "Faster." },
        { "SameVersion", Header() + File(kOurVersion, "Notes."), 0, kOurVersion, std::nullopt },
        { "SameVersionWithoutNotes", Header() + File(kOurVersion), 0, kOurVersion, std::nullopt },
        { "OlderVersionCountsAsDifferent", Header() + File("0.9", "Old."), 5, "0.9", "Old." },
        { "TrailingBlankIsDifferent", Header() + File("1.0.0 ", "Same."), 5, "1.0.0 ", "Same." },
        { "TrailingBlankWithoutNotes", Header() + File("1.0.0 "), 4, "1.0.0 ", std::nullopt },
        { "BareLineFeedsEndTheHeader", "HTTP/1.0 200 OK\nServer: x\n\n" + File("2.0", "N"), 5, "2.0", "N" },
        { "PadVersionWithoutVersionKey", Header() + "<plist><key>padVersion</key></plist>", 4, std::nullopt,
            std::nullopt },
        { "VersionKeyWithoutPadVersion", Header() + "<key>productVersion</key><string>2.0</string>", 3, std::nullopt,
            std::nullopt },
        { "VersionWithoutStringEnd", Header() + "padVersion<key>productVersion</key><string>2.0", 4, std::nullopt,
            std::nullopt },
        { "VersionKeyWithoutTag", Header() + "padVersion<key>productVersion</key>", 4, std::nullopt, std::nullopt },
        { "ErrorPage", "HTTP/1.0 404 Not Found\r\n\r\n<html>Not Found</html>", 3, std::nullopt, std::nullopt },
        { "HeaderWithoutEnd", "HTTP/1.0 200 OK\r\n" + File("2.0", "N"), 3, std::nullopt, std::nullopt },
        { "NothingReceived", "", 3, std::nullopt, std::nullopt },
        // A 401-byte header line is one line, not a 399-byte one followed by an empty "\r\n".
        { "LongHeaderLineStaysWhole", "HTTP/1.0 200 OK\r\n" + longLine + trap + "\r\n" + File(kOurVersion), 0,
            kOurVersion, std::nullopt },
        { "NulByteEndsTheText", Header() + std::string("<html>\0", 7) + File("2.0", "N"), 3, std::nullopt,
            std::nullopt },
        BodyOfLength("ValueEndingAtTheLastKeptByte", 20479, 5),
        BodyOfLength("ValueEndingPastTheCut", 20480, 4),
    };
}

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

TEST(ProductURL, SplitsIntoHostPortAndRequestLine)
{
    for (const URLCase& row : URLCases()) {
        SCOPED_TRACE(row.name);
        ProductURL url;
        testing::internal::CaptureStderr();
        bool usable = SplitProductURL(row.url, url);
        std::string message = testing::internal::GetCapturedStderr();
        ASSERT_EQ(usable, row.usable);
        if (!usable) {
            EXPECT_NE(message.find("MacPADCheck: bad product information address"), std::string::npos);
            continue;
        }
        EXPECT_EQ(url.host, row.host);
        EXPECT_EQ(url.name, row.lookup);
        EXPECT_EQ(url.port, row.port);
        EXPECT_EQ(MacPADRequestLine(url), row.requestLine);
    }
}

// The same verdict whether the reply comes whole or a byte at a time.
TEST(MacPADReply, GivesItsCodeAndValues)
{
    for (const ReplyCase& row : ReplyCases()) {
        SCOPED_TRACE(row.name);
        std::optional<std::string> notes = "stale";
        std::optional<std::string> version = "stale";
        EXPECT_EQ(MacPADReadReply(row.reply, kOurVersion, notes, version), row.code);
        EXPECT_EQ(version, row.version);
        EXPECT_EQ(notes, row.notes);

        MacPADReply trickled;
        for (char c : row.reply)
            trickled.Take(std::string_view(&c, 1));
        EXPECT_LE(trickled.GetBody().size(), MacPADReply::kBodyLimit);
        EXPECT_EQ(MacPADReadBody(trickled.GetBody(), kOurVersion, notes, version), row.code);
        EXPECT_EQ(version, row.version);
    }
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
