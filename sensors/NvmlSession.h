// The program's one connection to NVIDIA's management library, shared by discovery and every card's source.
// The library is loaded only when a card needs it. NVML is initialized on the first call that needs it and
// may stay open for cards that are always on; a read for a card under runtime power management shuts it
// down again at once, because an open handle keeps a card from sleeping (and NVML lets go of a card only
// when it is shut down, which makes every handle invalid). Calls are made one at a time: the open state and
// the handles are shared.
#pragma once

#include "platform/NvmlLibrary.h"
#include "platform/SensorSource.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>

class NvmlSession {
public:
    explicit NvmlSession(std::string libraryFile = "libnvidia-ml.so.1");
    // Shuts NVML down when it is open.
    ~NvmlSession();
    NvmlSession(const NvmlSession&) = delete;
    NvmlSession& operator=(const NvmlSession&) = delete;

    // Whether the library is there with every entry point; the first call loads it, and says on standard
    // error, once, why there will be no NVIDIA readings when it cannot be used.
    bool IsUsable();

    // What NVML tells of an awake card; nullopt when it cannot tell.
    struct CardFacts {
        std::string name;
        std::optional<int32_t> slowdown; // degrees Celsius
        std::optional<int32_t> shutdown;
    };
    // release: shut NVML down afterwards (a card that sleeps when idle).
    std::optional<CardFacts> Describe(const std::string& busId, bool release);
    // The card's GPU temperature in whole degrees Celsius; Failed on any NVML error, which is said on standard
    // error once per card and error.
    SourceReading ReadTemperature(const std::string& busId, bool release);

private:
    // With the lock held: the card's handle, initializing NVML first when it is not open.
    std::optional<NvmlLibrary::Device> OpenCard(const std::string& busId);
    void Release();
    void Report(const std::string& busId, const char* what, NvmlLibrary::Result result);

    std::mutex mMutex;
    NvmlLibrary mLibrary;
    bool mTriedLoading = false;
    bool mUsable = false;
    bool mOpen = false;
    std::map<std::string, NvmlLibrary::Device> mHandles;
    std::set<std::pair<std::string, NvmlLibrary::Result>> mReported;
};
