// The value types of QuickDraw-style drawing: 16-bit colour channels and integer rectangles.
#pragma once

#include <cstdint>

// Channels from 0 to 65535.
struct RGBColor {
    uint16_t red = 0;
    uint16_t green = 0;
    uint16_t blue = 0;

    friend bool operator==(const RGBColor&, const RGBColor&) = default;
};

// Pixel edges, not pixels: a rectangle covers the pixels from left to right - 1 and from top to bottom - 1.
struct Rect {
    int16_t top = 0;
    int16_t left = 0;
    int16_t bottom = 0;
    int16_t right = 0;

    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Point {
    int16_t v = 0;
    int16_t h = 0;

    friend bool operator==(const Point&, const Point&) = default;
};
