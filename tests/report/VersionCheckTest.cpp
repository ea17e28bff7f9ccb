// The version check: the product-information address, the reply it reads, and the whole check against a
// real server on this machine.
#include "report/MacPADCheck.h"
#include "report/MacPADReply.h"
#include "report/PlaceholderAddress.h"
#include "report/ProductURL.h"
#include "tests/report/LocalReplyServer.h"
#include "tests/report/ProductInformation.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using ProductInformation::File;
using ProductInformation::Reply;

constexpr const char* kOurVersion = "1.0.0";
constexpr size_t kFiftyMegabytes = 50u * 1024 * 1024;
const std::string kHeader = "HTTP/1.0 200 OK\r\nServer: stand-in\r\n\r\n";

struct ReplyCase {
    std::string name;
    std::string reply;
    int code;
    std::optional<std::string> version = {};
    std::optional<std::string> notes = {};
};

// A body whose version value ends exactly at byte length (release notes come first).
ReplyCase BodyOfLength(const std::string& name, size_t length, int code)
{
    std::string start = "padVersion<key>productReleaseNotes</key><string>n</string><key>productVersion</key><string>";
    std::string value(length - start.size() - 9, 'v');
    if (code == kMacPADValueMissing)
        return { name, kHeader + start + value + "</string>", code };
    return { name, kHeader + start + value + "</string>", code, value, "n" };
}
}

TEST(ProductURL, SplitsIntoHostPortAndRequestLine)
{
    const std::string host399(399, 'h');
    const std::string path384 = "/" + std::string(383, 'p');
    const struct {
        std::string url, host, lookup;
        uint16_t port;
        std::string path;
    } usable[] = {
        { "http://kelvara.example/p/info.plist", "kelvara.example", "kelvara.example", 80, "/p/info.plist" },
        { "http://kelvara.example", "kelvara.example", "kelvara.example", 80, "/" },
        { "http://127.0.0.1:8080/x?y=1", "127.0.0.1:8080", "127.0.0.1", 8080, "/x?y=1" },
        { "http://" + host399 + "/", host399, host399, 80, "/" }, // the longest host
        { "http://h" + path384, "h", "h", 80, path384 }, // the longest path
    };
    for (const auto& row : usable) {
        SCOPED_TRACE(row.url);
        ProductURL url;
        ASSERT_TRUE(SplitProductURL(row.url, url));
        EXPECT_EQ(std::tie(url.host, url.name, url.port), std::tie(row.host, row.lookup, row.port));
        EXPECT_EQ(MacPADRequestLine(url), "GET " + row.path + " HTTP/1.0\r\n");
    }
    for (const std::string& bad :
        { "http://" + host399 + "h/", "http://h" + path384 + "p", "https://kelvara.example/p"s,
            "see http://kelvara.example/p"s, "http:///p"s, "http://h:web/p"s, "http://h:0/p"s, "http://h:65536/p"s,
            "http://:80/p"s, "http://h/p\r\nX-Injected: 1"s, "http://kel vara/p"s }) {
        SCOPED_TRACE(bad);
        ProductURL url;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(SplitProductURL(bad, url));
        EXPECT_NE(testing::internal::GetCapturedStderr().find("MacPADCheck: bad product information address"),
            std::string::npos);
    }
}

// A build's default addresses, and any other under the reserved name "example", reach nobody.
TEST(PlaceholderAddress, IsEmptyOrAHostUnderExample)
{
    const struct {
        const char* address;
        bool placeholder;
    } cases[] = {
        { "http://kelvara.example/kelvara/product-information.plist", true },
        { "mailto:records@kelvara.example?subject=x", true },
        { "http://Updates.Kelvara.EXAMPLE.:8080/p", true },
        { "http://user@example", true },
        { "", true },
        { "  ", true },
        { "http://kelvara.org/p", false },
        { "http://example.org/p", false }, // a registered name
        { "http://kelvara.example.org/p", false },
        { "http://kelvara.org/kelvara.example", false },
        { "http://x.example@kelvara.org/p", false },
        { "records@kelvaraexample", false },
    };
    for (const auto& row : cases)
        EXPECT_EQ(IsPlaceholderAddress(row.address), row.placeholder) << row.address;
}

