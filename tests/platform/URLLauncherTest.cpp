#include "platform/URLLauncher.h"

#include <QByteArray>

#include <gtest/gtest.h>

namespace {

struct HandOffCase {
    std::string name;
    std::string text;
    std::string url;
    // Whether percent-decoding the URL gives the text back (not for a text that was a URL already).
    bool decodesToText;
};

std::vector<HandOffCase> HandOffCases()
{
    return {
        { "MailBodyKeepsEveryByte", "mailto:r@k.example?Subject=A Record&Body=x\ny&Key=1#2 50%+é=",
            "mailto:r@k.example?Subject=A%20Record&Body=x%0Ay%26Key%3D1%232%2050%25%2B%C3%A9%3D", true },
        { "MailFieldsBeforeTheBody", "mailto:r@k.example?cc=a@b&Body=z", "mailto:r@k.example?cc=a%40b&Body=z", true },
        { "MailWithoutFields", "mailto:records@kelvara.example", "mailto:records@kelvara.example", true },
        { "WebPageKeepsItsEncoding", "https://kelvara.example/a b?x=1&y=%41#top",
            "https://kelvara.example/a%20b?x=1&y=%41#top", false },
        { "StrayPercentInWebPage", "http://kelvara.example/100%", "http://kelvara.example/100%25", true },
    };
}

class URLHandOff : public ::testing::TestWithParam<HandOffCase> { };

}

TEST_P(URLHandOff, EncodesWhatAURLMust)
{
    const HandOffCase& row = GetParam();
    std::string url = URLLauncher::EncodeForHandOff(row.text);
    EXPECT_EQ(url, row.url);
    if (row.decodesToText) {
        EXPECT_EQ(QByteArray::fromPercentEncoding(QByteArray::fromStdString(url)).toStdString(), row.text);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, URLHandOff, ::testing::ValuesIn(HandOffCases()),
    [](const ::testing::TestParamInfo<HandOffCase>& info) { return info.param.name; });
