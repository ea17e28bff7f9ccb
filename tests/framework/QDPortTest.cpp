#include "framework/QDPort.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// Draws in red into a white 8x5 image and returns its picture: '#' for red, '.' for white, '?' for
// anything else, one row a line.
std::string Drawn(const std::function<void(QDPort&)>& draw)
{
    QImage image(8, 5, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QDPort port(painter);
        port.RGBForeColor(RGBColor { 0xFFFF, 0, 0 });
        draw(port);
    }
    std::string picture;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            QRgb pixel = image.pixel(x, y);
            picture += pixel == qRgb(255, 0, 0) ? '#' : pixel == qRgb(255, 255, 255) ? '.' : '?';
        }
        picture += '\n';
    }
    return picture;
}

}

TEST(QDPort, DrawsThePixelsQuickDrawWould)
{
    const struct {
        const char* name;
        std::function<void(QDPort&)> draw;
        const char* picture;
    } cases[] = {
        { "rectangle between its edges",
            [](QDPort& port) {
                port.PaintRect(Rect { 1, 2, 3, 6 });
            },
            "........\n..####..\n..####..\n........\n........\n" },
        { "empty rectangle",
            [](QDPort& port) {
                port.PaintRect(Rect { 3, 3, 3, 7 });
            },
            "........\n........\n........\n........\n........\n" },
        { "frame inside with a 2x1 pen",
            [](QDPort& port) {
                port.PenSize(2, 1);
                port.FrameRect(Rect { 0, 0, 4, 6 });
            },
            "######..\n##..##..\n##..##..\n######..\n........\n" },
        { "lines include both ends",
            [](QDPort& port) {
                port.MoveTo(1, 0);
                port.LineTo(4, 0);
                port.Line(0, 2);
            },
            ".####...\n....#...\n....#...\n........\n........\n" },
        { "diagonal",
            [](QDPort& port) {
                port.MoveTo(0, 0);
                port.LineTo(3, 3);
            },
            "#.......\n.#......\n..#.....\n...#....\n........\n" },
        { "a 2x2 pen hangs below and right, PenNormal restores 1x1",
            [](QDPort& port) {
                port.PenSize(2, 2);
                port.MoveTo(5, 1);
                port.LineTo(1, 1);
                port.PenNormal();
                port.MoveTo(0, 4);
                port.LineTo(1, 4);
            },
            "........\n.######.\n.######.\n........\n##......\n" },
        { "a pen without width draws nothing",
            [](QDPort& port) {
                port.PenSize(0, 1);
                port.LineTo(5, 4);
            },
            "........\n........\n........\n........\n........\n" },
    };
    for (const auto& each : cases)
        EXPECT_EQ(Drawn(each.draw), each.picture) << each.name;
}

TEST(QDPort, TextIsDrawnInTheForeColourAboveTheBaselineAndAdvancesThePen)
{
    QImage image(60, 24, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QDPort port(painter);
    port.TextFont("Helvetica");
    port.TextSize(12);
    port.RGBForeColor(RGBColor { 0, 0, 0xFFFF });
    int width = port.StringWidth("HH");
    EXPECT_GT(width, port.StringWidth("H"));
    FontInfo info;
    port.GetFontInfo(info);
    port.MoveTo(10, 18);
    port.DrawString("HH");
    EXPECT_EQ(port.GetPenH(), 10 + width);
    painter.end();

    int inked = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            QRgb pixel = image.pixel(x, y);
            if (pixel == qRgb(255, 255, 255))
                continue;
            EXPECT_TRUE(x >= 10 && x < 10 + width && y < 18 && y >= 18 - info.ascent) << x << "," << y;
            EXPECT_GE(qBlue(pixel), qRed(pixel));
            ++inked;
        }
    }
    EXPECT_GT(inked, 10);
}
