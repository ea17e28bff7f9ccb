#include "tests/support/SysfsFixture.h"

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

SysfsFixture::Chip::Chip(std::string root, std::string folder)
    : mRoot(std::move(root))
    , mFolder(std::move(folder))
    , mChannelFolder(mFolder)
{
    TestFiles::MakeFolder(mFolder);
}

SysfsFixture::Chip& SysfsFixture::Chip::Device(const std::string& devicePath)
{
    TestFiles::MakeFolder(mRoot + "/sys/devices/" + devicePath);
    return DanglingDevice(devicePath);
}

SysfsFixture::Chip& SysfsFixture::Chip::DanglingDevice(const std::string& devicePath)
{
    // From sys/class/hwmon/hwmonN, three levels up is sys/.
    TestFiles::Symlink("../../../devices/" + devicePath, mFolder + "/device");
    return *this;
}

SysfsFixture::Chip& SysfsFixture::Chip::Name(const std::string& name)
{
    TestFiles::Write(mFolder + "/name", name + "\n");
    return *this;
}

SysfsFixture::Chip& SysfsFixture::Chip::DeviceName(const std::string& name)
{
    TestFiles::Write(mFolder + "/device/name", name + "\n");
    return *this;
}

SysfsFixture::Chip& SysfsFixture::Chip::ChannelsInDevice()
{
    mChannelFolder = mFolder + "/device";
    return *this;
}

SysfsFixture::Chip& SysfsFixture::Chip::Temp(int n, int64_t millidegrees, const std::string& label)
{
    Attribute(n, "input", std::to_string(millidegrees) + "\n");
    if (!label.empty())
        Attribute(n, "label", label + "\n");
    return *this;
}

SysfsFixture::Chip& SysfsFixture::Chip::Attribute(int n, const std::string& suffix, const std::string& text)
{
    TestFiles::Write(File(n, suffix), text);
    return *this;
}

SysfsFixture::Chip& SysfsFixture::Chip::UnreadableInput(int n)
{
    std::filesystem::remove(File(n, "input"));
    TestFiles::MakeFolder(File(n, "input"));
    return *this;
}

SysfsFixture::Chip& SysfsFixture::Chip::BlockingInput(int n)
{
    std::filesystem::remove(File(n, "input"));
    if (::mkfifo(File(n, "input").c_str(), 0644) != 0)
        throw std::runtime_error("cannot make a named pipe: " + File(n, "input"));
    return *this;
}

void SysfsFixture::Chip::ReleaseInput(int n) const
{
    // A writer that opens and closes at once lets a reader that waits in open() through to an empty read.
    int fd = ::open(File(n, "input").c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0)
        ::close(fd);
}

std::string SysfsFixture::Chip::File(int n, const std::string& suffix) const
{
    return mChannelFolder + "/temp" + std::to_string(n) + "_" + suffix;
}

SysfsFixture::AppleSMC::AppleSMC(std::string folder)
    : mFolder(std::move(folder))
{
    TestFiles::MakeFolder(mFolder);
}

SysfsFixture::AppleSMC& SysfsFixture::AppleSMC::Temp(int n, const std::string& key, int64_t millidegrees)
{
    std::string prefix = mFolder + "/temp" + std::to_string(n);
    TestFiles::Write(prefix + "_label", key + "\n");
    TestFiles::Write(prefix + "_input", std::to_string(millidegrees) + "\n");
    return *this;
}

SysfsFixture::AppleSMC& SysfsFixture::AppleSMC::HwmonTemp(
    int hwmon, int n, const std::string& key, int64_t millidegrees)
{
    std::string prefix = mFolder + "/hwmon/hwmon" + std::to_string(hwmon) + "/temp" + std::to_string(n);
    TestFiles::Write(prefix + "_label", key + "\n");
    TestFiles::Write(prefix + "_input", std::to_string(millidegrees) + "\n");
    return *this;
}

SysfsFixture::AppleSMC& SysfsFixture::AppleSMC::SingleKey(
    const std::string& name, const std::string& type, const std::vector<uint8_t>& data)
{
    TestFiles::Write(mFolder + "/key_count", "1\n");
    TestFiles::Write(mFolder + "/key_at_index", "0\n");
    TestFiles::Write(mFolder + "/key_at_index_name", name + "\n");
    TestFiles::Write(mFolder + "/key_at_index_type", type + "\n");
    TestFiles::Write(mFolder + "/key_at_index_data_length", std::to_string(data.size()) + "\n");
    TestFiles::WriteBytes(mFolder + "/key_at_index_data", data);
    return *this;
}

SysfsFixture::Chip SysfsFixture::AddChip(int number)
{
    return Chip(mFolder.Path(), HwmonFolder() + "/hwmon" + std::to_string(number));
}

void SysfsFixture::AddCpu(int cpu, int64_t packageID)
{
    Write("sys/devices/system/cpu/cpu" + std::to_string(cpu) + "/topology/physical_package_id",
        std::to_string(packageID) + "\n");
}

SysfsFixture::AppleSMC SysfsFixture::AddAppleSMC()
{
    return AppleSMC(Path("sys/devices/platform/applesmc.768"));
}

void SysfsFixture::SetProductName(const std::string& text)
{
    Write("sys/class/dmi/id/product_name", text);
}

void SysfsFixture::SetDeviceTreeModel(const std::string& text)
{
    Write("proc/device-tree/model", text);
}

void SysfsFixture::Write(const std::string& relative, const std::string& text) const
{
    TestFiles::Write(Path(relative), text);
}

std::string SysfsFixture::AddPciDevice(const std::string& busId, uint32_t vendor, uint32_t device, uint32_t pciClass,
    const std::string& control, const std::string& runtimeStatus)
{
    auto hex = [](uint32_t value, int digits) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%0*x\n", digits, value);
        return std::string(text);
    };
    std::string folder = Path("sys/devices/pci0000:00/" + busId);
    Write("sys/devices/pci0000:00/" + busId + "/vendor", hex(vendor, 4));
    Write("sys/devices/pci0000:00/" + busId + "/device", hex(device, 4));
    Write("sys/devices/pci0000:00/" + busId + "/class", hex(pciClass, 6));
    if (!control.empty()) {
        Write("sys/devices/pci0000:00/" + busId + "/power/control", control + "\n");
        Write("sys/devices/pci0000:00/" + busId + "/power/runtime_status", runtimeStatus + "\n");
    }
    // From sys/bus/pci/devices, three levels up is sys/.
    TestFiles::Symlink("../../../devices/pci0000:00/" + busId, Path("sys/bus/pci/devices/" + busId));
    return folder;
}
