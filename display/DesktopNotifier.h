// Desktop notifications the way this desktop shows them: at the tray icon where there is a system tray,
// else through the desktop's notification service.
#pragma once

#include "platform/DBusNotifier.h"
#include "platform/Notifier.h"

class DesktopNotifier : public Notifier {
public:
    void Notify(const std::string& title, const std::string& text) override;

private:
    DBusNotifier mService;
};
