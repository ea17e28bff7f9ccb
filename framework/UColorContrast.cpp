#include "framework/UColorContrast.h"

#include <QColor>

#include <algorithm>
#include <cmath>

namespace {

constexpr RGBColor kWhite { 65535, 65535, 65535 };
constexpr RGBColor kBlack { 0, 0, 0 };

double Linear(uint16_t channel)
{
    double value = channel / 65535.0;
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

}

double UColorContrast::RelativeLuminance(const RGBColor& color)
{
    return 0.2126 * Linear(color.red) + 0.7152 * Linear(color.green) + 0.0722 * Linear(color.blue);
}

double UColorContrast::ContrastRatio(const RGBColor& a, const RGBColor& b)
{
    double first = RelativeLuminance(a);
    double second = RelativeLuminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

RGBColor UColorContrast::Mix(const RGBColor& from, const RGBColor& to, double share)
{
    share = std::clamp(share, 0.0, 1.0);
    auto channel = [share](uint16_t a, uint16_t b) {
        return static_cast<uint16_t>(std::lround(a + (static_cast<double>(b) - a) * share));
    };
    return RGBColor { channel(from.red, to.red), channel(from.green, to.green), channel(from.blue, to.blue) };
}

RGBColor UColorContrast::LegibleOn(const RGBColor& color, const RGBColor& background, double minimum)
{
    if (ContrastRatio(color, background) >= minimum)
        return color;
    // Towards whichever end stands out more from the background.
    const RGBColor& end = ContrastRatio(kWhite, background) >= ContrastRatio(kBlack, background) ? kWhite : kBlack;
    if (ContrastRatio(end, background) < minimum)
        return end;
    // The contrast grows steadily along the way once past the background's own luminance: the least share
    // that reaches the minimum, to a sixteenth of a percent.
    double low = 0.0;
    double high = 1.0;
    for (int step = 0; step < 12; ++step) {
        double middle = (low + high) / 2;
        RGBColor mixed = Mix(color, end, middle);
        bool pastBackground = (end == kWhite) == (RelativeLuminance(mixed) > RelativeLuminance(background));
        if (pastBackground && ContrastRatio(mixed, background) >= minimum)
            high = middle;
        else
            low = middle;
    }
    return Mix(color, end, high);
}

RGBColor UColorContrast::FromQColor(const QColor& color)
{
    QRgba64 rgb = color.rgba64();
    return RGBColor { rgb.red(), rgb.green(), rgb.blue() };
}

QColor UColorContrast::ToQColor(const RGBColor& color)
{
    return QColor::fromRgba64(color.red, color.green, color.blue);
}
