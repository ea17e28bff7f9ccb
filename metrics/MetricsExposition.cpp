#include "metrics/MetricsExposition.h"

#include "metrics/Utf8Character.h"

#include <algorithm>
#include <cctype>
#include <functional>

namespace {

using Format = MetricsExposition::Format;

void AppendFamily(std::string& out, const char* family, const char* type, const char* help)
{
    out += "# HELP ";
    out += family;
    out += ' ';
    out += help;
    out += "\n# TYPE ";
    out += family;
    out += ' ';
    out += type;
    out += '\n';
}

void AppendLabels(std::string& out, const MetricsSample& sample)
{
    out += "{chip=\"";
    out += MetricsExposition::EscapeLabelValue(sample.chip);
    out += "\",sensor=\"";
    out += MetricsExposition::EscapeLabelValue(sample.sensor);
    out += "\",name=\"";
    out += MetricsExposition::EscapeLabelValue(sample.name);
    out += "\"}";
}

// One gauge family over every sensor that has a value for it.
void AppendGauge(std::string& out, const std::vector<MetricsSample>& samples, const char* family, const char* help,
    const std::function<std::optional<std::string>(const MetricsSample&)>& value)
{
    AppendFamily(out, family, "gauge", help);
    for (const MetricsSample& sample : samples) {
        std::optional<std::string> text = value(sample);
        if (!text)
            continue;
        out += family;
        AppendLabels(out, sample);
        out += ' ';
        out += *text;
        out += '\n';
    }
}

std::optional<std::string> Limit(const std::optional<MetricsTemperature>& limit)
{
    if (!limit || !(limit->celsius >= MetricsExposition::kLowestLimit)
        || !(limit->celsius <= MetricsExposition::kHighestLimit))
        return std::nullopt;
    return limit->text;
}

}

std::string MetricsExposition::Write(const std::vector<MetricsSample>& samples, std::string_view version, Format format)
{
    std::string out;
    out.reserve(256 + samples.size() * 6 * 96);
    AppendGauge(out, samples, "kelvara_temperature_celsius", "The sensor's newest reading in degrees Celsius.",
        [](const MetricsSample& s) -> std::optional<std::string> {
            if (!s.temperature)
                return std::nullopt;
            return s.temperature->text;
        });
    AppendGauge(out, samples, "kelvara_temperature_max_celsius",
        "The channel's max limit in degrees Celsius (a graphics card's slowdown temperature).",
        [](const MetricsSample& s) { return Limit(s.max); });
    AppendGauge(out, samples, "kelvara_temperature_crit_celsius",
        "The channel's critical limit in degrees Celsius (a graphics card's shutdown temperature).",
        [](const MetricsSample& s) { return Limit(s.crit); });
    AppendGauge(out, samples, "kelvara_temperature_alarm",
        "1 while the sensor reads at or above the limit that Kelvara warns at, else 0.",
        [](const MetricsSample& s) { return std::optional<std::string>(s.alarm ? "1" : "0"); });
    AppendGauge(out, samples, "kelvara_sensor_up",
        "1 while the sensor has a valid newest reading; 0 when it is silent, asleep or never read.",
        [](const MetricsSample& s) { return std::optional<std::string>(s.temperature ? "1" : "0"); });

    bool open = format == Format::OpenMetrics;
    AppendFamily(out, open ? "kelvara_read_errors" : "kelvara_read_errors_total", "counter",
        "Reads of the sensor that gave no reading since Kelvara started.");
    for (const MetricsSample& sample : samples) {
        out += "kelvara_read_errors_total";
        AppendLabels(out, sample);
        out += ' ';
        out += std::to_string(sample.readErrors);
        out += '\n';
    }
    AppendFamily(
        out, open ? "kelvara_build" : "kelvara_build_info", open ? "info" : "gauge", "Kelvara's version; always 1.");
    out += "kelvara_build_info{version=\"";
    out += EscapeLabelValue(version);
    out += "\"} 1\n";
    if (open)
        out += "# EOF\n";
    return out;
}

const char* MetricsExposition::ContentType(Format format)
{
    return format == Format::OpenMetrics ? kOpenMetricsContentType : kTextContentType;
}

MetricsExposition::Format MetricsExposition::Negotiate(std::string_view accept)
{
    std::string lower(accept);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower.find("application/openmetrics-text") != std::string::npos ? Format::OpenMetrics : Format::Text004;
}

std::string MetricsExposition::EscapeLabelValue(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (size_t at = 0; at < value.size();) {
        char32_t point;
        size_t length = NextUtf8Character(value, at, point);
        if (point == 0xFFFD && length == 1 && static_cast<unsigned char>(value[at]) >= 0x80)
            out += "\xEF\xBF\xBD";
        else if (value[at] == '\\')
            out += "\\\\";
        else if (value[at] == '"')
            out += "\\\"";
        else if (value[at] == '\n')
            out += "\\n";
        else
            out.append(value.substr(at, length));
        at += length;
    }
    return out;
}
