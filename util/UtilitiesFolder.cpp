#include "util/UtilitiesFolder.h"

#include "framework/LException.h"
#include "platform/Platform.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Creates every missing folder of path; the last one with mode, those above it with 0700 too, as the
// base-directory rules ask of a configuration home the program has to make.
int MakeFolders(const std::string& path, mode_t mode)
{
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        std::string parent = path.substr(0, slash);
        if (::mkdir(parent.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
    }
    if (::mkdir(path.c_str(), mode) != 0 && errno != EEXIST)
        return errno;
    return 0;
}

}

int16_t GetFolderInfo(std::string& folder, const std::string& name, bool create)
{
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
        return static_cast<int16_t>(EINVAL);
    std::string path = folder + "/" + name;
    struct stat info { };
    if (::stat(path.c_str(), &info) == 0) {
        if (!S_ISDIR(info.st_mode))
            return static_cast<int16_t>(ENOTDIR);
        folder = path;
        return 0;
    }
    if (errno != ENOENT)
        return static_cast<int16_t>(errno);
    if (!create)
        return static_cast<int16_t>(fnfErr);
    if (int err = MakeFolders(path, 0700); err != 0)
        return static_cast<int16_t>(err);
    folder = path;
    return 0;
}

int16_t FindUtilitiesFolder(bool create, std::string& outFolder)
{
    std::string preferences = Platform::Folders().PreferencesFolder();
    if (preferences.empty() || preferences[0] != '/')
        return static_cast<int16_t>(fnfErr);
    struct stat info { };
    if (::stat(preferences.c_str(), &info) != 0) {
        if (errno != ENOENT || !create)
            return static_cast<int16_t>(errno == ENOENT ? fnfErr : errno);
        if (int err = MakeFolders(preferences, 0700); err != 0)
            return static_cast<int16_t>(err);
    }
    std::string folder = preferences;
    int16_t status = GetFolderInfo(folder, kUtilitiesFolderName, create);
    if (status == 0)
        outFolder = folder;
    return status;
}

std::string UtilitiesFolderPath()
{
    std::string preferences = Platform::Folders().PreferencesFolder();
    if (preferences.empty() || preferences[0] != '/')
        return {};
    return preferences + "/" + kUtilitiesFolderName;
}

std::optional<std::string> WhyUtilitiesFolderCannotBeWritten()
{
    std::string path = UtilitiesFolderPath();
    if (path.empty())
        return "there is no configuration folder (neither XDG_CONFIG_HOME nor HOME names one)";
    std::string folder;
    int16_t status = FindUtilitiesFolder(true, folder);
    if (status == ENOTDIR) {
        // Most often XDG_CONFIG_HOME names a file: say which part of the path is one.
        size_t end = 0;
        do {
            end = path.find('/', end + 1);
            std::string part = path.substr(0, end);
            struct stat info { };
            if (::stat(part.c_str(), &info) == 0 && !S_ISDIR(info.st_mode))
                return "\"" + part + "\" is a file, not a folder";
        } while (end != std::string::npos);
    }
    if (status > 0)
        return std::strerror(status);
    if (status != 0)
        return LException::DescribeCode(status);
    // Only writing tells for sure; this says it for a read-only disk and a folder closed to the user.
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        return std::strerror(errno);
    return std::nullopt;
}
