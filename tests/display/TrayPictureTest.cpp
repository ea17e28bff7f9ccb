#include "display/TrayPicture.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

constexpr int kTraySize = 22;

// Inside the frame: pixels in the value colour (near black), in the limit colour (red), and how many rows
// lie from the first to the last with either.
struct Ink {
    int value = 0, limit = 0, height = 0;
};

Ink InkOf(const QImage& picture)
{
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    Ink ink;
    for (int y = 1, first = -1; y < image.height() - 1; ++y) {
        for (int x = 1; x < image.width() - 1; ++x) {
            QRgb p = image.pixel(x, y);
            bool dark = qGreen(p) < 90 && qBlue(p) < 90;
            bool value = dark && qRed(p) < 90, limit = dark && qRed(p) > 150;
            ink.value += value;
            ink.limit += limit;
            first = (value || limit) && first < 0 ? y : first;
            ink.height = value || limit ? y - first + 1 : ink.height;
        }
    }
    return ink;
}

}

// At 22 pixels the number fills the icon: two digits 17 pixels tall or more, three 13 (the scaled tile's text
// was 5), in the value colour, or in the limit colour when a sensor is at its limit.
TEST(TrayPicture, DigitsAreAsTallAsTheIconAllows)
{
    const std::tuple<std::string, bool, int> cases[]
        = { { "47", false, 17 }, { "104", false, 13 }, { "95", true, 17 }, { "-5", false, 17 } };
    for (const auto& [value, atLimit, leastHeight] : cases) {
        Ink ink = InkOf(TrayPicture(value, atLimit).Image(kTraySize));
        EXPECT_GE(ink.height, leastHeight) << value;
        EXPECT_GT(atLimit ? ink.limit : ink.value, 40) << value;
        EXPECT_EQ(atLimit ? ink.value : ink.limit, 0) << value;
    }
}
