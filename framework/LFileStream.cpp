#include "framework/LFileStream.h"

#include "framework/LException.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : mFd(fd)
    {
    }
    ~FileDescriptor()
    {
        if (mFd >= 0)
            ::close(mFd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return mFd; }
    int Release()
    {
        int fd = mFd;
        mFd = -1;
        return fd;
    }

private:
    int mFd;
};

std::string FolderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The name of a temporary file of Commit: the file's own name, a dot and the six letters or digits that
// mkstemp put in place of "XXXXXX".
constexpr size_t kTemporarySuffixLength = 7;

bool IsTemporaryOf(std::string_view name, std::string_view fileName)
{
    if (name.size() != fileName.size() + kTemporarySuffixLength || !name.starts_with(fileName)
        || name[fileName.size()] != '.')
        return false;
    for (char c : name.substr(fileName.size() + 1)) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

}

int LFileStream::RemoveLeftoverTemporaries(const std::string& path)
{
    std::string folder = FolderOf(path);
    std::string fileName = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return 0;
    std::vector<std::string> leftovers;
    while (const dirent* entry = ::readdir(dir)) {
        if (IsTemporaryOf(entry->d_name, fileName))
            leftovers.push_back(folder + "/" + entry->d_name);
    }
    ::closedir(dir);
    int removed = 0;
    for (const std::string& leftover : leftovers) {
        // Only a plain file: Commit never makes anything else.
        struct stat info { };
        if (::lstat(leftover.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        if (::unlink(leftover.c_str()) == 0) {
            ++removed;
            std::fprintf(
                stderr, "Kelvara: removed \"%s\", left behind by a save that was interrupted\n", leftover.c_str());
        } else {
            std::fprintf(stderr, "Kelvara: cannot remove \"%s\", left behind by an interrupted save: %s\n",
                leftover.c_str(), std::strerror(errno));
        }
    }
    return removed;
}

bool LFileStream::FileExists(const std::string& path)
{
    struct stat info { };
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void LFileStream::OpenForReading(const std::string& path)
{
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0)
        Throw_(errno == ENOENT ? fnfErr : errno, path);
    mBytes.clear();
    mMarker = 0;
    uint8_t buffer[65536];
    for (;;) {
        ssize_t count = ::read(file.Get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            Throw_(errno, path);
        }
        if (count == 0)
            break;
        mBytes.insert(mBytes.end(), buffer, buffer + count);
    }
}

void LFileStream::Commit(const std::string& path, bool flushToDisk) const
{
    std::string temporary = path + ".XXXXXX";
    FileDescriptor file(::mkstemp(temporary.data()));
    if (file.Get() < 0)
        Throw_(errno, path);
    auto fail = [&](int err) {
        ::unlink(temporary.c_str());
        Throw_(err, path);
    };
    ::fchmod(file.Get(), 0600);
    size_t written = 0;
    while (written < mBytes.size()) {
        ssize_t count = ::write(file.Get(), mBytes.data() + written, mBytes.size() - written);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        written += static_cast<size_t>(count);
    }
    if (flushToDisk && ::fsync(file.Get()) != 0)
        fail(errno);
    if (::close(file.Release()) != 0)
        fail(errno);
    if (::rename(temporary.c_str(), path.c_str()) != 0)
        fail(errno);
    if (flushToDisk) {
        FileDescriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder.Get() >= 0)
            ::fsync(folder.Get());
    }
}
