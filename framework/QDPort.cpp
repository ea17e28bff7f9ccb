#include "framework/QDPort.h"

#include "framework/UFonts.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>

QDPort* QDPort::sCurrentPort = nullptr;

namespace {

constexpr size_t kMostRememberedWidths = 1024;

QColor ToQColor(const RGBColor& color)
{
    return QColor::fromRgba64(color.red, color.green, color.blue);
}

QString ToQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}

QDPort::QDPort(QPainter& painter)
    : mPainter(painter)
{
    UpdateFont();
    // Into a plain 32-bit image, with nothing but a shift and the image's device pixel ratio between the
    // port and the image, pixels are written directly: a graph of 12 long histories is hundreds of thousands
    // of small fills.
    QPaintDevice* device = painter.device();
    QTransform toDevice = painter.deviceTransform();
    if (device != nullptr && device->devType() == QInternal::Image && !painter.hasClipping()
        && toDevice.type() <= QTransform::TxScale && toDevice.m11() > 0 && toDevice.m11() == toDevice.m22()) {
        auto* image = static_cast<QImage*>(device);
        QImage::Format format = image->format();
        if (format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
            || format == QImage::Format_ARGB32_Premultiplied) {
            mDirectImage = image;
            mDirectBits = image->bits();
            mDirectStride = image->bytesPerLine();
            mDirectScale = toDevice.m11();
            mDirectShiftH = toDevice.dx();
            mDirectShiftV = toDevice.dy();
            mDirectWholeShift = mDirectScale == 1.0 && mDirectShiftH == std::trunc(mDirectShiftH)
                && mDirectShiftV == std::trunc(mDirectShiftV);
            mDirectShiftWholeH = static_cast<int>(mDirectShiftH);
            mDirectShiftWholeV = static_cast<int>(mDirectShiftV);
        }
    }
}

QDPort::~QDPort()
{
    if (sCurrentPort == this)
        sCurrentPort = nullptr;
}

QDPort* QDPort::SetPort(QDPort* port)
{
    QDPort* previous = sCurrentPort;
    sCurrentPort = port;
    return previous;
}

void QDPort::RGBForeColor(const RGBColor& color)
{
    mForeColor = color;
    // Converted once here rather than at each of the many small fills that follow.
    mForeQColor = ToQColor(color);
    mForePixel = 0xFF000000u | mForeQColor.rgb();
}

void QDPort::PenSize(int width, int height)
{
    mPenWidth = width;
    mPenHeight = height;
}

void QDPort::PenNormal()
{
    PenSize(1, 1);
}

void QDPort::MoveTo(int h, int v)
{
    mPenH = h;
    mPenV = v;
}

void QDPort::Move(int dh, int dv)
{
    MoveTo(mPenH + dh, mPenV + dv);
}

void QDPort::FillPixels(int left, int top, int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    if (mDirectImage != nullptr) {
        // A port pixel covers the device pixels between its edges' places, so that on a screen at 150 % or
        // 200 % lines stay solid and sharp, one or two device pixels wide.
        int x0 = 0;
        int y0 = 0;
        int x1 = 0;
        int y1 = 0;
        if (mDirectWholeShift) {
            // One device pixel per port pixel, the common case, in whole numbers.
            x0 = left + mDirectShiftWholeH;
            y0 = top + mDirectShiftWholeV;
            x1 = x0 + width;
            y1 = y0 + height;
        } else {
            auto edge = [](double value) { return static_cast<int>(std::lround(value)); };
            x0 = edge(left * mDirectScale + mDirectShiftH);
            y0 = edge(top * mDirectScale + mDirectShiftV);
            x1 = edge((left + width) * mDirectScale + mDirectShiftH);
            y1 = edge((top + height) * mDirectScale + mDirectShiftV);
        }
        x0 = std::max(0, x0);
        y0 = std::max(0, y0);
        x1 = std::min(mDirectImage->width(), x1);
        y1 = std::min(mDirectImage->height(), y1);
        if (x1 <= x0 || y1 <= y0)
            return;
        for (int y = y0; y < y1; ++y) {
            auto* line = reinterpret_cast<QRgb*>(mDirectBits + static_cast<qsizetype>(y) * mDirectStride);
            std::fill(line + x0, line + x1, mForePixel);
        }
        return;
    }
    mPainter.fillRect(QRect(left, top, width, height), mForeQColor);
}

void QDPort::LineTo(int h, int v)
{
    int h0 = mPenH;
    int v0 = mPenV;
    mPenH = h;
    mPenV = v;
    if (mPenWidth <= 0 || mPenHeight <= 0)
        return;
    if (h0 == h || v0 == v) {
        FillPixels(std::min(h0, h), std::min(v0, v), std::abs(h - h0) + mPenWidth, std::abs(v - v0) + mPenHeight);
        return;
    }
    // Bresenham's walk, with the pen's rectangle stamped at every step: the pixels QuickDraw lights.
    int dh = std::abs(h - h0);
    int dv = -std::abs(v - v0);
    int stepH = h0 < h ? 1 : -1;
    int stepV = v0 < v ? 1 : -1;
    int error = dh + dv;
    for (;;) {
        FillPixels(h0, v0, mPenWidth, mPenHeight);
        if (h0 == h && v0 == v)
            break;
        int doubled = 2 * error;
        if (doubled >= dv) {
            error += dv;
            h0 += stepH;
        }
        if (doubled <= dh) {
            error += dh;
            v0 += stepV;
        }
    }
}

