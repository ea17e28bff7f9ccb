// Keeping windows where the user can reach them: on a screen, clear of panels and docks.
#pragma once

#include "framework/QuickDrawTypes.h"

#include <cstdint>
#include <vector>

namespace UScreenPlacement {

// Where window (its outer frame, title bar included) goes so that it lies on one of the screens' available
// areas: on the one it overlaps most, else on the first. A window that lies on an area stays where it is;
// one that sticks out is moved just enough, and one larger than the area keeps its top left corner on it.
Rect PlaceOnScreen(const Rect& window, const std::vector<Rect>& screens);

// A recorded window's content rectangle made one the desktop can show. An inverted or empty rectangle takes
// the fallback size (the layout's); one wider or taller than the available area of the screen it overlaps
// most (else the first) is cut to that area, less frameHeight (what the title bar and menu bar add above
// the content). The top left corner stays (unless the far edges would pass the 16 bits of a rectangle):
// PlaceOnScreen brings the window onto the area.
Rect BoundSize(const Rect& content, const std::vector<Rect>& screens, int32_t fallbackWidth, int32_t fallbackHeight,
    int32_t frameHeight);

// The areas of the desktop's screens that windows may use (panels excluded), the primary screen first.
std::vector<Rect> AvailableScreenAreas();

}
