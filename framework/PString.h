// Length-prefixed strings as the toolbox and the program's files keep them: one length byte, then text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using Str255 = std::array<unsigned char, 256>;

// Copies at most 255 bytes of text into a length-prefixed string, never splitting a UTF-8 character.
Str255 MakeStr255(std::string_view text);
void SetStr255(Str255& out, std::string_view text);
std::string Str255ToString(const Str255& text);

// The longest prefix of text that has at most maxBytes bytes and ends on a UTF-8 character boundary.
std::string_view TruncateUtf8(std::string_view text, size_t maxBytes);
