#include "compare/ComparisonTokens.h"

#include <algorithm>
#include <cstring>

namespace ComparisonTokens {

bool Is(const char* token, const char* reserved)
{
    return std::strcmp(token, reserved) == 0;
}

int32_t LeadingInteger(const char* token)
{
    bool negative = *token == '-';
    if (*token == '-' || *token == '+')
        ++token;
    int64_t value = 0;
    for (; *token >= '0' && *token <= '9'; ++token)
        value = std::min<int64_t>(value * 10 + (*token - '0'), INT32_MAX);
    return static_cast<int32_t>(negative ? -value : value);
}

int32_t FahrenheitToCelsius(int32_t fahrenheit)
{
    // In 64 bits, so that no reading can overflow; every real one gives what 32 bits give.
    int64_t celsius = (static_cast<int64_t>(fahrenheit) * 100 - 3200) / 180;
    return static_cast<int32_t>(celsius);
}

void CopyField(char* field, size_t size, const char* text)
{
    size_t length = std::min(std::strlen(text), size - 1);
    std::memcpy(field, text, length);
    field[length] = '\0';
}

}
