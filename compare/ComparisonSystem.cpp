#include "compare/ComparisonSystem.h"

#include "compare/ComparisonSensor.h"
#include "compare/ComparisonTokens.h"
#include "framework/LException.h"

#include <algorithm>
#include <cstring>

using namespace ComparisonTokens;

namespace {

constexpr int32_t kSensorsAllocation = 10;

}

ComparisonSystem::ComparisonSystem(const char* const* tokens)
    : mSensors(kSensorsAllocation)
{
    CopyField(mName, sizeof mName, ThrowIfNil_(tokens[0]));
    if (IsDivider())
        return;
    CopyField(mID, sizeof mID, ThrowIfNil_(tokens[1]));
    mSpeed = LeadingInteger(ThrowIfNil_(tokens[2]));
    if (mSpeed == 0)
        Throw_(err_NilPointer, std::string("the speed of '") + mName + "' is 0");

    int32_t at = 3;
    while (!Is(tokens[at], kSensorEnd)) {
        auto& sensor = mOwnedSensors.emplace_back(std::make_unique<ComparisonSensor>(tokens + at));
        mSensors.AddItem(sensor.get());
        at += sensor->GetElementsAdded();
    }

    // "A, B, C." from the credit tokens; nothing from none. The text is cut where a caller's field of
    // kCreditsSize bytes would end.
    for (++at; !Is(tokens[at], kEnd); ++at) {
        const char* separator = Is(tokens[at + 1], kEnd) ? "." : ", ";
        for (const char* piece : { tokens[at], separator }) {
            size_t room = static_cast<size_t>(kCreditsSize) - 1 - mCredits.size();
            mCredits.append(piece, std::min(std::strlen(piece), room));
        }
    }
}

ComparisonSystem::~ComparisonSystem() = default;

bool ComparisonSystem::IsDivider() const
{
    return Is(mName, kSystemDivider);
}

char* ComparisonSystem::GetSystemName(char* out) const
{
    std::strcpy(out, mName);
    return out;
}

char* ComparisonSystem::GetSystemID(char* out) const
{
    std::strcpy(out, mID);
    return out;
}

char* ComparisonSystem::GetSystemCredits(char* out) const
{
    std::memcpy(out, mCredits.c_str(), mCredits.size() + 1);
    return out;
}

void ComparisonSystem::GetSystemMinMaxC(int32_t& minimum, int32_t& maximum) const
{
    minimum = 100;
    maximum = 0;
    for (const auto& sensor : mOwnedSensors) {
        int32_t sensorMinimum = 0;
        int32_t sensorMaximum = 0;
        sensor->GetSensorMinMaxC(sensorMinimum, sensorMaximum);
        minimum = std::min(minimum, sensorMinimum);
        maximum = std::max(maximum, sensorMaximum);
    }
}
