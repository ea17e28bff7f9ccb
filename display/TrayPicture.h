// The tray icon's own picture: one number, as large as the icon allows. A tray shows icons of 16 to 48
// pixels, where the 128-pixel tile would shrink to a grey square with unreadable text.
#pragma once

#include <QImage>

#include <string>

class QPainter;
class QRect;

class TrayPicture {
public:
    // The largest icon drawn as a number; larger ones show the tile.
    static constexpr int kLargestSize = 48;
    // The colour of a value at or above its limit, as data windows show it.
    static constexpr QRgb kLimitColor = qRgb(218, 0, 0);
    static constexpr QRgb kValueColor = qRgb(0, 0, 0);
    // The tile's flat grey, lightened so that the limit colour stands out from it.
    static constexpr QRgb kBackgroundColor = qRgb(217, 217, 217);
    static constexpr QRgb kFrameColor = qRgb(90, 90, 90);

    // value: what the icon shows, whole degrees without a scale letter ("47", "-5"); atLimit draws it in the
    // limit colour. An empty value (no reading) shows two dashes.
    TrayPicture(std::string value, bool atLimit);

    // Draws the picture into rect, the digits as tall as they fit.
    void Paint(QPainter& painter, const QRect& rect) const;
    // The picture as a square image of pixels x pixels.
    QImage Image(int pixels) const;

    const std::string& GetValue() const { return mValue; }
    bool IsAtLimit() const { return mAtLimit; }
    bool operator==(const TrayPicture& other) const = default;

private:
    std::string mValue;
    bool mAtLimit;
};
