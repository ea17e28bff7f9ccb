// Small readers of sysfs and procfs files, tolerant of whatever the kernel or a damaged tree holds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace SysfsFile {

// The whole file (at most maxBytes); nullopt when it cannot be read.
std::optional<std::string> ReadText(const std::string& path, size_t maxBytes = 4096);
// The file's text with leading and trailing white space (and NUL bytes) removed.
std::optional<std::string> ReadTrimmed(const std::string& path);
// A decimal integer that fills the trimmed file; nullopt for anything else.
std::optional<int64_t> ReadInteger(const std::string& path);
std::optional<int64_t> ParseInteger(const std::string& text);
std::string Trim(const std::string& text);
std::string Join(const std::string& root, const std::string& path);

// A decimal integer read from offset 0 of a descriptor kept open, so that a polled value costs one pread.
// outError is the read's errno when it failed, else 0.
std::optional<int64_t> ReadIntegerAt(int fd, int& outError);
std::optional<int64_t> ReadIntegerAt(int fd);
// For tests: the call that reads a descriptor (pread; nullptr restores it), to make a read fail as a
// driver's does.
using PreadFunction = ssize_t (*)(int fd, void* buffer, size_t count, off_t offset);
void SetPreadForTesting(PreadFunction function);
// The names in a folder, sorted, without "." and ".."; empty when the folder cannot be listed.
std::vector<std::string> List(const std::string& folder);
// The path with every symbolic link resolved; nullopt when it does not resolve (a dangling link).
std::optional<std::string> Resolve(const std::string& path);
// A resolved path as the machine names it, without the root folder a fixture tree lives in.
std::string BelowRoot(const std::string& resolvedPath, const std::string& root);
bool IsFolder(const std::string& path);
// N of a name of the form prefix<N>suffix ("temp12_input", "hwmon3"); nullopt for any other name.
std::optional<int> NumberInName(std::string_view name, std::string_view prefix, std::string_view suffix);

}
