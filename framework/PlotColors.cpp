#include "framework/PlotColors.h"

#include "framework/UColorContrast.h"

#include <QPalette>

namespace {

// As far from the background towards the text as the light grey grid was from its grey plot.
constexpr double kGridShare = 0.2;

}

PlotColors PlotColors::Of(const QPalette& palette)
{
    PlotColors colors;
    colors.background = UColorContrast::FromQColor(palette.color(QPalette::Base));
    colors.border = UColorContrast::FromQColor(palette.color(QPalette::Text));
    colors.grid = UColorContrast::Mix(colors.background, colors.border, kGridShare);
    colors.text = UColorContrast::FromQColor(palette.color(QPalette::WindowText));
    colors.window = UColorContrast::FromQColor(palette.color(QPalette::Window));
    return colors;
}

RGBColor PlotColors::OnPlot(const RGBColor& color) const
{
    return UColorContrast::LegibleOn(color, background);
}