// The same verdict whether the reply comes whole or a byte at a time.
TEST(MacPADReply, GivesItsCodeAndValues)
{
    const std::string longLine = "X-Long: " + std::string(391, 'a') + "\r\n";
    const std::string trap = "X-Trap: padVersion<key>productVersion</key><string>0.1</string>\r\n";
    const ReplyCase cases[] = {
        { "new version with notes", kHeader + File("2.0", "Faster."), 5, "2.0", "Faster." },
        { "same version", kHeader + File(kOurVersion, "Notes."), 0, kOurVersion },
        { "same version without notes", kHeader + File(kOurVersion), 0, kOurVersion },
        { "older version counts as different", kHeader + File("0.9", "Old."), 5, "0.9", "Old." },
        { "trailing blank is different", kHeader + File("1.0.0 ", "Same."), 5, "1.0.0 ", "Same." },
        { "trailing blank without notes", kHeader + File("1.0.0 "), 4, "1.0.0 " },
        { "bare line feeds end the header", "HTTP/1.0 200 OK\nServer: x\n\n" + File("2.0", "N"), 5, "2.0", "N" },
        { "padVersion without version key", kHeader + "<plist><key>padVersion</key></plist>", 4 },
        { "version key without padVersion", kHeader + "<key>productVersion</key><string>2.0</string>", 3 },
        { "version without string end", kHeader + "padVersion<key>productVersion</key><string>2.0", 4 },
        { "version key without tag", kHeader + "padVersion<key>productVersion</key>", 4 },
        { "error page", "HTTP/1.0 404 Not Found\r\n\r\n<html>Not Found</html>", 3 },
        { "header without end", "HTTP/1.0 200 OK\r\n" + File("2.0", "N"), 3 },
        { "nothing received", "", 3 },
        // A 401-byte header line is one line, not a 399-byte one followed by an empty "\r\n".
        { "long header line stays whole", "HTTP/1.0 200 OK\r\n" + longLine + trap + "\r\n" + File(kOurVersion), 0,
            kOurVersion },
        { "NUL byte ends the text", kHeader + std::string("<html>\0", 7) + File("2.0", "N"), 3 },
        BodyOfLength("value ending at the last kept byte", 20479, 5),
        BodyOfLength("value ending past the cut", 20480, 4),
    };
    for (const ReplyCase& row : cases) {
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

TEST(MacPADCheck, EndsWithItsCodeOverTheNetwork)
{
    const struct {
        std::string name;
        LocalReplyServer::Answer answer; // none: no server runs
        // The URL checked, given the server's port; the server's own URL when empty.
        std::function<std::string(uint16_t port)> url;
        int code;
        bool reached; // whether the server receives the request
        std::string message;
        std::chrono::milliseconds limit = kMacPADTimeLimit;
    } cases[] = {
        { "closed without answer", LocalReplyServer::Reply(""), {}, 3, true, "" },
        { "never answers", LocalReplyServer::Silent(), {}, 2, true, "did not finish its answer in time", 300ms },
        { "endless header line", LocalReplyServer::EndlessHeader(), {}, 3, true, "did not finish its answer in time",
            300ms },
        // The check stops reading once it has the body it reads: the server cannot deliver the rest.
        { "fifty megabyte reply",
            LocalReplyServer::Flood("HTTP/1.0 200 OK\r\n\r\n" + File("2.0", "Faster."), kFiftyMegabytes), {}, 5, true,
            "" },
        { "connection refused", {},
            [](uint16_t) { return "http://127.0.0.1:" + std::to_string(LocalReplyServer::ClosedPort()) + "/p"; }, 2,
            false, "MacPADCheck: Host not found.: Connection refused" },
        // Connecting to 0.0.0.0 instead would reach this machine's own server.
        { "name does not resolve", LocalReplyServer::Reply(Reply(File("2.0", "Faster."))),
            [](uint16_t port) { return "http://kelvara.invalid:" + std::to_string(port) + "/p/info.plist"; }, 2, false,
            "MacPADCheck: Host not found.", 2000ms },
        { "not http", LocalReplyServer::Reply(Reply(File("2.0", "Faster."))),
            [](uint16_t port) { return "ftp://127.0.0.1:" + std::to_string(port) + "/p/info.plist"; }, 1, false,
            "does not start with http://" },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        std::optional<LocalReplyServer> server;
        if (row.answer)
            server.emplace(row.answer);
        std::string url = row.url ? row.url(server ? server->Port() : 0) : server->URL();
        std::optional<std::string> notes;
        std::optional<std::string> version;
        testing::internal::CaptureStderr();
        EXPECT_EQ(MacPADCheck(kOurVersion, url.c_str(), notes, version, row.limit), row.code);
        std::string messages = testing::internal::GetCapturedStderr();
        EXPECT_NE(messages.find(row.message), std::string::npos) << messages;
        if (!server)
            continue;
        if (!row.reached) {
            EXPECT_EQ(server->Request(), "") << "nothing may connect";
            continue;
        }
        EXPECT_EQ(server->Request(),
            "GET /p/info.plist HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(server->Port())
                + "\r\nAccept: text/html\r\nAccept-Language: en-us\r\nReferer: MacPADCheck version 1\r\n"
                  "User-Agent: Mozilla/4.0 (compatible; MSIE; Mac OS X)\r\nConnection: Close\r\n\r\n");
        if (row.code == kMacPADNewVersion) {
            EXPECT_EQ(std::tie(version, notes), std::make_tuple("2.0", "Faster."));
            EXPECT_LT(server->BytesSent(), kFiftyMegabytes);
        }
    }
}
