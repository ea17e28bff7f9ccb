#include "display/DesktopNotifier.h"

#include "display/DockTile.h"
#include "display/DockTray.h"

void DesktopNotifier::Notify(const std::string& title, const std::string& text)
{
    if (DockTray::IsAvailable() && DockTile::Get()->ShowTrayMessage(title, text))
        return;
    mService.Notify(title, text);
}
