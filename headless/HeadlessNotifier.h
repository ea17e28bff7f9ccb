// Warnings of a Kelvara that runs without windows: always one line on standard error, which the service
// manager's journal keeps, and a desktop notification as well when a session bus is there to carry it (a
// user logged in to a desktop while the service runs).
#pragma once

#include "platform/BusctlNotifier.h"
#include "platform/Notifier.h"
#include "platform/StandardErrorNotifier.h"

class HeadlessNotifier : public Notifier {
public:
    // Without the line on standard error, for those who write it themselves.
    enum class Log { StandardError, None };
    explicit HeadlessNotifier(Log log = Log::StandardError)
        : mLogTo(log)
    {
    }

    void Notify(const std::string& title, const std::string& text) override;

    // Whether the environment names a session bus: DBUS_SESSION_BUS_ADDRESS, or the bus socket that the user's
    // service manager keeps in XDG_RUNTIME_DIR. Nothing connects before a warning is due.
    static bool HasSessionBus();

private:
    Log mLogTo;
    StandardErrorNotifier mLog;
    BusctlNotifier mDesktop;
};
