// Four-character codes: 32-bit values whose big-endian bytes are four characters.
#pragma once

#include <cstdint>
#include <string>

using OSType = uint32_t;
using CommandT = int32_t;
using MessageT = int32_t;
using PaneIDT = int32_t;
using ClassIDT = int32_t;

constexpr int32_t FourCC(const char (&text)[5])
{
    return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint8_t>(text[0])) << 24)
        | (static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 16)
        | (static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 8)
        | static_cast<uint32_t>(static_cast<uint8_t>(text[3])));
}

// The code read from the first four characters of a text; shorter texts are padded with zero bytes.
int32_t FourCCFromText(const std::string& text);

// "nilP" for a printable code, otherwise the empty string.
std::string FourCCToText(int32_t code);
