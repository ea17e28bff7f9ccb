// When the long-term samples were taken: the rules of a sensor's timeline, its file, and the export's times
// across a suspend, a restart and a clock set back.
#include "sensors/HistoryExport.h"
#include "sensors/SampleTimeline.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "sensors/TimelineFile.h"
#include "tests/support/FixturePlatform.h"
#include "tests/support/Sampling.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

using Stretches = std::vector<SampleTimeline::Stretch>;

}

void PrintTo(const SampleTimeline::Stretch& stretch, std::ostream* out)
{
    *out << "{" << stretch.start << ", " << stretch.count << "}";
}

namespace {

// 2026-12-07 20:00:00 UTC.
constexpr int64_t kEvening = 1796673600;

SampleTimeline Timeline(const std::vector<int64_t>& times)
{
    SampleTimeline timeline;
    for (int64_t when : times)
        timeline.Add(when);
    return timeline;
}

std::string Text(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

}

TEST(SampleTimelineTest, APauseOrAClockSetBackBeginsAStretch)
{
    const struct {
        const char* name;
        std::vector<int64_t> times;
        Stretches expected;
    } rows[] = {
        { "a minute apart", { 0, 60, 120 }, { { 0, 3 } } },
        { "late by up to 90 seconds", { 0, 90, 150 }, { { 0, 3 } } },
        { "91 seconds: a pause", { 0, 91 }, { { 0, 1 }, { 91, 1 } } },
        { "a night of suspend", { 0, 60, 28860, 28920 }, { { 0, 2 }, { 28860, 2 } } },
        { "the clock set back", { 600, 660, 60, 120 }, { { 600, 2 }, { 60, 2 } } },
        { "two samples at one moment", { 0, 0 }, { { 0, 2 } } },
    };
    for (const auto& row : rows)
        EXPECT_EQ(Timeline(row.times).Stretches(), row.expected) << row.name;
}

TEST(SampleTimelineTest, CappedAtAHistorysSamplesAndFittedToTheDataFile)
{
    SampleTimeline full = SampleTimeline::MinuteApart(SampleTimeline::kCapacity, 0);
    full.Add(1000000);
    EXPECT_EQ(full.Count(), SampleTimeline::kCapacity);
    EXPECT_EQ(full.Stretches(), (Stretches { { -14998 * 60, SampleTimeline::kCapacity - 1 }, { 1000000, 1 } }));

    const struct {
        const char* name;
        int32_t count;
        Stretches expected;
    } rows[] = {
        { "as many", 5, { { 0, 2 }, { 1000, 3 } } },
        { "a file saved before the timeline: its newest go", 1, { { 0, 1 } } },
        { "an emptied file", 0, {} },
        { "samples of an older Kelvara: a minute apart up to the last save", 7,
            { { 0, 2 }, { 1000, 3 }, { 4940, 2 } } },
    };
    for (const auto& row : rows) {
        SampleTimeline timeline = Timeline({ 0, 60, 1000, 1060, 1120 });
        timeline.FitTo(row.count, 5000);
        EXPECT_EQ(timeline.Stretches(), row.expected) << row.name;
        EXPECT_EQ(timeline.Count(), row.count) << row.name;
    }
}

TEST(SampleTimelineTest, PlacedBeforeNowNeverOutOfOrder)
{
    const struct {
        const char* name;
        std::vector<int64_t> times;
        int64_t now;
        std::vector<int64_t> secondsAgo;
    } rows[] = {
        { "a pause lies between", { 0, 60, 7260 }, 7290, { 30, 7230 } },
        // The clock set back an hour: the older stretch follows the newer one, a minute behind.
        { "the clock set back", { 3600, 3660, 60 }, 90, { 30, 90 } },
        { "the newest in the future", { 0, 60 }, 30, { 0 } },
    };
    for (const auto& row : rows) {
        std::vector<int64_t> ages;
        for (const SampleTimeline::Placement& placed : Timeline(row.times).PlaceBefore(row.now))
            ages.push_back(placed.secondsAgo);
        EXPECT_EQ(ages, row.secondsAgo) << row.name;
    }
}

TEST(TimelineFileTest, WrittenAndReadBackAndAnythingElseIsDamaged)
{
    TimelineFile::Timelines timelines;
    timelines["hwmon:/sys/devices/pci0000:00/i2c 1:temp1"] = Timeline({ 100, 160, 9000 });
    timelines["k\xc3\xa9y%\n"] = Timeline({ -5 });
    const std::string text = TimelineFile::Format(timelines);
    EXPECT_EQ(text,
        "Kelvara Timeline 1\n"
        "hwmon:/sys/devices/pci0000:00/i2c%201:temp1 100 2 9000 1\n"
        "k%C3%A9y%25%0A -5 1\n");
    std::string problem;
    std::optional<TimelineFile::Timelines> read = TimelineFile::Parse(text, problem);
    ASSERT_TRUE(read) << problem;
    EXPECT_EQ(*read, timelines);

    const struct {
        const char* name;
        std::string text;
    } damaged[] = {
        { "another header", "Kelvara Timeline 2\nk 0 1\n" },
        { "cut short", "Kelvara Timeline 1\nk 0 1" },
        { "a stretch without a count", "Kelvara Timeline 1\nk 0\n" },
        { "a count of none", "Kelvara Timeline 1\nk 0 0\n" },
        { "no number", "Kelvara Timeline 1\nk 0x10 1\n" },
        { "a time past any clock", "Kelvara Timeline 1\nk 9223372036854775807 1\n" },
        { "more samples than a history", "Kelvara Timeline 1\nk 0 15000 1000000 1\n" },
        { "a key twice", "Kelvara Timeline 1\nk 0 1\nk 60 1\n" },
        { "a broken escape", "Kelvara Timeline 1\nk%4 0 1\n" },
        { "an empty line", "Kelvara Timeline 1\n\nk 0 1\n" },
    };
    for (const auto& row : damaged)
        EXPECT_FALSE(TimelineFile::Parse(row.text, problem)) << row.name;
}

class TimelineAcrossRunsTest : public ::testing::Test {
protected:
    TimelineAcrossRunsTest()
    {
        const char* zone = std::getenv("TZ");
        mZone = zone != nullptr ? std::optional<std::string>(zone) : std::nullopt;
        ::setenv("TZ", "UTC0", 1);
        ::tzset();
        platform.AddTempSensor("CPU", 40);
        platform.Clock().SetUnixTime(kEvening);
    }
    ~TimelineAcrossRunsTest() override
    {
        if (mZone)
            ::setenv("TZ", mZone->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

    static TemperatureSensor& Sensor() { return *(*SensorMaster::Get()->GetSensorArray())[1]; }

    // A minute of sampling ending in a long-term sample.
    static void SampleAMinute()
    {
        for (int32_t i = 0; i < TemperatureSensor::kSamplesPerLongTermSample; ++i)
            Sampling::SampleNow(Sensor());
    }

    std::string Export()
    {
        const std::string destination = platform.Home().Path() + "/export";
        HistoryExportResult result = HistoryExport::ExportFolder(platform.ProgramFolder(), destination);
        EXPECT_TRUE(result.problems.empty());
        return Text(TestFiles::ReadBytes(destination + "/01 CPU.csv"));
    }

    FixturePlatform platform;

private:
    std::optional<std::string> mZone;
};

TEST_F(TimelineAcrossRunsTest, ExportedTimesAreWhenTheSamplesWereTaken)
{
    FixtureClock& clock = platform.Clock();
    // 20:00, the first round's sample, and 20:01.
    Sampling::StartSensors();
    clock.Advance(60);
    SampleAMinute();
    // The lid closed for eight hours: the timers slept, the wall clock did not.
    clock.Advance(8 * 3600);
    SampleAMinute();
    clock.Advance(60);
    SampleAMinute();
    // Quit, and started again an hour later.
    SensorMaster::DeleteInstanceForTesting();
    clock.Advance(3600);
    Sampling::StartSensors();
    clock.Advance(60);
    SampleAMinute();
    // The clock set back two hours.
    clock.Jump(-2 * 3600);
    SampleAMinute();
    SensorMaster::DeleteInstanceForTesting();

    const std::string expected = "Time,Celsius\n"
                                 "2026-12-07T20:00:00+00:00,40\n"
                                 "2026-12-07T20:01:00+00:00,40\n"
                                 "2026-12-08T04:01:00+00:00,40\n"
                                 "2026-12-08T04:02:00+00:00,40\n"
                                 "2026-12-08T05:02:00+00:00,40\n"
                                 "2026-12-08T05:03:00+00:00,40\n"
                                 "2026-12-08T03:03:00+00:00,40\n";
    EXPECT_EQ(Export(), expected);

    // A damaged timeline is set aside; the samples stay, dated a minute apart up to the last save.
    TestFiles::Write(platform.ProgramFolder() + "/Kelvara Timeline", "Kelvara Timeline 1\nbroken");
    Sampling::StartSensors();
    EXPECT_EQ(Sensor().GetLTTempArray()->GetCount(), 8) << "seven, and this run's first";
    EXPECT_EQ(Text(TestFiles::ReadBytes(platform.ProgramFolder() + "/Kelvara Timeline.damaged")),
        "Kelvara Timeline 1\nbroken");
    EXPECT_EQ(Sensor().GetTimeline().Stretches().size(), 2u);
}
