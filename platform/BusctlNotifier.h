// Notifications through the desktop's notification service (org.freedesktop.Notifications on the user's
// session bus), sent by systemd's busctl, started only when a warning is due: a program that runs without
// windows for months, as a service, keeps no connection to a session bus that may come and go.
#pragma once

#include "platform/Notifier.h"

#include <string>
#include <vector>

class BusctlNotifier : public Notifier {
public:
    // Starts busctl and returns at once; a failure (no busctl, no bus, no notification service) is reported on
    // standard error when busctl ends.
    void Notify(const std::string& title, const std::string& text) override;

    // The arguments given to busctl for a notification.
    static std::vector<std::string> Arguments(const std::string& title, const std::string& text);
};
