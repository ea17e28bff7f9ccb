#include "framework/LFileStream.h"

#include "framework/LException.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
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
