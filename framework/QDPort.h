// A QuickDraw-style graphics port that draws through a QPainter: fore colour, pen, lines, rectangles, text.
#pragma once

#include "framework/QuickDrawTypes.h"

#include <QColor>
#include <QFont>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <tuple>

class QImage;
class QPainter;

struct FontInfo {
    int16_t ascent = 0;
    int16_t descent = 0;
    int16_t widMax = 0;
    int16_t leading = 0;
};

class QDPort {
public:
    // Text faces, combined by or.
    enum : uint8_t { face_Normal = 0, face_Bold = 1, face_Italic = 2 };

    // The painter must outlive the port. The port starts with a black 1x1 pen at (0, 0) and 12-pixel
    // "Helvetica".
    explicit QDPort(QPainter& painter);
    ~QDPort();

    QDPort(const QDPort&) = delete;
    QDPort& operator=(const QDPort&) = delete;

    // The port that drawing without an explicit port goes to (SwitchColor); null when there is none.
    static QDPort* GetCurrentPort() { return sCurrentPort; }
    // Returns the port that was current before.
    static QDPort* SetPort(QDPort* port);

    void RGBForeColor(const RGBColor& color);
    RGBColor GetForeColor() const { return mForeColor; }

    // A pen of width or height 0 or less draws nothing.
    void PenSize(int width, int height);
    int GetPenWidth() const { return mPenWidth; }
    int GetPenHeight() const { return mPenHeight; }
    // Back to a 1x1 pen; the colour and the pen's place stay.
    void PenNormal();

    void MoveTo(int h, int v);
    void Move(int dh, int dv);
    int GetPenH() const { return mPenH; }
    int GetPenV() const { return mPenV; }

    // Drags the pen, whose top left corner follows the line, from its place to (h, v), and leaves it there.
    void LineTo(int h, int v);
    void Line(int dh, int dv);

    void PaintRect(const Rect& rect);
    // The rectangle's outline, drawn inside it with the pen's width and height.
    void FrameRect(const Rect& rect);
    // The same by edges, for drawings wider than the 16 bits of a Rect (a zoomed graph of 250 hours).
    void PaintRect(int left, int top, int right, int bottom);
    void FrameRect(int left, int top, int right, int bottom);

    // "Helvetica" is the desktop's sans-serif family, "Courier" its monospace family; other names are
    // asked of the font system as they are.
    void TextFont(const std::string& family);
    void TextSize(int pixels);
    void TextFace(uint8_t face);

    // Draws UTF-8 text with its baseline starting at the pen, in the fore colour, and moves the pen to
    // the text's end.
    void DrawString(std::string_view text);
    int StringWidth(std::string_view text) const;
    void GetFontInfo(FontInfo& info) const;

    // The port's coordinates that drawing can reach (the pixels of the image drawn into, within the
    // painter's clip), so that a costly drawing can leave out what would not be seen. Everything a
    // drawing could ever cover when the painter paints elsewhere than into an image.
    void GetClipBounds(Rect& outRect) const;
    // The same without the 16 bits of a Rect: left, top, right and bottom edges.
    void GetClipEdges(int& left, int& top, int& right, int& bottom) const;

private:
    void FillPixels(int left, int top, int width, int height);
    void UpdateFont();

    QPainter& mPainter;
    // The image drawn into directly, when the painter paints into one (see the constructor).
    QImage* mDirectImage = nullptr;
    uchar* mDirectBits = nullptr;
    qsizetype mDirectStride = 0;
    double mDirectScale = 1.0;
    double mDirectShiftH = 0;
    double mDirectShiftV = 0;
    bool mDirectWholeShift = false;
    int mDirectShiftWholeH = 0;
    int mDirectShiftWholeV = 0;
    RGBColor mForeColor;
    QColor mForeQColor { 0, 0, 0 };
    QRgb mForePixel = 0xFF000000u;
    int mPenWidth = 1;
    int mPenHeight = 1;
    int mPenH = 0;
    int mPenV = 0;
    std::string mFontFamily = "Helvetica";
    int mTextSize = 12;
    uint8_t mTextFace = face_Normal;
    QFont mFont;
    // Widths of texts measured, by font; mWidths holds those of mFont.
    using FontKey = std::tuple<std::string, int, uint8_t>;
    using TextWidths = std::map<std::string, int, std::less<>>;
    std::map<FontKey, TextWidths> mWidthsByFont;
    TextWidths* mWidths = nullptr;

    static QDPort* sCurrentPort;
};
