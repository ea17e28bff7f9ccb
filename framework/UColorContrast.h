// Colours that stay legible on any background: contrast as the web's accessibility guidelines measure it,
// and a colour moved towards white or black until it stands out from what it is drawn on.
#pragma once

#include "framework/QuickDrawTypes.h"

class QColor;

namespace UColorContrast {

// What a line or a text needs to be told from its background.
constexpr double kLegibleContrast = 3.0;

// From 0 (black) to 1 (white).
double RelativeLuminance(const RGBColor& color);
// From 1 (the same luminance) to 21 (black on white).
double ContrastRatio(const RGBColor& a, const RGBColor& b);

// The colour that lies share (0 to 1) of the way from `from` to `to`.
RGBColor Mix(const RGBColor& from, const RGBColor& to, double share);

// color itself when it stands out from background by at least minimum; otherwise color mixed with white on
// a dark background, or with black on a light one, just as far as it takes (all the way when even that is
// too little).
RGBColor LegibleOn(const RGBColor& color, const RGBColor& background, double minimum = kLegibleContrast);

RGBColor FromQColor(const QColor& color);
QColor ToQColor(const RGBColor& color);

}
