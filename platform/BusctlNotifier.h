// Notifications through the desktop's notification service (org.freedesktop.Notifications on the user's
// session bus), sent by systemd's busctl rather than by a D-Bus library in the process: a program that runs
// for months without windows then loads no D-Bus code for the rare warning.
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
