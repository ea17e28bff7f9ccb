#include "framework/UScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cstdint>

namespace {

int64_t Overlap(const Rect& a, const Rect& b)
{
    int64_t width = std::min<int64_t>(a.right, b.right) - std::max<int64_t>(a.left, b.left);
    int64_t height = std::min<int64_t>(a.bottom, b.bottom) - std::max<int64_t>(a.top, b.top);
    return width > 0 && height > 0 ? width * height : 0;
}

// The one-dimensional rule: fits, or moves in just far enough, its start kept on the area.
int32_t Shift(int32_t start, int32_t end, int32_t areaStart, int32_t areaEnd)
{
    int32_t shift = 0;
    if (end > areaEnd)
        shift = areaEnd - end;
    if (start + shift < areaStart)
        shift = areaStart - start;
    return shift;
}

}

Rect UScreenPlacement::PlaceOnScreen(const Rect& window, const std::vector<Rect>& screens)
{
    if (screens.empty())
        return window;
    const Rect* area = &screens.front();
    int64_t best = 0;
    for (const Rect& screen : screens) {
        if (int64_t overlap = Overlap(window, screen); overlap > best) {
            best = overlap;
            area = &screen;
        }
    }
    int32_t dh = Shift(window.left, window.right, area->left, area->right);
    int32_t dv = Shift(window.top, window.bottom, area->top, area->bottom);
    return Rect { static_cast<int16_t>(window.top + dv), static_cast<int16_t>(window.left + dh),
        static_cast<int16_t>(window.bottom + dv), static_cast<int16_t>(window.right + dh) };
}

Rect UScreenPlacement::BoundSize(const Rect& content, const std::vector<Rect>& screens, int32_t fallbackWidth,
    int32_t fallbackHeight, int32_t frameHeight)
{
    // A window that would reach past the 16 bits of a rectangle starts that much earlier instead.
    auto sized = [&](int32_t width, int32_t height) {
        int32_t top = std::min<int32_t>(content.top, INT16_MAX - height);
        int32_t left = std::min<int32_t>(content.left, INT16_MAX - width);
        return Rect { static_cast<int16_t>(top), static_cast<int16_t>(left), static_cast<int16_t>(top + height),
            static_cast<int16_t>(left + width) };
    };
    int32_t width = content.right - content.left;
    int32_t height = content.bottom - content.top;
    if (width <= 0 || height <= 0) {
        width = fallbackWidth;
        height = fallbackHeight;
    }
    if (!screens.empty()) {
        const Rect* area = &screens.front();
        int64_t best = 0;
        for (const Rect& screen : screens) {
            if (int64_t overlap = Overlap(sized(width, height), screen); overlap > best) {
                best = overlap;
                area = &screen;
            }
        }
        width = std::min<int32_t>(width, area->right - area->left);
        height = std::min<int32_t>(height, std::max<int32_t>(1, area->bottom - area->top - frameHeight));
    }
    // However large the recorded rectangle, it must fit the 16 bits.
    width = std::min<int32_t>(width, INT16_MAX);
    height = std::min<int32_t>(height, INT16_MAX);
    return sized(width, height);
}

std::vector<Rect> UScreenPlacement::AvailableScreenAreas()
{
    std::vector<Rect> areas;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return areas;
    QList<QScreen*> screens = QGuiApplication::screens();
    if (QScreen* primary = QGuiApplication::primaryScreen()) {
        screens.removeAll(primary);
        screens.prepend(primary);
    }
    for (QScreen* screen : screens) {
        QRect available = screen->availableGeometry();
        areas.push_back(Rect { static_cast<int16_t>(available.top()), static_cast<int16_t>(available.left()),
            static_cast<int16_t>(available.top() + available.height()),
            static_cast<int16_t>(available.left() + available.width()) });
    }
    return areas;
}
