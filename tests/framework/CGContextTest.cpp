#include "framework/CGContext.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <functional>

namespace {

QImage Drawn(const std::function<void(CGContext&)>& draw)
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

TEST(CGContext, TheOriginIsAtTheBottomLeftAndPathsAreUsedUp)
{
    QImage image = Drawn([](CGContext& context) {
        context.SetRGBFillColor(1, 0, 0, 1);
        context.FillRect(CGRectMake(0, 0, 5, 10));
        context.SetRGBStrokeColor(0, 0, 1, 1);
        context.SetLineWidth(4);
        context.MoveToPoint(0, 16);
        context.AddLineToPoint(20, 16);
        context.StrokePath();
        context.SetRGBFillColor(0, 1, 0, 1);
        context.FillPath(); // the stroke used the path up: this fills nothing
        context.MoveToPoint(10, 0);
        context.AddLineToPoint(20, 0);
        context.AddLineToPoint(20, 10);
        context.ClosePath();
        context.FillPath();
    });
    EXPECT_EQ(image.pixel(2, 15), qRgb(255, 0, 0)) << "filled rectangle near the bottom";
    EXPECT_EQ(image.pixel(2, 8), qRgb(255, 255, 255)) << "above it";
    EXPECT_EQ(image.pixel(10, 4), qRgb(0, 0, 255)) << "stroke near the top";
    EXPECT_EQ(image.pixel(10, 8), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(18, 17), qRgb(0, 255, 0)) << "triangle at the bottom right";
    EXPECT_EQ(image.pixel(12, 12), qRgb(255, 255, 255));
}

TEST(CGContext, AlphaBlendsAndClearingMakesTransparent)
{
    QImage image = Drawn([](CGContext& context) {
        context.SetRGBFillColor(0, 0, 0, 0.5);
        context.FillRect(CGRectMake(0, 0, 20, 20));
        context.ClearRect(CGRectMake(10, 10, 10, 10));
    });
    EXPECT_NEAR(qRed(image.pixel(5, 15)), 128, 2);
    EXPECT_EQ(qAlpha(image.pixel(15, 5)), 0);
}

TEST(CGContext, TextStandsUprightOnItsBaselineInTheFillColour)
{
    QImage image = Drawn([](CGContext& context) {
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
