#include "display/ApplicationIcon.h"

#include "framework/CGContext.h"

#include <QPainter>

#include <cmath>
#include <numbers>

namespace {

// The adapter has no arcs: round shapes are made of short straight segments, fine enough at 128 pixels.
constexpr int kArcSegments = 12;

void AddArc(
    CGContext& context, CGFloat cx, CGFloat cy, CGFloat radius, CGFloat fromDegrees, CGFloat toDegrees, bool startsPath)
{
    for (int i = 0; i <= kArcSegments; ++i) {
        CGFloat degrees = fromDegrees + (toDegrees - fromDegrees) * i / kArcSegments;
        CGFloat radians = degrees * std::numbers::pi / 180.0;
        CGFloat x = cx + radius * std::cos(radians);
        CGFloat y = cy + radius * std::sin(radians);
        if (i == 0 && startsPath)
            context.MoveToPoint(x, y);
        else
            context.AddLineToPoint(x, y);
    }
}

void AddRoundedRect(CGContext& context, CGFloat left, CGFloat bottom, CGFloat right, CGFloat top, CGFloat radius)
{
    AddArc(context, right - radius, bottom + radius, radius, -90, 0, true);
    AddArc(context, right - radius, top - radius, radius, 0, 90, false);
    AddArc(context, left + radius, top - radius, radius, 90, 180, false);
    AddArc(context, left + radius, bottom + radius, radius, 180, 270, false);
    context.ClosePath();
}

void AddCircle(CGContext& context, CGFloat cx, CGFloat cy, CGFloat radius)
{
    AddArc(context, cx, cy, radius, 0, 180, true);
    AddArc(context, cx, cy, radius, 180, 360, false);
    context.ClosePath();
}

}

void ApplicationIcon::Draw(CGContext& context)
{
    // A dark rounded plate with a faint grid, like the plots the program draws.
    context.SetRGBFillColor(0.15, 0.20, 0.28, 1.0);
    context.BeginPath();
    AddRoundedRect(context, 6, 6, 122, 122, 22);
    context.FillPath();

    context.SetRGBStrokeColor(1, 1, 1, 0.12);
    context.SetLineWidth(1.0);
    context.BeginPath();
    for (int y = 30; y <= 100; y += 23) {
        context.MoveToPoint(16, y);
        context.AddLineToPoint(112, y);
    }
    context.StrokePath();

    // A history line climbing from left to right.
    static constexpr CGPoint kHistory[] = { { 16, 38 }, { 28, 44 }, { 38, 40 }, { 50, 58 }, { 60, 54 }, { 70, 76 },
        { 80, 70 }, { 90, 92 }, { 100, 88 }, { 112, 104 } };
    context.SetRGBStrokeColor(0.98, 0.66, 0.18, 1.0);
    context.SetLineWidth(5.0);
    context.BeginPath();
    context.MoveToPoint(kHistory[0].x, kHistory[0].y);
    for (const CGPoint& point : kHistory)
        context.AddLineToPoint(point.x, point.y);
    context.StrokePath();

    // The thermometer: a white tube and bulb, with red mercury.
    context.SetRGBFillColor(0.96, 0.96, 0.96, 1.0);
    context.BeginPath();
    AddRoundedRect(context, 34, 34, 54, 110, 10);
    context.FillPath();
    context.BeginPath();
    AddCircle(context, 44, 32, 18);
    context.FillPath();

    context.SetRGBFillColor(0.86, 0.14, 0.12, 1.0);
    context.BeginPath();
    AddRoundedRect(context, 39, 30, 49, 84, 5);
    context.FillPath();
    context.BeginPath();
    AddCircle(context, 44, 32, 12);
    context.FillPath();

    context.SetRGBStrokeColor(0.15, 0.20, 0.28, 1.0);
    context.SetLineWidth(2.0);
    context.BeginPath();
    for (int y = 56; y <= 100; y += 11) {
        context.MoveToPoint(48, y);
        context.AddLineToPoint(54, y);
    }
    context.StrokePath();
}

QImage ApplicationIcon::Image()
{
    QImage image(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    CGContext context(painter, kSize);
    Draw(context);
    painter.end();
    return image;
}
