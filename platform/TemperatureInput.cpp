#include "platform/TemperatureInput.h"

#include "platform/Millidegrees.h"
#include "platform/SysfsFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

TemperatureInput::TemperatureInput(std::string inputPath, std::string faultPath)
{
    mInput.path = std::move(inputPath);
    mFault.path = std::move(faultPath);
}

TemperatureInput::~TemperatureInput()
{
    mInput.Close();
    mFault.Close();
}

TemperatureInput::TemperatureInput(TemperatureInput&& other) noexcept
    : mInput(std::exchange(other.mInput, {}))
    , mFault(std::exchange(other.mFault, {}))
{
}

TemperatureInput& TemperatureInput::operator=(TemperatureInput&& other) noexcept
{
    if (this != &other) {
        mInput.Close();
        mFault.Close();
        mInput = std::exchange(other.mInput, {});
        mFault = std::exchange(other.mFault, {});
    }
    return *this;
}

std::optional<int64_t> TemperatureInput::File::Read()
{
    // A file that could not be opened is tried again later: some drivers create attributes late.
    if (fd < 0 && !path.empty())
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    int error = 0;
    std::optional<int64_t> value = SysfsFile::ReadIntegerAt(fd, error);
    // A driver that was unloaded and loaded again (or a file system that went away) answers the old
    // descriptor with ENODEV or ESTALE for ever: the next reading opens the file again by its path.
    if (error == ENODEV || error == ESTALE)
        Close();
    return value;
}

void TemperatureInput::File::Close()
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

std::optional<int64_t> TemperatureInput::ReadMillidegrees()
{
    if (mFault.Read() == 1)
        return std::nullopt;
    return Millidegrees::Reading(mInput.Read());
}
