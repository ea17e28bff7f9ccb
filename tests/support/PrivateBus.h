// A D-Bus daemon of the test's own, standing in for the system bus, and serving any test that needs a bus:
// started in a temporary folder, named to the program through DBUS_SYSTEM_BUS_ADDRESS (restored at the end),
// and stopped with the test.
#pragma once

#include "tests/support/TestFolders.h"

#include <QProcess>

#include <optional>
#include <string>

class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();

    const std::string& Address() const { return mAddress; }

private:
    TemporaryFolder mFolder;
    QProcess mDaemon;
    std::string mAddress;
    std::optional<std::string> mOldAddress;
};
