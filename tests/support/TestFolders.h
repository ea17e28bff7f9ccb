// Temporary folders and small file helpers for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& Path() const { return mPath; }
    std::string operator/(const std::string& relative) const { return mPath + "/" + relative; }

private:
    std::string mPath;
};

namespace TestFiles {

// Writes text (creating the parent folders).
void Write(const std::string& path, const std::string& text);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);
bool Exists(const std::string& path);
// A symbolic link at path pointing to target (creating the parent folders).
void Symlink(const std::string& target, const std::string& path);
void MakeFolder(const std::string& path);
// A symbolic link at path to a character device that reads zeros without end, as /dev/zero does; returns the
// device's path. As root the device is a node of the test's own (in the folder above path's), so that a
// write through the link by mistake replaces that node and never the system's /dev/zero.
std::string ZeroDeviceLink(const std::string& path);
std::vector<std::string> List(const std::string& folder);

// Big-endian 32-bit values, as the program's files hold them.
std::vector<uint8_t> BigEndian32(const std::vector<int32_t>& values);

}
