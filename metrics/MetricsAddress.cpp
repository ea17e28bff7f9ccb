#include "metrics/MetricsAddress.h"

#include <arpa/inet.h>
#include <charconv>
#include <netinet/in.h>

std::optional<MetricsAddress> MetricsAddress::Parse(std::string_view text, std::string& error)
{
    MetricsAddress address;
    std::string_view portText = text;
    size_t colon = text.rfind(':');
    if (colon != std::string_view::npos) {
        std::string_view host = text.substr(0, colon);
        portText = text.substr(colon + 1);
        bool bracketed = host.size() >= 2 && host.front() == '[' && host.back() == ']';
        if (bracketed)
            host = host.substr(1, host.size() - 2);
        // The address in the system's own spelling ("::0001" becomes "::1"), or nothing.
        std::string literal(host);
        in6_addr bytes {};
        char spelled[INET6_ADDRSTRLEN] = {};
        bool isIPv6 = ::inet_pton(AF_INET6, literal.c_str(), &bytes) == 1;
        bool isIPv4 = !isIPv6 && ::inet_pton(AF_INET, literal.c_str(), &bytes) == 1;
        if (!isIPv4 && !isIPv6) {
            error
                = "\"" + std::string(text) + "\" names no IP address to listen on (write 127.0.0.1:9947 or [::1]:9947)";
            return std::nullopt;
        }
        if (isIPv6 != bracketed) {
            error = "\"" + std::string(text)
                + "\": an IPv6 address is written in brackets ([::1]:9947), an IPv4 one without";
            return std::nullopt;
        }
        address.host = ::inet_ntop(isIPv6 ? AF_INET6 : AF_INET, &bytes, spelled, sizeof spelled);
    }
    unsigned port = 0;
    auto [end, problem] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (portText.empty() || problem != std::errc() || end != portText.data() + portText.size() || port > 65535) {
        error = "\"" + std::string(text) + "\" has no port from 0 to 65535 ([ADDRESS:]PORT, for example 9947)";
        return std::nullopt;
    }
    address.port = static_cast<uint16_t>(port);
    return address;
}

std::string MetricsAddress::ToString() const
{
    bool isIPv6 = host.find(':') != std::string::npos;
    return (isIPv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}
