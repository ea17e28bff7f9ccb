#include "platform/NvmlLibrary.h"

#include <dlfcn.h>

// The signatures of NVML's C entry points. Enumerations are passed as the C enums they are (int-sized).
struct NvmlLibrary::EntryPoints {
    Result (*init)();
    Result (*shutdown)();
    const char* (*errorString)(Result);
    Result (*handleByPciBusId)(const char*, Device*);
    Result (*name)(Device, char*, unsigned);
    Result (*temperature)(Device, int, unsigned*);
    Result (*threshold)(Device, int, unsigned*);
};

NvmlLibrary::NvmlLibrary(std::string file)
    : mFile(std::move(file))
{
}

NvmlLibrary::~NvmlLibrary()
{
    delete mEntries;
    if (mHandle != nullptr)
        ::dlclose(mHandle);
}

namespace {

template <typename Function> bool Find(void* handle, const char* symbol, Function& out, std::string& missing)
{
    out = reinterpret_cast<Function>(::dlsym(handle, symbol));
    if (out == nullptr && missing.empty())
        missing = symbol;
    return out != nullptr;
}

}

std::optional<std::string> NvmlLibrary::Load()
{
    if (mHandle != nullptr)
        return std::nullopt;
    void* handle = ::dlopen(mFile.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = ::dlerror();
        return "\"" + mFile + "\" cannot be loaded (" + (reason != nullptr ? reason : "unknown reason") + ")";
    }
    auto entries = new EntryPoints {};
    std::string missing;
    Find(handle, "nvmlInit_v2", entries->init, missing);
    Find(handle, "nvmlShutdown", entries->shutdown, missing);
    Find(handle, "nvmlErrorString", entries->errorString, missing);
    Find(handle, "nvmlDeviceGetHandleByPciBusId_v2", entries->handleByPciBusId, missing);
    Find(handle, "nvmlDeviceGetName", entries->name, missing);
    Find(handle, "nvmlDeviceGetTemperature", entries->temperature, missing);
    Find(handle, "nvmlDeviceGetTemperatureThreshold", entries->threshold, missing);
    if (!missing.empty()) {
        delete entries;
        ::dlclose(handle);
        return "\"" + mFile + "\" lacks " + missing;
    }
    mHandle = handle;
    mEntries = entries;
    return std::nullopt;
}

NvmlLibrary::Result NvmlLibrary::Init() const
{
    return mEntries->init();
}

NvmlLibrary::Result NvmlLibrary::Shutdown() const
{
    return mEntries->shutdown();
}

std::string NvmlLibrary::ErrorString(Result result) const
{
    const char* text = mEntries->errorString(result);
    return text != nullptr ? text : "error " + std::to_string(result);
}

NvmlLibrary::Result NvmlLibrary::HandleByPciBusId(const std::string& busId, Device& outDevice) const
{
    return mEntries->handleByPciBusId(busId.c_str(), &outDevice);
}

NvmlLibrary::Result NvmlLibrary::Name(Device device, std::string& outName) const
{
    char buffer[kNameBufferSize] = {};
    Result result = mEntries->name(device, buffer, kNameBufferSize);
    // A library that fills the whole buffer gets its last byte cut rather than read past.
    buffer[kNameBufferSize - 1] = '\0';
    if (result == kSuccess)
        outName = buffer;
    return result;
}

NvmlLibrary::Result NvmlLibrary::Temperature(Device device, unsigned& outCelsius) const
{
    return mEntries->temperature(device, kTemperatureGpu, &outCelsius);
}

NvmlLibrary::Result NvmlLibrary::Threshold(Device device, int threshold, unsigned& outCelsius) const
{
    return mEntries->threshold(device, threshold, &outCelsius);
}
