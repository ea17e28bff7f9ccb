#include "framework/DamagedFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr int kMostDamagedCopies = 1000;

bool Exists(const std::string& path)
{
    struct stat info { };
    return ::lstat(path.c_str(), &info) == 0;
}

}

std::string SetAsideDamagedFile(const std::string& path)
{
    for (int copy = 1; copy <= kMostDamagedCopies; ++copy) {
        std::string target = path + ".damaged";
        if (copy > 1)
            target += " " + std::to_string(copy);
        if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
            return target;
        if (errno == EEXIST)
            continue;
        if (errno != EINVAL && errno != ENOSYS)
            return {};
        // A file system that cannot refuse to replace: look first, then rename.
        if (Exists(target))
            continue;
        if (::rename(path.c_str(), target.c_str()) == 0)
            return target;
        return {};
    }
    errno = EEXIST;
    return {};
}
