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

constexpr const char* kTemporaryMark = ".kelvara-tmp-";
constexpr size_t kUniqueLength = 6;

std::string FileNameOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsTemporaryOf(std::string_view name, const std::string& fileName)
{
    std::string prefix = "." + fileName + kTemporaryMark;
    if (name.size() != prefix.size() + kUniqueLength || !name.starts_with(prefix))
        return false;
    for (char c : name.substr(prefix.size())) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

const char* KindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a named pipe";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "something other than a file";
}

}

std::string LFileStream::TemporaryNameOf(const std::string& fileName)
{
    return "." + fileName + kTemporaryMark + std::string(kUniqueLength, 'X');
}

int LFileStream::RemoveLeftoverTemporaries(const std::string& path)
{
    std::string folder = FolderOf(path);
    std::string fileName = FileNameOf(path);
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

void LFileStream::OpenForReading(const std::string& path, size_t mostBytes)
{
    // Without blocking: opening a named pipe for reading would wait for a writer that never comes.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0)
        Throw_(errno == ENOENT ? fnfErr : errno, path);
    struct stat info { };
    if (::fstat(file.Get(), &info) != 0)
        Throw_(errno, path);
    // A device has no end (a link to /dev/zero), and a pipe gives what a writer sends, whenever it does.
    if (!S_ISREG(info.st_mode))
        Throw_(err_NotAFile, std::string("is ") + KindOf(info.st_mode) + ", not a file");
    auto tooLarge = [&](uintmax_t size) {
        Throw_(err_FileTooLarge,
            "is too large to be read (" + std::to_string(size) + " bytes; at most " + std::to_string(mostBytes) + ")");
    };
    if (static_cast<uintmax_t>(info.st_size) > mostBytes)
        tooLarge(static_cast<uintmax_t>(info.st_size));
    mBytes.clear();
    mBytes.reserve(static_cast<size_t>(info.st_size));
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
        // A file that grows while it is read is held to the same bound.
        if (mBytes.size() > mostBytes)
            tooLarge(mBytes.size());
    }
}

std::string LFileStream::DescribeReadFailure(const LException& error)
{
    if (error.GetErrorCode() == err_NotAFile || error.GetErrorCode() == err_FileTooLarge)
        return error.GetDetail();
    return "cannot be read (" + LException::DescribeCode(error.GetErrorCode()) + ")";
}

void LFileStream::Commit(const std::string& path, bool flushToDisk) const
{
    std::string folder = FolderOf(path);
    std::string temporary = folder + "/" + TemporaryNameOf(FileNameOf(path));
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
        FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (directory.Get() >= 0)
            ::fsync(directory.Get());
    }
}
