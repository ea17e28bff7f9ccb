#include "platform/UserFolders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

LinuxUserFolders::LinuxUserFolders(Environment environment)
    : mEnvironment(std::move(environment))
{
    if (!mEnvironment)
        mEnvironment = [](const char* name) { return static_cast<const char*>(std::getenv(name)); };
}

std::string LinuxUserFolders::PreferencesFolder()
{
    const char* config = mEnvironment("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/')
        return config;
    const char* home = mEnvironment("HOME");
    if (home != nullptr && home[0] == '/')
        return std::string(home) + "/.config";
    if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr)
        return std::string(user->pw_dir) + "/.config";
    return {};
}
