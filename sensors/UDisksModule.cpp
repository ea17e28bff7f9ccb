#include "sensors/UDisksModule.h"

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <mutex>
#include <unistd.h>

namespace UDisksModule {

bool MayBeRunning(const std::string& root)
{
    if (const char* address = std::getenv("DBUS_SYSTEM_BUS_ADDRESS"); address != nullptr && *address != '\0')
        return true;
    // Where the system bus looks for the services it can start; the udisks2 package puts its file there.
    for (const char* folder : { "/usr/share/dbus-1/system-services", "/usr/local/share/dbus-1/system-services",
             "/lib/dbus-1/system-services" }) {
        std::error_code error;
        if (std::filesystem::exists(root + folder + "/org.freedesktop.UDisks2.service", error))
            return true;
    }
    return false;
}

std::vector<std::string> Places(const std::string& programFolder)
{
    if (const char* path = std::getenv(kPathVariable); path != nullptr && *path != '\0')
        return { path };
    return { programFolder + "/" + kFileName, programFolder + "/../lib/kelvara/" + kFileName };
}

namespace {

CreateListener LoadOnce()
{
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    std::string tried;
    for (const std::string& place : Places(program.parent_path().string())) {
        // Never unloaded: its code runs for as long as the program.
        void* module = ::dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            tried += std::string("\n  ") + ::dlerror();
            continue;
        }
        if (auto create = reinterpret_cast<CreateListener>(::dlsym(module, "KelvaraCreateUDisksListener")))
            return create;
        tried += "\n  " + place + ": no entry point KelvaraCreateUDisksListener";
    }
    std::fprintf(stderr, "Kelvara: cannot load the UDisks2 module, so no drive temperatures from UDisks2:%s\n",
        tried.c_str());
    return nullptr;
}

}

CreateListener Load()
{
    static std::once_flag once;
    static CreateListener create = nullptr;
    std::call_once(once, [] { create = LoadOnce(); });
    return create;
}

}
