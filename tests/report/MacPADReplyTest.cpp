#include "report/MacPADReply.h"
#include "tests/report/ProductInformation.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kOurVersion = "1.0.0";

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
    using ProductInformation::File;
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

class MacPADReplyReading : public ::testing::TestWithParam<ReplyCase> { };

}

// The same verdict whether the reply comes whole or a byte at a time.
TEST_P(MacPADReplyReading, GivesItsCodeAndValues)
{
    const ReplyCase& row = GetParam();
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

INSTANTIATE_TEST_SUITE_P(Replies, MacPADReplyReading, ::testing::ValuesIn(ReplyCases()),
    [](const ::testing::TestParamInfo<ReplyCase>& info) { return info.param.name; });
