#include "platform/DataFolderLock.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kRetryMilliseconds = 100;

}

DataFolderLock::DataFolderLock(const std::string& folder)
    : mPath(folder + "/" + kFileName)
{
}

DataFolderLock::~DataFolderLock()
{
    Close();
}

void DataFolderLock::Close()
{
    if (mFile >= 0)
        ::close(mFile);
    mFile = -1;
}

DataFolderLock::Outcome DataFolderLock::Take(int patienceMilliseconds)
{
    // Close-on-exec: a mail program or a browser started through xdg-open must not keep the folder locked
    // after Kelvara ends.
    const int flags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    mFile = ::open(mPath.c_str(), O_RDWR | O_CREAT | flags, 0600);
    // A folder that cannot be written is locked all the same through a lock file that is there.
    if (mFile < 0 && (errno == EROFS || errno == EACCES)) {
        int cannotCreate = errno;
        mFile = ::open(mPath.c_str(), O_RDONLY | flags);
        if (mFile < 0 && errno == ENOENT)
            errno = cannotCreate;
    }
    struct stat info { };
    if (mFile >= 0 && (::fstat(mFile, &info) != 0 || !S_ISREG(info.st_mode))) {
        Close();
        errno = EINVAL;
    }
    if (mFile < 0) {
        std::fprintf(stderr,
            "Kelvara: cannot use \"%s\" as the lock of its folder (%s); this Kelvara runs without making sure that "
            "no other one writes there.\n",
            mPath.c_str(), std::strerror(errno));
        return Outcome::Unlocked;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(patienceMilliseconds);
    for (;;) {
        if (::flock(mFile, LOCK_EX | LOCK_NB) == 0) {
            WriteHolder();
            return Outcome::Held;
        }
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK) {
            std::fprintf(stderr,
                "Kelvara: the file system of \"%s\" cannot lock files (%s); this Kelvara runs without making sure "
                "that no other one writes there.\n",
                mPath.c_str(), std::strerror(errno));
            Close();
            return Outcome::Unlocked;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            mHolder = ReadHolder();
            Close();
            return Outcome::HeldByAnother;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kRetryMilliseconds));
    }
}

void DataFolderLock::WriteHolder()
{
    // A refusal names the writer; a lock file that cannot be written (a read-only folder) names nobody.
    std::string text = std::to_string(::getpid()) + "\n";
    if (::ftruncate(mFile, 0) == 0) {
        [[maybe_unused]] ssize_t written = ::pwrite(mFile, text.data(), text.size(), 0);
    }
}

std::optional<pid_t> DataFolderLock::ReadHolder() const
{
    char text[24] = {};
    ssize_t length = ::pread(mFile, text, sizeof text - 1, 0);
    if (length <= 0)
        return std::nullopt;
    long long pid = 0;
    ssize_t at = 0;
    for (; at < length && text[at] >= '0' && text[at] <= '9' && pid <= 0x7FFFFFFF; ++at)
        pid = pid * 10 + (text[at] - '0');
    // Only a whole line: the holder may be writing it at this moment.
    if (at == 0 || pid <= 0 || pid > 0x7FFFFFFF || text[at] != '\n')
        return std::nullopt;
    return static_cast<pid_t>(pid);
}
