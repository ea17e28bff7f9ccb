// NVIDIA's management library (libnvidia-ml.so.1), loaded at run time: the program has no build-time
// dependency on it and carries its own declarations of the few types and entry points it uses, as NVIDIA's
// public API documents them. Only those entry points are used, so that any NVML that provides them works.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class NvmlLibrary {
public:
    // nvmlReturn_t
    using Result = int;
    static constexpr Result kSuccess = 0;
    static constexpr Result kErrorGpuIsLost = 15;
    static constexpr Result kErrorUnknown = 999;
    // nvmlTemperatureSensors_t and nvmlTemperatureThresholds_t
    static constexpr int kTemperatureGpu = 0;
    static constexpr int kThresholdShutdown = 0;
    static constexpr int kThresholdSlowdown = 1;
    // NVML_DEVICE_NAME_V2_BUFFER_SIZE: room for the longest device name NVML gives.
    static constexpr unsigned kNameBufferSize = 96;

    // nvmlDevice_t: an opaque pointer, valid until NVML is shut down.
    using Device = struct nvmlDevice_st*;

    // Loads nothing yet: the library is opened by Load, only when a card needs it.
    explicit NvmlLibrary(std::string file = "libnvidia-ml.so.1");
    ~NvmlLibrary();
    NvmlLibrary(const NvmlLibrary&) = delete;
    NvmlLibrary& operator=(const NvmlLibrary&) = delete;

    // Opens the library and finds every entry point; nullopt on success, else why it cannot be used (the
    // library is missing, or lacks an entry point). Opening again after a success does nothing.
    std::optional<std::string> Load();
    bool IsLoaded() const { return mHandle != nullptr; }

    // The entry points; Load must have succeeded.
    Result Init() const;
    Result Shutdown() const;
    std::string ErrorString(Result result) const;
    Result HandleByPciBusId(const std::string& busId, Device& outDevice) const;
    Result Name(Device device, std::string& outName) const;
    Result Temperature(Device device, unsigned& outCelsius) const;
    Result Threshold(Device device, int threshold, unsigned& outCelsius) const;

private:
    struct EntryPoints;

    std::string mFile;
    void* mHandle = nullptr;
    EntryPoints* mEntries = nullptr;
};
