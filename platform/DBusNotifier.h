// Notifications through the desktop's notification service, org.freedesktop.Notifications on the
// session bus: the way to reach the user on a desktop without a system tray.
#pragma once

#include "platform/Notifier.h"

class DBusNotifier : public Notifier {
public:
    // Sends the message without waiting for the answer, so that a slow or missing service never holds up
    // the program; a failure is reported on standard error with the message itself.
    void Notify(const std::string& title, const std::string& text) override;
};
