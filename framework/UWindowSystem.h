// What kind of window system the program runs on, where that changes what a program may do with its
// windows: a Wayland compositor places windows itself and tells no program where they are.
#pragma once

#include <optional>

class UWindowSystem {
public:
    // Whether the windows are on a Wayland compositor (Qt's platform "wayland", "wayland-egl" and the like).
    static bool IsWayland();
    // Tests may decide instead (nullopt: the running platform decides).
    static void SetWaylandForTesting(std::optional<bool> wayland);
};
