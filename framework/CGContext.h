// A Core Graphics-style drawing context over a QPainter: origin at the bottom left, y upward, colours as
// fractions with alpha, paths, rectangles and text.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainterPath>

#include <string>
#include <string_view>

class QPainter;

using CGFloat = double;

struct CGPoint {
    CGFloat x = 0;
    CGFloat y = 0;
};

struct CGSize {
    CGFloat width = 0;
    CGFloat height = 0;
};

struct CGRect {
    CGPoint origin;
    CGSize size;
};

inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height)
{
    return CGRect { { x, y }, { width, height } };
}

class CGContext {
public:
    // height is the height of the drawing area in the painter's coordinates: y = 0 is its bottom edge.
    // The painter must outlive the context; the context draws antialiased, as Core Graphics does.
    CGContext(QPainter& painter, CGFloat height);

    CGContext(const CGContext&) = delete;
    CGContext& operator=(const CGContext&) = delete;

    // Channels and alpha from 0 to 1; values outside are clamped.
    void SetRGBStrokeColor(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
    void SetRGBFillColor(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
    void SetLineWidth(CGFloat width);

    // The current path; stroking or filling it uses it up.
    void BeginPath();
    void MoveToPoint(CGFloat x, CGFloat y);
    void AddLineToPoint(CGFloat x, CGFloat y);
    void ClosePath();
    void StrokePath();
    void FillPath();

    void FillRect(const CGRect& rect);
    void StrokeRect(const CGRect& rect);
    // Makes the rectangle fully transparent.
    void ClearRect(const CGRect& rect);

    // "Helvetica" and "Courier" stand for the desktop's sans-serif and monospace families.
    void SelectFont(const std::string& name, CGFloat size);
    // Draws UTF-8 text upright in the fill colour, its baseline starting at (x, y).
    void ShowTextAtPoint(CGFloat x, CGFloat y, std::string_view text);
    CGFloat GetTextWidth(std::string_view text) const;

private:
    QPointF ToDevice(CGFloat x, CGFloat y) const { return QPointF(x, mHeight - y); }
    QRectF ToDevice(const CGRect& rect) const;

    QPainter& mPainter;
    CGFloat mHeight;
    QColor mStrokeColor = Qt::black;
    QColor mFillColor = Qt::black;
    CGFloat mLineWidth = 1.0;
    QPainterPath mPath;
    QFont mFont;
};

using CGContextRef = CGContext*;
