#include "framework/PString.h"

#include <cstring>

std::string_view TruncateUtf8(std::string_view text, size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    size_t end = maxBytes;
    // Step back over continuation bytes (10xxxxxx) so that the cut falls before a lead byte.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

void SetStr255(Str255& out, std::string_view text)
{
    std::string_view cut = TruncateUtf8(text, 255);
    out.fill(0);
    out[0] = static_cast<unsigned char>(cut.size());
    if (!cut.empty())
        std::memcpy(out.data() + 1, cut.data(), cut.size());
}

Str255 MakeStr255(std::string_view text)
{
    Str255 result;
    SetStr255(result, text);
    return result;
}

std::string Str255ToString(const Str255& text)
{
    return std::string(reinterpret_cast<const char*>(text.data() + 1), text[0]);
}
