// The colours a graph takes from the desktop's palette, light or dark: the plot on the base colour (as a
// text field), grid lines of matching contrast, and labels beside the plot in the window's text colour.
#pragma once

#include "framework/QuickDrawTypes.h"

class QPalette;

struct PlotColors {
    // Behind the lines.
    RGBColor background;
    // The plot's border, and marks drawn on it.
    RGBColor border;
    // Lines across the plot that must not compete with the data.
    RGBColor grid;
    // Labels beside the plot, on the window's background.
    RGBColor text;
    // The window's background, behind those labels.
    RGBColor window;

    static PlotColors Of(const QPalette& palette);

    // A sensor's colour (or any fixed one) as it is drawn on the plot: lightened on a dark plot, darkened on a
    // light one, when it would not stand out enough. The colour kept in the preferences stays as it is.
    RGBColor OnPlot(const RGBColor& color) const;
};
