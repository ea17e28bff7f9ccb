#include "platform/Millidegrees.h"

#include <algorithm>
#include <limits>

namespace Millidegrees {

namespace {

// Far beyond any real temperature, small enough that scaling by 65536 cannot overflow 64 bits.
constexpr int64_t kLimit = 1'000'000'000'000;

int64_t RoundedDivide(int64_t numerator, int64_t denominator)
{
    int64_t half = denominator / 2;
    return numerator >= 0 ? (numerator + half) / denominator : -((-numerator + half) / denominator);
}

template <typename T> T Clamp(int64_t value)
{
    return static_cast<T>(std::clamp<int64_t>(value, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

}

std::optional<int64_t> Reading(std::optional<int64_t> millidegrees)
{
    if (!millidegrees || *millidegrees < kLowestReading || *millidegrees > kHighestReading)
        return std::nullopt;
    return millidegrees;
}

int32_t ToFixed16(int64_t millidegrees)
{
    return Clamp<int32_t>(RoundedDivide(std::clamp(millidegrees, -kLimit, kLimit) * 65536, 1000));
}

int32_t ToWholeDegrees(int64_t millidegrees)
{
    constexpr int64_t wide = std::numeric_limits<int64_t>::max() / 2;
    return Clamp<int32_t>(RoundedDivide(std::clamp(millidegrees, -wide, wide), 1000));
}

int16_t ToSP78(int64_t millidegrees)
{
    return Clamp<int16_t>(RoundedDivide(std::clamp(millidegrees, -kLimit, kLimit) * 256, 1000));
}

}
