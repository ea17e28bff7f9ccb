// The exposition byte for byte on a small fixture, in both formats; and, where promtool is installed, what
// Prometheus's own checker makes of it.
#include "metrics/MetricsExposition.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

std::vector<MetricsSample> Fixture()
{
    using T = MetricsTemperature;
    return {
        { "platform_coretemp_0", "temp2", "Core \"0\" \\ hot\nline \xFF end \xC3\xA9", T { 45.125, "45.125" },
            T { 100, "100" }, T { 250, "250" } /* a chip's way of saying it has none */, false, 0 },
        { "pci0000:00_0000:01:00_0", "temp1", "GPU", T { 92.5, "92.5" }, T { -61, "-61" }, T { 200, "200" }, true, 2 },
        // Asleep, silent or never read: up 0 and no temperature.
        { "udisks2_wd_blue", "temp1", "WD Blue", {}, {}, {}, false, 17 },
    };
}

// The expected lines, with @ standing for the labels of the first sample, whose name is escaped and whose
// invalid byte becomes U+FFFD.
std::string Expected(std::string text)
{
    const std::string core = "chip=\"platform_coretemp_0\",sensor=\"temp2\",name=\"Core \\\"0\\\" \\\\ hot\\nline "
                             "\xEF\xBF\xBD end \xC3\xA9\"";
    for (size_t at; (at = text.find('@')) != std::string::npos;)
        text.replace(at, 1, core);
    return text;
}

const char* const kBody = R"(# HELP kelvara_temperature_celsius The sensor's newest reading in degrees Celsius.
# TYPE kelvara_temperature_celsius gauge
kelvara_temperature_celsius{@} 45.125
kelvara_temperature_celsius{chip="pci0000:00_0000:01:00_0",sensor="temp1",name="GPU"} 92.5
# HELP kelvara_temperature_max_celsius The channel's max limit in degrees Celsius (a graphics card's slowdown temperature).
# TYPE kelvara_temperature_max_celsius gauge
kelvara_temperature_max_celsius{@} 100
# HELP kelvara_temperature_crit_celsius The channel's critical limit in degrees Celsius (a graphics card's shutdown temperature).
# TYPE kelvara_temperature_crit_celsius gauge
kelvara_temperature_crit_celsius{chip="pci0000:00_0000:01:00_0",sensor="temp1",name="GPU"} 200
# HELP kelvara_temperature_alarm 1 while the sensor reads at or above the limit that Kelvara warns at, else 0.
# TYPE kelvara_temperature_alarm gauge
kelvara_temperature_alarm{@} 0
kelvara_temperature_alarm{chip="pci0000:00_0000:01:00_0",sensor="temp1",name="GPU"} 1
kelvara_temperature_alarm{chip="udisks2_wd_blue",sensor="temp1",name="WD Blue"} 0
# HELP kelvara_sensor_up 1 while the sensor has a valid newest reading; 0 when it is silent, asleep or never read.
# TYPE kelvara_sensor_up gauge
kelvara_sensor_up{@} 1
kelvara_sensor_up{chip="pci0000:00_0000:01:00_0",sensor="temp1",name="GPU"} 1
kelvara_sensor_up{chip="udisks2_wd_blue",sensor="temp1",name="WD Blue"} 0
)";

const char* const kErrors = R"(kelvara_read_errors_total{@} 0
kelvara_read_errors_total{chip="pci0000:00_0000:01:00_0",sensor="temp1",name="GPU"} 2
kelvara_read_errors_total{chip="udisks2_wd_blue",sensor="temp1",name="WD Blue"} 17
)";

}

TEST(Exposition, ByteForByte)
{
    using F = MetricsExposition::Format;
    const std::pair<F, std::string> cases[] = {
        { F::Text004,
            std::string(kBody)
                + "# HELP kelvara_read_errors_total Reads of the sensor that gave no reading since Kelvara started.\n"
                  "# TYPE kelvara_read_errors_total counter\n"
                + kErrors
                + "# HELP kelvara_build_info Kelvara's version; always 1.\n"
                  "# TYPE kelvara_build_info gauge\n"
                  "kelvara_build_info{version=\"1.2.3\"} 1\n" },
        { F::OpenMetrics,
            std::string(kBody)
                + "# HELP kelvara_read_errors Reads of the sensor that gave no reading since Kelvara started.\n"
                  "# TYPE kelvara_read_errors counter\n"
                + kErrors
                + "# HELP kelvara_build Kelvara's version; always 1.\n"
                  "# TYPE kelvara_build info\n"
                  "kelvara_build_info{version=\"1.2.3\"} 1\n"
                  "# EOF\n" },
    };
    for (const auto& [format, expected] : cases)
        EXPECT_EQ(MetricsExposition::Write(Fixture(), "1.2.3", format), Expected(expected)) << static_cast<int>(format);
}

TEST(Exposition, NegotiatesByAccept)
{
    using F = MetricsExposition::Format;
    const std::pair<const char*, F> cases[] = {
        { "", F::Text004 },
        { "text/plain;version=0.0.4;q=1,*/*;q=0.1", F::Text004 },
        { "application/openmetrics-text;version=1.0.0,application/openmetrics-text;version=0.0.1;q=0.75,"
          "text/plain;version=0.0.4;q=0.5,*/*;q=0.1",
            F::OpenMetrics }, // what Prometheus sends
        { "Application/OpenMetrics-Text", F::OpenMetrics },
    };
    for (const auto& [accept, format] : cases)
        EXPECT_EQ(MetricsExposition::Negotiate(accept), format) << accept;
}

// Prometheus's own checker, on the text format: any name, any bytes.
TEST(Exposition, PassesPromtool)
{
    if (std::system("command -v promtool >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "promtool is not installed (Debian: prometheus)";
    TemporaryFolder folder;
    std::string path = folder / "metrics.prom";
    std::vector<MetricsSample> samples = Fixture();
    samples[2].name = std::string("\x01\x7F\"\\\n\xC0\xAF\xED\xA0\x80", 10);
    std::ofstream(path) << MetricsExposition::Write(samples, "1.0.0", MetricsExposition::Format::Text004);
    std::string command = "promtool check metrics < '" + path + "' > '" + path + ".out' 2>&1";
    int status = std::system(command.c_str());
    std::ifstream out(path + ".out");
    std::string said((std::istreambuf_iterator<char>(out)), {});
    EXPECT_EQ(status, 0) << said;
    EXPECT_EQ(said, "");
}
