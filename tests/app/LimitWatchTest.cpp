// A sensor that reaches its high limit: one notification per crossing, with 5 degrees of hysteresis,
// none when the user turned them off, and the tray's tool tip naming it while it is there.
#include "sensors/LimitWatch.h"
#include "platform/Notifier.h"
#include "prefs/KelvaraSettings.h"
#include "prefs/Preferences.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"
#include "tests/support/Sampling.h"
#include "util/TemperatureUnits.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

class NotificationLog : public Notifier {
public:
    void Notify(const std::string& title, const std::string& text) override
    {
        messages.push_back(title + " / " + text);
    }
    std::vector<std::string> messages;
};

}

TEST(LimitWatch, OneNotificationPerCrossingWithHysteresis)
{
    const std::string at110 = "Kelvara\namdgpu junction: 110C (limit 100C)";
    const struct {
        const char* name;
        std::optional<double> limit; // the high threshold; none for a drive that reports no limit
        double atStart; // the reading when the watch begins
        std::vector<double> readings;
        bool warn; // the user's setting
        size_t notifications;
        std::string toolTip;
    } cases[] = {
        { "a crossing warns once, however long it stays up", 100, 95, { 99.99, 110, 104, 110 }, true, 1, at110 },
        { "exactly at the limit is at the limit", 100, 95, { 100 }, true, 1,
            "Kelvara\namdgpu junction: 100C (limit 100C)" },
        { "hovering less than 5 degrees below warns no more", 100, 95, { 110, 95.01, 110, 99, 110 }, true, 1, at110 },
        { "5 degrees below, the next crossing warns again", 100, 95, { 110, 95, 110, 80, 110 }, true, 3, at110 },
        { "back below the limit, the tool tip lets go", 100, 95, { 110, 99 }, true, 1, "Kelvara" },
        { "found at the limit at start-up", 100, 110, {}, true, 1, at110 },
        { "notifications turned off", 100, 95, { 110, 80, 110 }, false, 0, at110 },
        { "no limit, as an NVMe drive reports it", std::nullopt, 95, { 150 }, true, 0, "Kelvara" },
    };
    for (const auto& each : cases) {
        FixturePlatform machine;
        SensorRegistry::EntryID board = machine.AddTempSensor("nct6798 SYSTIN", 40);
        machine.Registry().SetProperty(board, "high-threshold", FixturePlatform::Fixed16(80));
        SensorRegistry::EntryID junction = machine.AddTempSensor("amdgpu junction", each.atStart);
        if (each.limit)
            machine.Registry().SetProperty(junction, "high-threshold", FixturePlatform::Fixed16(*each.limit));
        Preferences::Get()->SetTemperatureScale(kScaleCelsius);
        KelvaraSettings::Get()->SetWarnAtLimits(each.warn);
        Sampling::StartSensors();
        NotificationLog log;
        std::string toolTip = "Kelvara";
        {
            LimitWatch watch(*SensorMaster::Get(), log, [&](const std::string& summary) { toolTip = summary; });
            for (double celsius : each.readings) {
                machine.Registry().SetProperty(junction, "current-value", FixturePlatform::Fixed16(celsius));
                ASSERT_TRUE(Sampling::RecordRound(*SensorMaster::Get()));
            }
        }
        EXPECT_EQ(log.messages.size(), each.notifications) << each.name;
        for (const std::string& message : log.messages) {
            EXPECT_EQ(message.rfind("amdgpu junction has reached its limit / It reads 1", 0), 0u) << message;
            EXPECT_NE(message.find("C; its limit is 100C."), std::string::npos) << message;
        }
        EXPECT_EQ(toolTip, each.toolTip) << each.name;
    }
}