void QDPort::Line(int dh, int dv)
{
    LineTo(mPenH + dh, mPenV + dv);
}

void QDPort::PaintRect(const Rect& rect)
{
    PaintRect(rect.left, rect.top, rect.right, rect.bottom);
}

void QDPort::PaintRect(int left, int top, int right, int bottom)
{
    FillPixels(left, top, right - left, bottom - top);
}

void QDPort::FrameRect(const Rect& rect)
{
    FrameRect(rect.left, rect.top, rect.right, rect.bottom);
}

void QDPort::FrameRect(int left, int top, int right, int bottom)
{
    int width = right - left;
    int height = bottom - top;
    if (width <= 0 || height <= 0 || mPenWidth <= 0 || mPenHeight <= 0)
        return;
    int bandV = std::min(mPenHeight, height);
    int bandH = std::min(mPenWidth, width);
    FillPixels(left, top, width, bandV);
    FillPixels(left, bottom - bandV, width, bandV);
    FillPixels(left, top, bandH, height);
    FillPixels(right - bandH, top, bandH, height);
}

void QDPort::TextFont(const std::string& family)
{
    if (family == mFontFamily)
        return;
    mFontFamily = family;
    UpdateFont();
}

void QDPort::TextSize(int pixels)
{
    if (pixels == mTextSize)
        return;
    mTextSize = pixels;
    UpdateFont();
}

void QDPort::TextFace(uint8_t face)
{
    if (face == mTextFace)
        return;
    mTextFace = face;
    UpdateFont();
}

void QDPort::UpdateFont()
{
    mFont = UFonts::ForFamily(mFontFamily);
    // QuickDraw sizes are pixels of a 72 dpi screen: size the font in pixels so that a drawing looks the
    // same on every screen and in every image.
    mFont.setPixelSize(std::max(1, mTextSize));
    mFont.setBold((mTextFace & face_Bold) != 0);
    mFont.setItalic((mTextFace & face_Italic) != 0);
    // Drawings switch between a few fonts (a bold title, plain labels) many times.
    mWidths = &mWidthsByFont[FontKey { mFontFamily, mTextSize, mTextFace }];
}

void QDPort::DrawString(std::string_view text)
{
    mPainter.save();
    mPainter.setFont(mFont);
    mPainter.setPen(mForeQColor);
    mPainter.drawText(QPoint(mPenH, mPenV), ToQString(text));
    mPainter.restore();
    mPenH += StringWidth(text);
}

int QDPort::StringWidth(std::string_view text) const
{
    // Drawings measure the same few texts (labels, point numbers) over and over, in one font.
    auto found = mWidths->find(text);
    if (found != mWidths->end())
        return found->second;
    int width = QFontMetrics(mFont, mPainter.device()).horizontalAdvance(ToQString(text));
    if (mWidths->size() >= kMostRememberedWidths)
        mWidths->clear();
    mWidths->emplace(std::string(text), width);
    return width;
}

void QDPort::GetClipBounds(Rect& outRect) const
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    GetClipEdges(left, top, right, bottom);
    auto clamp = [](int value) { return static_cast<int16_t>(std::clamp<int>(value, INT16_MIN, INT16_MAX)); };
    outRect.left = clamp(left);
    outRect.top = clamp(top);
    outRect.right = clamp(right);
    outRect.bottom = clamp(bottom);
}

void QDPort::GetClipEdges(int& left, int& top, int& right, int& bottom) const
{
    QRectF reach(INT_MIN / 2, INT_MIN / 2, double(INT_MAX), double(INT_MAX));
    QPaintDevice* device = mPainter.device();
    if (device != nullptr && device->devType() == QInternal::Image) {
        auto* image = static_cast<QImage*>(device);
        bool invertible = false;
        QTransform fromDevice = mPainter.deviceTransform().inverted(&invertible);
        if (invertible)
            reach = fromDevice.mapRect(QRectF(0, 0, image->width(), image->height()));
    }
    if (mPainter.hasClipping())
        reach &= mPainter.clipBoundingRect();
    // Whole port pixels that any part of the reach touches.
    auto clamp = [](double value) { return static_cast<int>(std::clamp<double>(value, INT_MIN / 2, INT_MAX / 2)); };
    left = clamp(std::floor(reach.left()));
    top = clamp(std::floor(reach.top()));
    right = clamp(std::ceil(reach.right()));
    bottom = clamp(std::ceil(reach.bottom()));
    if (reach.isEmpty()) {
        right = left;
        bottom = top;
    }
}

void QDPort::GetFontInfo(FontInfo& info) const
{
    QFontMetrics metrics(mFont, mPainter.device());
    info.ascent = static_cast<int16_t>(metrics.ascent());
    info.descent = static_cast<int16_t>(metrics.descent());
    info.widMax = static_cast<int16_t>(metrics.maxWidth());
    info.leading = static_cast<int16_t>(metrics.leading());
}
