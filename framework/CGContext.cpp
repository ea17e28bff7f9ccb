#include "framework/CGContext.h"

#include "framework/UFonts.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace {

QColor ColorFromFractions(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
    auto clamp = [](CGFloat value) { return std::clamp(value, 0.0, 1.0); };
    return QColor::fromRgbF(static_cast<float>(clamp(red)), static_cast<float>(clamp(green)),
        static_cast<float>(clamp(blue)), static_cast<float>(clamp(alpha)));
}

QString ToQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}

CGContext::CGContext(QPainter& painter, CGFloat height)
    : mPainter(painter)
    , mHeight(height)
{
    SelectFont("Helvetica", 12);
}

QRectF CGContext::ToDevice(const CGRect& rect) const
{
    // A rectangle may have a negative size; normalised, it covers the same area.
    return QRectF(ToDevice(rect.origin.x, rect.origin.y + rect.size.height), QSizeF(rect.size.width, rect.size.height))
        .normalized();
}

void CGContext::SetRGBStrokeColor(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
    mStrokeColor = ColorFromFractions(red, green, blue, alpha);
}

void CGContext::SetRGBFillColor(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
    mFillColor = ColorFromFractions(red, green, blue, alpha);
}

void CGContext::SetLineWidth(CGFloat width)
{
    mLineWidth = std::max(0.0, width);
}

void CGContext::BeginPath()
{
    mPath = QPainterPath();
}

void CGContext::MoveToPoint(CGFloat x, CGFloat y)
{
    mPath.moveTo(ToDevice(x, y));
}

void CGContext::AddLineToPoint(CGFloat x, CGFloat y)
{
    mPath.lineTo(ToDevice(x, y));
}

void CGContext::ClosePath()
{
    mPath.closeSubpath();
}

void CGContext::StrokePath()
{
    mPainter.save();
    mPainter.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(mStrokeColor, mLineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    mPainter.strokePath(mPath, pen);
    mPainter.restore();
    BeginPath();
}

void CGContext::FillPath()
{
    mPainter.save();
    mPainter.setRenderHint(QPainter::Antialiasing, true);
    mPainter.fillPath(mPath, mFillColor);
    mPainter.restore();
    BeginPath();
}

void CGContext::FillRect(const CGRect& rect)
{
    mPainter.save();
    mPainter.setRenderHint(QPainter::Antialiasing, true);
    mPainter.fillRect(ToDevice(rect), mFillColor);
    mPainter.restore();
}

void CGContext::StrokeRect(const CGRect& rect)
{
    QPainterPath outline;
    outline.addRect(ToDevice(rect));
    mPainter.save();
    mPainter.setRenderHint(QPainter::Antialiasing, true);
    mPainter.strokePath(outline, QPen(mStrokeColor, mLineWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    mPainter.restore();
}

void CGContext::ClearRect(const CGRect& rect)
{
    mPainter.save();
    mPainter.setCompositionMode(QPainter::CompositionMode_Clear);
    mPainter.fillRect(ToDevice(rect), Qt::transparent);
    mPainter.restore();
}

void CGContext::SelectFont(const std::string& name, CGFloat size)
{
    mFont = UFonts::ForFamily(name);
    mFont.setPixelSize(std::max(1, static_cast<int>(size + 0.5)));
}

void CGContext::ShowTextAtPoint(CGFloat x, CGFloat y, std::string_view text)
{
    mPainter.save();
    mPainter.setRenderHint(QPainter::TextAntialiasing, true);
    mPainter.setFont(mFont);
    mPainter.setPen(mFillColor);
    mPainter.drawText(ToDevice(x, y), ToQString(text));
    mPainter.restore();
}

CGFloat CGContext::GetTextWidth(std::string_view text) const
{
    return QFontMetricsF(mFont, mPainter.device()).horizontalAdvance(ToQString(text));
}
