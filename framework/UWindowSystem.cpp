#include "framework/UWindowSystem.h"

#include <QGuiApplication>

namespace {

std::optional<bool>& WaylandOverride()
{
    static std::optional<bool> wayland;
    return wayland;
}

}

bool UWindowSystem::IsWayland()
{
    if (WaylandOverride())
        return *WaylandOverride();
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr
        && QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void UWindowSystem::SetWaylandForTesting(std::optional<bool> wayland)
{
    WaylandOverride() = wayland;
}
