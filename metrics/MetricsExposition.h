// The sensors' newest readings as Prometheus reads them: the text format 0.0.4 or OpenMetrics 1.0. Every
// family carries its HELP and TYPE lines, families are never interleaved, and samples carry no timestamps.
#pragma once

#include "metrics/MetricsSample.h"

#include <string>
#include <string_view>
#include <vector>

class MetricsExposition {
public:
    enum class Format { Text004, OpenMetrics };

    static constexpr const char* kTextContentType = "text/plain; version=0.0.4; charset=utf-8";
    static constexpr const char* kOpenMetricsContentType = "application/openmetrics-text; version=1.0.0; charset=utf-8";
    // Limits outside this range are a chip's way of saying it has none.
    static constexpr double kLowestLimit = -60;
    static constexpr double kHighestLimit = 200;

    static std::string Write(const std::vector<MetricsSample>& samples, std::string_view version, Format format);
    static const char* ContentType(Format format);
    // The format an Accept header asks for: OpenMetrics when it names it, else the text format.
    static Format Negotiate(std::string_view accept);
    // A label value as the formats take it: valid UTF-8 (an invalid byte becomes U+FFFD), with backslash,
    // double quote and line feed escaped.
    static std::string EscapeLabelValue(std::string_view value);
};
