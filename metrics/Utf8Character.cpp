#include "metrics/Utf8Character.h"

#include <cstdint>

size_t NextUtf8Character(std::string_view text, size_t at, char32_t& point)
{
    auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    uint8_t lead = byte(at);
    size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    point = 0xFFFD;
    if (length == 0 || at + length > text.size())
        return 1;
    char32_t value = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 1;
        value = (value << 6) | (byte(at + i) & 0x3F);
    }
    static constexpr char32_t kLeast[] = { 0, 0, 0x80, 0x800, 0x10000 };
    if (value < kLeast[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 1;
    point = value;
    return length;
}
