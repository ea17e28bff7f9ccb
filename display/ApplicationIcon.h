// The application's own icon, a thermometer over a history graph, drawn at the tile's size.
#pragma once

#include <QImage>

class CGContext;

class ApplicationIcon {
public:
    static constexpr int kSize = 128;

    // Draws the icon into a context whose drawing area is kSize points square.
    static void Draw(CGContext& context);
    // The icon as a kSize x kSize image with a transparent surround.
    static QImage Image();
};
