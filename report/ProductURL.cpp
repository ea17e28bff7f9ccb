#include "report/ProductURL.h"

#include <cstdio>

namespace {

constexpr std::string_view kScheme = "http://";
// The version of the checking component that the Referer line names.
constexpr const char* kMacPADCheckVersion = "1";

bool HasSpaceOrControl(std::string_view text)
{
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte == 0x7F)
            return true;
    }
    return false;
}

bool Refuse(const char* reason)
{
    std::fprintf(stderr, "MacPADCheck: bad product information address: %s\n", reason);
    return false;
}

// "1" to "65535"; anything else is no port.
bool ParsePort(std::string_view text, uint16_t& port)
{
    if (text.empty() || text.size() > 5)
        return false;
    uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    if (value == 0 || value > 65535)
        return false;
    port = static_cast<uint16_t>(value);
    return true;
}

}

bool SplitProductURL(std::string_view url, ProductURL& out)
{
    out = ProductURL {};
    if (url.substr(0, kScheme.size()) != kScheme)
        return Refuse("it does not start with http://");
    std::string_view rest = url.substr(kScheme.size());
    size_t slash = rest.find('/');
    std::string_view host = rest.substr(0, slash);
    std::string_view path = slash == std::string_view::npos ? std::string_view {} : rest.substr(slash);
    if (host.empty())
        return Refuse("it names no host");
    if (host.size() > kMaxProductHostLength)
        return Refuse("its host part is longer than 399 characters");
    if (path.size() > kMaxProductPathLength)
        return Refuse("its path is longer than 384 characters");
    if (HasSpaceOrControl(host) || HasSpaceOrControl(path))
        return Refuse("it holds a space or a control character");
    std::string_view name = host;
    if (size_t colon = host.find(':'); colon != std::string_view::npos) {
        name = host.substr(0, colon);
        if (!ParsePort(host.substr(colon + 1), out.port))
            return Refuse("its port is not a number from 1 to 65535");
        if (name.empty())
            return Refuse("it names no host");
    }
    out.host = host;
    out.name = name;
    out.path = path;
    return true;
}

std::string MacPADRequestLine(const ProductURL& url)
{
    return "GET " + (url.path.empty() ? std::string("/") : url.path) + " HTTP/1.0\r\n";
}

std::string MacPADRequestFields(const ProductURL& url)
{
    return "Host: " + url.host + "\r\nAccept: text/html\r\nAccept-Language: en-us\r\nReferer: MacPADCheck version "
        + kMacPADCheckVersion + "\r\n"
        + "User-Agent: Mozilla/4.0 (compatible; MSIE; Mac OS X)\r\nConnection: Close\r\n\r\n";
}
