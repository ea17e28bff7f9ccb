#include "platform/SysfsFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SysfsFile {

std::optional<std::string> ReadText(const std::string& path, size_t maxBytes)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string text;
    char buffer[4096];
    while (text.size() < maxBytes) {
        ssize_t count = ::read(fd, buffer, std::min(sizeof buffer, maxBytes - text.size()));
        if (count < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return std::nullopt;
        }
        if (count == 0)
            break;
        text.append(buffer, static_cast<size_t>(count));
    }
    ::close(fd);
    return text;
}

std::string Trim(const std::string& text)
{
    auto isSpace
        = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\0' || c == '\v' || c == '\f'; };
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isSpace(text[begin]))
        ++begin;
    while (end > begin && isSpace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::optional<std::string> ReadTrimmed(const std::string& path)
{
    auto text = ReadText(path);
    if (!text)
        return std::nullopt;
    return Trim(*text);
}

std::optional<int64_t> ParseInteger(const std::string& text)
{
    std::string trimmed = Trim(text);
    if (trimmed.empty())
        return std::nullopt;
    const char* begin = trimmed.data();
    const char* end = begin + trimmed.size();
    if (*begin == '+')
        ++begin;
    int64_t value = 0;
    auto [last, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || last != end)
        return std::nullopt;
    return value;
}

std::optional<int64_t> ReadInteger(const std::string& path)
{
    auto text = ReadText(path, 64);
    if (!text)
        return std::nullopt;
    return ParseInteger(*text);
}

std::string Join(const std::string& root, const std::string& path)
{
    if (root.empty() || root == "/")
        return path;
    if (root.back() == '/')
        return root.substr(0, root.size() - 1) + path;
    return root + path;
}

namespace {

PreadFunction sPread = ::pread;

}

void SetPreadForTesting(PreadFunction function)
{
    sPread = function != nullptr ? function : ::pread;
}

std::optional<int64_t> ReadIntegerAt(int fd)
{
    int ignored = 0;
    return ReadIntegerAt(fd, ignored);
}

std::optional<int64_t> ReadIntegerAt(int fd, int& outError)
{
    outError = 0;
    if (fd < 0)
        return std::nullopt;
    char buffer[64];
    ssize_t count;
    do
        count = sPread(fd, buffer, sizeof buffer, 0);
    while (count < 0 && errno == EINTR);
    if (count < 0)
        outError = errno;
    // A value that fills the buffer was cut: no attribute holding a number is that long.
    if (count <= 0 || static_cast<size_t>(count) == sizeof buffer)
        return std::nullopt;
    return ParseInteger(std::string(buffer, static_cast<size_t>(count)));
}

std::vector<std::string> List(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(std::move(name));
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<std::string> Resolve(const std::string& path)
{
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return std::nullopt;
    std::string result = resolved;
    std::free(resolved);
    return result;
}

std::string BelowRoot(const std::string& resolvedPath, const std::string& root)
{
    std::string resolvedRoot = Resolve(root).value_or(root);
    if (resolvedRoot != "/" && resolvedPath.starts_with(resolvedRoot + "/"))
        return resolvedPath.substr(resolvedRoot.size());
    return resolvedPath;
}

bool IsFolder(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::optional<int> NumberInName(std::string_view name, std::string_view prefix, std::string_view suffix)
{
    if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) || !name.ends_with(suffix))
        return std::nullopt;
    std::string_view digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (digits.size() > 9 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    int number = 0;
    for (char c : digits)
        number = number * 10 + (c - '0');
    return number;
}

}
