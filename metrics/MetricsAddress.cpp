#include "metrics/MetricsAddress.h"

#include <QHostAddress>

#include <charconv>

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
        QHostAddress parsed;
        if (host.empty() || !parsed.setAddress(QString::fromUtf8(host.data(), static_cast<qsizetype>(host.size())))) {
            error
                = "\"" + std::string(text) + "\" names no IP address to listen on (write 127.0.0.1:9947 or [::1]:9947)";
            return std::nullopt;
        }
        bool isIPv6 = parsed.protocol() == QAbstractSocket::IPv6Protocol;
        if (isIPv6 != bracketed) {
            error = "\"" + std::string(text)
                + "\": an IPv6 address is written in brackets ([::1]:9947), an IPv4 one without";
            return std::nullopt;
        }
        address.host = parsed.toString().toStdString();
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
