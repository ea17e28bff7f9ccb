// Where the metrics endpoint listens, read from "[ADDRESS:]PORT": "9947", "0.0.0.0:9947", "[::1]:9947".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct MetricsAddress {
    static constexpr const char* kDefaultHost = "127.0.0.1";
    static constexpr uint16_t kDefaultPort = 9947;

    // A literal IPv4 or IPv6 address, without brackets.
    std::string host = kDefaultHost;
    uint16_t port = kDefaultPort;

    // The address, or nullopt with error saying what is wrong. An IPv6 address must be in brackets, so that
    // its colons are not taken for the port's.
    static std::optional<MetricsAddress> Parse(std::string_view text, std::string& error);
    // "127.0.0.1:9947", "[::1]:9947".
    std::string ToString() const;
};
