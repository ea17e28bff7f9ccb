// One hwmon temperature input (tempN_input with its tempN_fault), kept open and read anew at every call; a
// file that stops answering (its driver reloaded) is opened again by its path.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class TemperatureInput {
public:
    TemperatureInput(std::string inputPath, std::string faultPath);
    ~TemperatureInput();
    TemperatureInput(TemperatureInput&& other) noexcept;
    TemperatureInput& operator=(TemperatureInput&& other) noexcept;
    TemperatureInput(const TemperatureInput&) = delete;
    TemperatureInput& operator=(const TemperatureInput&) = delete;

    // Millidegrees Celsius; nullopt when the read fails, the text is not a number, the channel reports a
    // fault, or the driver reports its no-reading value.
    std::optional<int64_t> ReadMillidegrees();

private:
    struct File {
        std::string path;
        int fd = -1;
        std::optional<int64_t> Read();
        void Close();
    };

    File mInput;
    File mFault;
};
