#include "report/PlaceholderAddress.h"

#include <algorithm>
#include <string>

namespace {

// The host of a URL or the domain of an e-mail address, as written.
std::string_view HostOf(std::string_view address)
{
    if (size_t scheme = address.find("://"); scheme != std::string_view::npos)
        address.remove_prefix(scheme + 3);
    address = address.substr(0, address.find_first_of("/?#"));
    if (size_t at = address.rfind('@'); at != std::string_view::npos)
        address.remove_prefix(at + 1);
    // A bracketed IPv6 literal holds colons of its own, and is no name under "example" anyway.
    if (!address.empty() && address.front() != '[')
        address = address.substr(0, address.find(':'));
    return address;
}

}

bool IsPlaceholderAddress(std::string_view address)
{
    std::string host(HostOf(address));
    // Host names are ASCII: no locale decides their case.
    std::transform(host.begin(), host.end(), host.begin(),
        [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    if (!host.empty() && host.back() == '.')
        host.pop_back();
    return address.find_first_not_of(" \t") == std::string_view::npos || host == "example"
        || host.ends_with(".example");
}
