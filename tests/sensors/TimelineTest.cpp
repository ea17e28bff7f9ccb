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

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <tuple>

namespace {

// Each stretch's start and count.
using Stretches = std::vector<std::pair<int64_t, int32_t>>;

Stretches StretchesOf(const SampleTimeline& timeline)
{
    Stretches stretches;
    for (const SampleTimeline::Stretch& stretch : timeline.Stretches())
        stretches.emplace_back(stretch.start, stretch.count);
    return stretches;
}

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
    const std::tuple<const char*, std::vector<int64_t>, Stretches> rows[] = {
        { "a minute apart, or late by up to 90 seconds", { 0, 90, 150 }, { { 0, 3 } } },
        { "91 seconds: a pause", { 0, 91 }, { { 0, 1 }, { 91, 1 } } },
        { "the clock set back", { 600, 660, 60, 120 }, { { 600, 2 }, { 60, 2 } } },
        { "two samples at one moment", { 0, 0 }, { { 0, 2 } } },
    };
    for (const auto& [name, times, expected] : rows)
        EXPECT_EQ(StretchesOf(Timeline(times)), expected) << name;
}

TEST(SampleTimelineTest, CappedAtAHistorysSamplesAndFittedToTheDataFile)
{
    SampleTimeline full = SampleTimeline::MinuteApart(SampleTimeline::kCapacity, 0);
    full.Add(1000000);
    EXPECT_EQ(full.Count(), SampleTimeline::kCapacity);
    EXPECT_EQ(StretchesOf(full), (Stretches { { -14998 * 60, SampleTimeline::kCapacity - 1 }, { 1000000, 1 } }));

    // Five samples in two stretches, fitted to a data file of so many samples last saved at 5000.
    const std::tuple<const char*, int32_t, Stretches> rows[] = {
        { "as many", 5, { { 0, 2 }, { 1000, 3 } } },
        { "a file saved before the timeline: its newest go", 1, { { 0, 1 } } },
        { "an emptied file", 0, {} },
        { "samples of an older Kelvara: a minute apart up to the last save", 7,
            { { 0, 2 }, { 1000, 3 }, { 4940, 2 } } },
    };
    for (const auto& [name, count, expected] : rows) {
        SampleTimeline timeline = Timeline({ 0, 60, 1000, 1060, 1120 });
        timeline.FitTo(count, 5000);
        EXPECT_EQ(StretchesOf(timeline), expected) << name;
        EXPECT_EQ(timeline.Count(), count) << name;
    }
}

TEST(SampleTimelineTest, PlacedBeforeNowNeverOutOfOrder)
{
    // The samples' times, now, and each stretch's age, newest first.
    const std::tuple<const char*, std::vector<int64_t>, int64_t, std::vector<int64_t>> rows[] = {
        { "a pause lies between", { 0, 60, 7260 }, 7290, { 30, 7230 } },
        // The clock set back an hour: the older stretch follows the newer one, a minute behind.
        { "the clock set back", { 3600, 3660, 60 }, 90, { 30, 90 } },
        { "the newest in the future", { 0, 60 }, 30, { 0 } },
    };
    for (const auto& [name, times, now, secondsAgo] : rows) {
        std::vector<int64_t> ages;
        for (const SampleTimeline::Placement& placed : Timeline(times).PlaceBefore(now))
            ages.push_back(placed.secondsAgo);
        EXPECT_EQ(ages, secondsAgo) << name;
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

    EXPECT_FALSE(TimelineFile::Parse("Kelvara Timeline 2\nk 0 1\n", problem)) << "another header";
    // Cut short, a stretch without a count, a count of none, no number, a time past any clock, more samples than a
    // history holds, a key twice, a broken escape, an empty line.
    for (const char* lines : { "k 0 1", "k 0\n", "k 0 0\n", "k 0x10 1\n", "k 9223372036854775807 1\n",
             "k 0 15000 1000000 1\n", "k 0 1\nk 60 1\n", "k%4 0 1\n", "\nk 0 1\n" })
        EXPECT_FALSE(TimelineFile::Parse(std::string("Kelvara Timeline 1\n") + lines, problem)) << lines;
}

// 20:00 on 2026-12-07, the first round's sample, and 20:01; eight hours of suspend (the timers slept, the wall
// clock did not) and two minutes; a quit, and a start an hour later; a minute, and the clock set back two hours.
// The export dates each sample when it was taken. A damaged timeline is then set aside; the samples stay, dated
// a minute apart up to the last save.
TEST(TimelineAcrossRunsTest, ExportedTimesAreWhenTheSamplesWereTaken)
{
    const char* zone = std::getenv("TZ");
    const std::optional<std::string> userZone = zone ? std::optional<std::string>(zone) : std::nullopt;
    ::setenv("TZ", "UTC0", 1);
    ::tzset();
    FixturePlatform platform;
    platform.AddTempSensor("CPU", 40);
    FixtureClock& clock = platform.Clock();
    clock.SetUnixTime(1796673600);
    auto sensor = [] { return (*SensorMaster::Get()->GetSensorArray())[1]; };
    // A minute of sampling ending in a long-term sample.
    auto sampleAMinute = [&] {
        for (int32_t i = 0; i < TemperatureSensor::kSamplesPerLongTermSample; ++i)
            Sampling::SampleNow(*sensor());
    };
    Sampling::StartSensors();
    for (int64_t advance : { 60, 8 * 3600, 60 }) {
        clock.Advance(advance);
        sampleAMinute();
    }
    SensorMaster::DeleteInstanceForTesting();
    clock.Advance(3600);
    Sampling::StartSensors();
    clock.Advance(60);
    sampleAMinute();
    clock.Jump(-2 * 3600);
    sampleAMinute();
    SensorMaster::DeleteInstanceForTesting();

    const std::string destination = platform.Home().Path() + "/export";
    EXPECT_TRUE(HistoryExport::ExportFolder(platform.ProgramFolder(), destination).problems.empty());
    EXPECT_EQ(Text(TestFiles::ReadBytes(destination + "/01 CPU.csv")),
        "Time,Celsius\n"
        "2026-12-07T20:00:00+00:00,40\n"
        "2026-12-07T20:01:00+00:00,40\n"
        "2026-12-08T04:01:00+00:00,40\n"
        "2026-12-08T04:02:00+00:00,40\n"
        "2026-12-08T05:02:00+00:00,40\n"
        "2026-12-08T05:03:00+00:00,40\n"
        "2026-12-08T03:03:00+00:00,40\n");

    TestFiles::Write(platform.ProgramFolder() + "/Kelvara Timeline", "Kelvara Timeline 1\nbroken");
    // The data file's own date stands in for the timeline; a fixed one (01:00), so that the real clock, which
    // dated the file, can never fall next to the fixture's.
    const int64_t lastSave = 1796691600;
    const struct timespec dates[2] = { { lastSave, 0 }, { lastSave, 0 } };
    ASSERT_EQ(::utimensat(AT_FDCWD, (platform.ProgramFolder() + "/01 CPU").c_str(), dates, 0), 0);
    Sampling::StartSensors();
    EXPECT_EQ(sensor()->GetLTTempArray()->GetCount(), 8) << "seven, and this run's first";
    EXPECT_EQ(Text(TestFiles::ReadBytes(platform.ProgramFolder() + "/Kelvara Timeline.damaged")),
        "Kelvara Timeline 1\nbroken");
    EXPECT_EQ(StretchesOf(sensor()->GetTimeline()), (Stretches { { lastSave - 6 * 60, 7 }, { clock.GetUnixTime(), 1 } }));

    userZone ? ::setenv("TZ", userZone->c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
}
