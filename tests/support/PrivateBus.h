// A D-Bus message bus of the test's own (dbus-daemon with the session bus's configuration), so that tests
// talk to real services without touching the user's session.
#pragma once

#include <QProcess>

#include <string>

class PrivateBus {
public:
    // Starts the daemon; GetAddress is empty when it could not be started.
    PrivateBus();
    ~PrivateBus();

    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    const std::string& GetAddress() const { return mAddress; }

private:
    QProcess mDaemon;
    std::string mAddress;
};
