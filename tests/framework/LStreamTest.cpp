#include "framework/LException.h"
#include "framework/LFileStream.h"
#include "framework/LMemoryStream.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

TEST(LStream, IntegersAreBigEndianAndReadBack)
{
    LMemoryStream stream;
    stream << int16_t(-2) << uint16_t(0x1234) << int32_t(120) << uint32_t(0xA1B2C3D4) << true << uint8_t(7)
           << MakeStr255("ab");
    EXPECT_EQ(stream.GetBytesHeld(),
        std::vector<uint8_t>({ 0xFF, 0xFE, 0x12, 0x34, 0, 0, 0, 120, 0xA1, 0xB2, 0xC3, 0xD4, 1, 7, 2, 'a', 'b' }));
    stream.SetMarker(0);
    int16_t a;
    uint16_t b;
    int32_t c;
    uint32_t d;
    bool e;
    uint8_t f;
    Str255 g;
    stream >> a >> b >> c >> d >> e >> f >> g;
    EXPECT_EQ(std::tuple(a, b, c, d, e, f, Str255ToString(g)),
        std::tuple(int16_t(-2), uint16_t(0x1234), 120, 0xA1B2C3D4u, true, uint8_t(7), std::string("ab")));
}

TEST(LFileStream, CommitReplacesTheFileWhole)
{
    TemporaryFolder folder;
    std::string path = folder / "file";
    TestFiles::WriteBytes(path, std::vector<uint8_t>(100, 0xEE));
    LFileStream out;
    out << int32_t(3);
    out.Commit(path);
    // The old, longer content is gone: no tail is left behind.
    EXPECT_EQ(TestFiles::ReadBytes(path), std::vector<uint8_t>({ 0, 0, 0, 3 }));
    EXPECT_EQ(TestFiles::List(folder.Path()), std::vector<std::string>({ "file" }));
    LFileStream in;
    in.OpenForReading(path);
    int32_t value = 0;
    in >> value;
    EXPECT_EQ(value, 3);
}

TEST(LStream, FailuresRaiseTheirErrorCodes)
{
    auto code = [](auto&& act) {
        try {
            act();
        } catch (const LException& e) {
            return e.GetErrorCode();
        }
        return int32_t(0);
    };
    TemporaryFolder folder;
    LMemoryStream shortNumber({ 0, 0, 1 });
    LMemoryStream shortText({ 5, 'a', 'b' });
    int32_t value = 0;
    Str255 name;
    LFileStream in;
    LFileStream out;
    out << int32_t(1);
    EXPECT_EQ(code([&] { shortNumber >> value; }), eofErr);
    EXPECT_EQ(code([&] { shortText >> name; }), eofErr);
    EXPECT_EQ(code([&] { in.OpenForReading(folder / "missing"); }), fnfErr);
    EXPECT_NE(code([&] { out.Commit(folder / "no such folder/file"); }), 0);
}
