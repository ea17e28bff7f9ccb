// The rules shared by the readers of the comparison database's token arrays.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ComparisonTokens {

constexpr const char* kDataEnd = "DATAEND";
constexpr const char* kSensorEnd = "SENSOREND";
constexpr const char* kEnd = "END";
constexpr const char* kSystemDivider = "SYSTEM_DIVIDER";

// Reserved tokens are recognised only as whole, case-sensitive matches.
bool Is(const char* token, const char* reserved);

// The token's leading integer, as text-to-number conversion reads it: an optional sign and the digits up
// to the first other character ("799.0" is 799, "80" is 80, "x" is 0); held within 32 bits.
int32_t LeadingInteger(const char* token);

// Whole degrees Fahrenheit to whole degrees Celsius, truncating toward zero: 75 gives 23, 0 gives -17.
int32_t FahrenheitToCelsius(int32_t fahrenheit);

// Copies text into a field of size bytes, cut short if need be, always terminated.
void CopyField(char* field, size_t size, const char* text);

}
