// Walking a string of any bytes one UTF-8 character at a time.
#pragma once

#include <cstddef>
#include <string_view>

// The length of the character at text[at] and its code point. A byte that starts no valid character
// (overlong, a surrogate, cut short) counts as one character of its own, U+FFFD, as Go's decoder takes it.
size_t NextUtf8Character(std::string_view text, size_t at, char32_t& point);
