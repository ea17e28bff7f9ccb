#include "sensors/NvmlSession.h"

#include "platform/SysfsFile.h"

#include <cstdio>

namespace {

// What the library says goes into a sensor's name, its data file's and messages: no control characters.
std::string Printable(std::string text)
{
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    }
    return SysfsFile::Trim(text);
}

// A threshold outside what any card reports is no limit, as a hardware monitor's is not.
std::optional<int32_t> Limit(unsigned celsius)
{
    if (celsius > 200)
        return std::nullopt;
    return static_cast<int32_t>(celsius);
}

}

NvmlSession::NvmlSession(std::string libraryFile)
    : mLibrary(std::move(libraryFile))
{
}

NvmlSession::~NvmlSession()
{
    std::lock_guard lock(mMutex);
    Release();
}

bool NvmlSession::IsUsable()
{
    std::lock_guard lock(mMutex);
    if (!mTriedLoading) {
        mTriedLoading = true;
        std::optional<std::string> problem = mLibrary.Load();
        mUsable = !problem;
        if (problem)
            std::fprintf(stderr, "Kelvara: NVIDIA graphics cards are not read: %s\n", problem->c_str());
    }
    return mUsable;
}

void NvmlSession::Report(const std::string& busId, const char* what, NvmlLibrary::Result result)
{
    // A card that keeps failing (a lost GPU) would otherwise say so every 5 seconds.
    if (!mReported.insert({ busId, result }).second)
        return;
    std::string error = Printable(mLibrary.ErrorString(result));
    if (busId.empty())
        std::fprintf(stderr, "Kelvara: NVIDIA graphics cards: %s failed: %s\n", what, error.c_str());
    else
        std::fprintf(stderr, "Kelvara: NVIDIA card %s: %s failed: %s\n", busId.c_str(), what, error.c_str());
}

std::optional<NvmlLibrary::Device> NvmlSession::OpenCard(const std::string& busId)
{
    if (!mOpen) {
        if (NvmlLibrary::Result result = mLibrary.Init(); result != NvmlLibrary::kSuccess) {
            Report("", "initializing NVML", result);
            return std::nullopt;
        }
        mOpen = true;
    }
    if (auto known = mHandles.find(busId); known != mHandles.end())
        return known->second;
    NvmlLibrary::Device device = nullptr;
    if (NvmlLibrary::Result result = mLibrary.HandleByPciBusId(busId, device); result != NvmlLibrary::kSuccess) {
        Report(busId, "finding the card", result);
        return std::nullopt;
    }
    mHandles[busId] = device;
    return device;
}

void NvmlSession::Release()
{
    if (!mOpen)
        return;
    mHandles.clear();
    mOpen = false;
    if (NvmlLibrary::Result result = mLibrary.Shutdown(); result != NvmlLibrary::kSuccess)
        Report("", "shutting NVML down", result);
}

std::optional<NvmlSession::CardFacts> NvmlSession::Describe(const std::string& busId, bool release)
{
    std::lock_guard lock(mMutex);
    if (!mUsable)
        return std::nullopt;
    std::optional<CardFacts> facts;
    if (auto device = OpenCard(busId)) {
        facts.emplace();
        if (NvmlLibrary::Result result = mLibrary.Name(*device, facts->name); result != NvmlLibrary::kSuccess)
            Report(busId, "reading the name", result);
        facts->name = Printable(facts->name);
        // A card that has no such threshold (or will not say) has no limit.
        unsigned celsius = 0;
        if (mLibrary.Threshold(*device, NvmlLibrary::kThresholdSlowdown, celsius) == NvmlLibrary::kSuccess)
            facts->slowdown = Limit(celsius);
        if (mLibrary.Threshold(*device, NvmlLibrary::kThresholdShutdown, celsius) == NvmlLibrary::kSuccess)
            facts->shutdown = Limit(celsius);
    }
    if (release)
        Release();
    return facts;
}

SourceReading NvmlSession::ReadTemperature(const std::string& busId, bool release)
{
    std::lock_guard lock(mMutex);
    if (!mUsable)
        return SourceReading::Failure();
    SourceReading reading = SourceReading::Failure();
    if (auto device = OpenCard(busId)) {
        unsigned celsius = 0;
        NvmlLibrary::Result result = mLibrary.Temperature(*device, celsius);
        if (result == NvmlLibrary::kSuccess && celsius <= 300) {
            // Whole degrees, in the 16.16 form of the other registry sensors.
            reading = SourceReading::Of(static_cast<int32_t>(celsius) << 16);
        } else {
            if (result != NvmlLibrary::kSuccess)
                Report(busId, "reading the temperature", result);
            // The handle of a card that failed (lost, reset) is asked for anew at the next reading.
            mHandles.erase(busId);
        }
    }
    if (release)
        Release();
    return reading;
}
