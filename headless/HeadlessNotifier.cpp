#include "headless/HeadlessNotifier.h"

#include <cstdlib>
#include <string>
#include <sys/stat.h>

void HeadlessNotifier::Notify(const std::string& title, const std::string& text)
{
    if (mLogTo == Log::StandardError)
        mLog.Notify(title, text);
    if (HasSessionBus())
        mDesktop.Notify(title, text);
}

bool HeadlessNotifier::HasSessionBus()
{
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address != nullptr && address[0] != '\0')
        return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || runtime[0] != '/')
        return false;
    struct stat info { };
    return ::stat((std::string(runtime) + "/bus").c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}
