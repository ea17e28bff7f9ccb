#include "report/ProductURL.h"

#include <gtest/gtest.h>

namespace {

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

class ProductURLSplitting : public ::testing::TestWithParam<URLCase> { };

}

TEST_P(ProductURLSplitting, GivesHostPortAndRequestLine)
{
    const URLCase& row = GetParam();
    ProductURL url;
    testing::internal::CaptureStderr();
    bool usable = SplitProductURL(row.url, url);
    std::string message = testing::internal::GetCapturedStderr();
    ASSERT_EQ(usable, row.usable);
    if (!usable) {
        EXPECT_NE(message.find("MacPADCheck: bad product information address"), std::string::npos);
        return;
    }
    EXPECT_EQ(url.host, row.host);
    EXPECT_EQ(url.name, row.lookup);
    EXPECT_EQ(url.port, row.port);
    EXPECT_EQ(MacPADRequestLine(url), row.requestLine);
}

INSTANTIATE_TEST_SUITE_P(URLs, ProductURLSplitting, ::testing::ValuesIn(URLCases()),
    [](const ::testing::TestParamInfo<URLCase>& info) { return info.param.name; });
