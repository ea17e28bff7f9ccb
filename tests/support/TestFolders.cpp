#include "tests/support/TestFolders.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace fs = std::filesystem;

TemporaryFolder::TemporaryFolder()
{
    std::string pattern = (fs::temp_directory_path() / "kelvara-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a temporary folder");
    mPath = pattern;
}

TemporaryFolder::~TemporaryFolder()
{
    std::error_code ignored;
    fs::remove_all(mPath, ignored);
}

namespace TestFiles {

void MakeFolder(const std::string& path)
{
    fs::create_directories(path);
}

void Write(const std::string& path, const std::string& text)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path)
{
    std::error_code ignored;
    return fs::exists(fs::symlink_status(path, ignored));
}

void Symlink(const std::string& target, const std::string& path)
{
    fs::create_directories(fs::path(path).parent_path());
    fs::create_symlink(target, path);
}

std::string ZeroDeviceLink(const std::string& path)
{
    fs::path file(path);
    fs::create_directories(file.parent_path());
    std::string device = "/dev/zero";
    if (::geteuid() == 0) {
        device = (file.parent_path().parent_path() / ("zero device for " + file.filename().string())).string();
        if (!fs::exists(fs::symlink_status(device)) && ::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 5)) != 0)
            throw std::runtime_error("cannot make a device node at " + device);
    }
    Symlink(device, path);
    return device;
}

std::vector<std::string> List(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder, ignored))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<uint8_t> BigEndian32(const std::vector<int32_t>& values)
{
    std::vector<uint8_t> bytes;
    for (int32_t value : values) {
        auto raw = static_cast<uint32_t>(value);
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(static_cast<uint8_t>(raw >> shift));
    }
    return bytes;
}

}
