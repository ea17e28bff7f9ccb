// The UDisks2 client is a module of its own, kelvara-udisks.so, because it needs Qt D-Bus and the system bus's
// libraries (about 1.8 MB resident): a machine without UDisks2, most servers running Kelvara without windows,
// never loads them.
#pragma once

#include "sensors/UDisksDriveWatch.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QObject;

namespace UDisksModule {

// Makes the listener (a UDisksListener) that lives on the watch's thread; it starts with its slot "Start".
using CreateListener = QObject* (*)(std::string sysfsRoot, std::shared_ptr<UDisksDriveWatch::Offers> offers,
    std::function<void()> offered);

constexpr const char* kFileName = "kelvara-udisks.so";
// Names the module's file instead of the places below, for a build tree's tests.
constexpr const char* kPathVariable = "KELVARA_UDISKS_MODULE";

// Whether UDisks2 can be there: a system bus named by DBUS_SYSTEM_BUS_ADDRESS, or UDisks2's bus service file
// installed below root ("/" for the machine). UDisks2 installed while Kelvara runs is found at its next start.
bool MayBeRunning(const std::string& root);
// Where the module is looked for: KELVARA_UDISKS_MODULE when set, else beside the program (a build tree), then
// in lib/kelvara beside the program's bin folder (an installation).
std::vector<std::string> Places(const std::string& programFolder);
// The module's entry point, loaded once; nullptr, said once on standard error, when it cannot be loaded.
CreateListener Load();

}
