// Keeping windows where the user can reach them: on a screen, clear of panels and docks.
#pragma once

#include "framework/QuickDrawTypes.h"

#include <vector>

namespace UScreenPlacement {

// Where window (its outer frame, title bar included) goes so that it lies on one of the screens' available
// areas: on the one it overlaps most, else on the first. A window that lies on an area stays where it is;
// one that sticks out is moved just enough, and one larger than the area keeps its top left corner on it.
Rect PlaceOnScreen(const Rect& window, const std::vector<Rect>& screens);

// The areas of the desktop's screens that windows may use (panels excluded), the primary screen first.
std::vector<Rect> AvailableScreenAreas();

}
