// Whether an address that the build or the user gave is only a stand-in that reaches nobody.
#pragma once

#include <string_view>

// True for an empty address and for one whose host lies under the reserved top-level name "example"
// (RFC 2606), in any letter case and with or without a final dot: an http URL ("http://kelvara.example/p",
// "http://user@kelvara.example:8080/p") or an e-mail address ("records@kelvara.example", with or without
// "mailto:").
bool IsPlaceholderAddress(std::string_view address);
