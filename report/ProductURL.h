// Where the product-information file is published, read from its http URL, and the request that asks
// for it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct ProductURL {
    // The host part as written ("name" or "name:port"): the Host line carries it.
    std::string host;
    // The name to look up, and the port (80 unless the host part names one).
    std::string name;
    uint16_t port = 80;
    // From the first '/' after the host on, the '/' included; empty when the URL has none.
    std::string path;
};

// The longest host part and path the check accepts.
constexpr size_t kMaxProductHostLength = 399;
constexpr size_t kMaxProductPathLength = 384;

// Splits url ("http://host/path"); false, with the reason on standard error, when it does not start with
// "http://", when its host part is empty or too long or names a bad port, when the path is too long, or
// when either holds a space or a control character (they would break the request's lines).
bool SplitProductURL(std::string_view url, ProductURL& out);

// The bytes of the request: the request line, then the Host, Accept, Accept-Language, Referer,
// User-Agent and Connection lines and an empty line, each ended by CR LF.
std::string MacPADRequestLine(const ProductURL& url);
std::string MacPADRequestFields(const ProductURL& url);
