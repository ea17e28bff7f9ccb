#include "framework/FourCharCode.h"

int32_t FourCCFromText(const std::string& text)
{
    uint32_t code = 0;
    for (size_t i = 0; i < 4; ++i) {
        uint8_t byte = i < text.size() ? static_cast<uint8_t>(text[i]) : 0;
        code = (code << 8) | byte;
    }
    return static_cast<int32_t>(code);
}

std::string FourCCToText(int32_t code)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        char c = static_cast<char>((static_cast<uint32_t>(code) >> shift) & 0xFF);
        if (c < 0x20 || c > 0x7E)
            return {};
        text.push_back(c);
    }
    return text;
}
