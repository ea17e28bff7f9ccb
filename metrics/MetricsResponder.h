// The answer to one HTTP request for the metrics: the sensors' newest readings at GET /metrics, in the format
// the request accepts, behind the bearer token when there is one. It reads no hardware, so a scrape never
// waits on a sensor.
#pragma once

#include "metrics/MetricsReadings.h"
#include "metrics/MetricsToken.h"

#include <optional>
#include <string>
#include <string_view>

class MetricsResponder {
public:
    // readings must outlive the responder.
    MetricsResponder(const MetricsReadings& readings, std::string version, std::optional<MetricsToken> token);

    // The whole response (status line, headers and body) to a request's head, which ends with its empty
    // line. Every response closes the connection.
    std::string Respond(std::string_view head) const;
    // 431, for a head that grew past the limit before it ended.
    static std::string HeadTooLarge();

private:
    const MetricsReadings& mReadings;
    std::string mVersion;
    std::optional<MetricsToken> mToken;
};
