#include "framework/CGContext.h"
#include "framework/QDPort.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// Draws in red into a white 8x5 image and returns its picture: '#' for red, '.' for white, '?' for
// anything else, rows separated by '|'.
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
        picture += y + 1 < image.height() ? "|" : "";
    }
    return picture;
}

QImage DrawnInContext(const std::function<void(CGContext&)>& draw)
{
    QImage image(20, 20, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    CGContext context(painter, 20);
    draw(context);
    painter.end();
    return image;
}

}

TEST(QDPort, DrawsThePixelsQuickDrawWould)
{
    const struct {
        const char* name;
        std::function<void(QDPort&)> draw;
        const char* picture;
    } cases[] = {
        { "frame inside with a 2x1 pen",
            [](QDPort& p) {
                p.PenSize(2, 1);
                p.FrameRect(Rect { 0, 0, 4, 6 });
            },
            "######..|##..##..|##..##..|######..|........" },
        { "lines, also diagonal, include both ends",
            [](QDPort& p) {
                p.MoveTo(1, 0);
                p.LineTo(4, 0);
                p.Line(0, 2);
                p.MoveTo(0, 0);
                p.LineTo(3, 3);
            },
            "#####...|.#..#...|..#.#...|...#....|........" },
        { "a 2x2 pen hangs below and right, PenNormal restores 1x1",
            [](QDPort& p) {
                p.PenSize(2, 2);
                p.MoveTo(5, 1);
                p.LineTo(1, 1);
                p.PenNormal();
                p.MoveTo(0, 4);
                p.LineTo(1, 4);
            },
            "........|.######.|.######.|........|##......" },
        { "an empty rectangle and a pen without width draw nothing",
            [](QDPort& p) {
                p.PaintRect(Rect { 3, 3, 3, 7 });
                p.PenSize(0, 1);
                p.LineTo(5, 4);
            },
            "........|........|........|........|........" },
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

TEST(CGContext, TheOriginIsAtTheBottomLeftPathsAreUsedUpAndAlphaBlends)
{
    QImage image = DrawnInContext([](CGContext& context) {
        context.SetRGBFillColor(1, 0, 0, 1);
        context.FillRect(CGRectMake(0, 0, 5, 10));
        context.SetRGBStrokeColor(0, 0, 1, 1);
        context.SetLineWidth(4);
        context.MoveToPoint(0, 16);
        context.AddLineToPoint(20, 16);
        context.AddLineToPoint(20, 0);
        context.StrokePath();
        context.SetRGBFillColor(0, 1, 0, 1);
        context.FillPath(); // the stroke used the path up: this fills nothing
        context.MoveToPoint(10, 0);
        context.AddLineToPoint(20, 0);
        context.AddLineToPoint(20, 10);
        context.ClosePath();
        context.FillPath();
        context.SetRGBFillColor(0, 0, 0, 0.5);
        context.FillRect(CGRectMake(4, 10, 5, 3));
        context.ClearRect(CGRectMake(15, 15, 5, 5));
    });
    EXPECT_EQ(image.pixel(2, 15), qRgb(255, 0, 0)) << "filled rectangle near the bottom";
    EXPECT_EQ(image.pixel(2, 8), qRgb(255, 255, 255)) << "above it";
    EXPECT_EQ(image.pixel(10, 4), qRgb(0, 0, 255)) << "stroke near the top";
    EXPECT_EQ(image.pixel(10, 8), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(18, 17), qRgb(0, 255, 0)) << "triangle at the bottom right";
    EXPECT_EQ(image.pixel(12, 12), qRgb(255, 255, 255));
    EXPECT_NEAR(qRed(image.pixel(7, 8)), 128, 2) << "half-transparent black on white";
    EXPECT_EQ(qAlpha(image.pixel(17, 2)), 0) << "cleared";
}

TEST(CGContext, TextStandsUprightOnItsBaselineInTheFillColour)
{
    QImage image = DrawnInContext([](CGContext& context) {
        context.SelectFont("Helvetica", 12);
        context.SetRGBFillColor(1, 0, 0, 1);
        context.ShowTextAtPoint(2, 5, "T");
    });
    // The baseline y = 5 is the image's row 15. Upright, a "T" is wider at its top than at its foot.
    auto inked = [&](int row) {
        int count = 0;
        for (int x = 0; x < 20; ++x) {
            count += qGreen(image.pixel(x, row)) < 128 ? 1 : 0;
            EXPECT_GE(qRed(image.pixel(x, row)), qGreen(image.pixel(x, row))) << "ink is red";
        }
        return count;
    };
    int top = 0;
    while (top < 15 && inked(top) == 0)
        ++top;
    ASSERT_LT(top, 14) << "nothing drawn above the baseline";
    EXPECT_GT(inked(top), inked(14));
    EXPECT_EQ(inked(17), 0) << "nothing below the baseline";
}
