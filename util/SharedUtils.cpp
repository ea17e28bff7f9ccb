#include "util/SharedUtils.h"

#include "platform/Platform.h"

int32_t SharedUtils_MapFromTo(int32_t value, int32_t fromLow, int32_t fromHigh, int32_t toLow, int32_t toHigh)
{
    if (fromHigh == fromLow)
        return toLow;
    // The differences are taken in 32-bit arithmetic (wrapping like the original), then the ratio in double.
    auto difference = [](int32_t a, int32_t b) {
        return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
    };
    double toRange = difference(toHigh, toLow);
    double fromRange = difference(fromHigh, fromLow);
    double offset = difference(value, fromLow);
    double r = toRange / fromRange * offset + toLow;
    r = r >= 0 ? r + 0.5 : r - 0.5;
    if (r >= 2147483647.0)
        return INT32_MAX;
    if (r <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(r);
}

int SharedUtils_GetMacName(Str255* out)
{
    if (out == nullptr)
        return 0;
    SetStr255(*out, "");
    SensorRegistry& registry = Platform::Registry();
    std::vector<SensorRegistry::EntryID> entries;
    if (!registry.IterateEntries(entries) || entries.empty())
        return 0;
    std::optional<std::string> name = registry.GetName(entries.front());
    if (!name)
        return 0;
    SetStr255(*out, TruncateUtf8(*name, 127));
    return 0;
}

uint32_t SharedUtils_ProcessorCount()
{
    return Platform::Machine().ProcessorCount();
}
