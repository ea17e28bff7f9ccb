// Runs the real program in a private mount namespace whose /sys/class/hwmon is a fixture tree, lets it
// sample, stops it with SIGTERM and reads the files it left behind.
#include "platform/Clock.h"
#include "tests/support/SysfsFixture.h"
#include "tests/support/TestFolders.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <thread>
#include <unistd.h>

namespace {

int32_t Fixed16(int64_t millidegrees)
{
    return static_cast<int32_t>(std::llround(static_cast<double>(millidegrees) * 65536.0 / 1000.0));
}

struct DataFile {
    int32_t version = 0;
    int32_t minimum = 0;
    int32_t maximum = 0;
    std::vector<int32_t> longTerm;
    std::vector<int32_t> shortTerm;
};

DataFile ReadDataFile(const std::string& path)
{
    std::vector<uint8_t> bytes = TestFiles::ReadBytes(path);
    size_t offset = 0;
    auto next = [&]() {
        if (offset + 4 > bytes.size())
            throw std::runtime_error("data file ends early: " + path);
        uint32_t value = (uint32_t(bytes[offset]) << 24) | (uint32_t(bytes[offset + 1]) << 16)
            | (uint32_t(bytes[offset + 2]) << 8) | bytes[offset + 3];
        offset += 4;
        return static_cast<int32_t>(value);
    };
    DataFile file;
    file.version = next();
    file.minimum = next();
    file.maximum = next();
    for (int32_t n = next(); n > 0; --n)
        file.longTerm.push_back(next());
    for (int32_t m = next(); m > 0; --m)
        file.shortTerm.push_back(next());
    if (offset != bytes.size())
        throw std::runtime_error("data file has a tail: " + path);
    return file;
}

std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "the end-to-end test mounts a fixture over /sys/class and must run as root";
        if (QProcess::execute("unshare", { "-m", "true" }) != 0)
            GTEST_SKIP() << "unshare -m is not permitted here; the end-to-end test needs a mount namespace";
    }

    // Runs Kelvara for about the given time, then sends SIGTERM; returns its standard error.
    std::string RunKelvara(int seconds)
    {
        std::string script = "mount -t tmpfs kelvara-test /sys/class && mkdir /sys/class/hwmon && mount --bind "
            + ShellQuote(sysfs.HwmonFolder()) + " /sys/class/hwmon && exec " + ShellQuote(KELVARA_BINARY);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", QString::fromStdString(config.Path()));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(environment);
        process.start("unshare", { "-m", "sh", "-c", QString::fromStdString(script) });
        EXPECT_TRUE(process.waitForStarted(10000));
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        EXPECT_EQ(process.state(), QProcess::Running) << process.readAllStandardError().toStdString();
        process.terminate();
        EXPECT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
        return process.readAllStandardError().toStdString();
    }

    std::string ProgramFile(const std::string& name) { return config / ("Varnholt's Utilities/" + name); }

    SysfsFixture sysfs;
    TemporaryFolder config;
};

}

TEST_F(EndToEnd, SamplesEveryFiveSecondsAndKeepsTheHistoryAcrossRuns)
{
    sysfs.AddChip(0).Name("acpitz").Temp(1, 45000);
    sysfs.AddChip(2).DanglingDevice("pci0000:00/0000:00:1d.0/nvme0").Name("nvme").Temp(1, 38850, "Composite")
        .Temp(2, 41000, "CPU/GPU");

    RunKelvara(11);
    std::vector<std::string> expected = { "01 acpitz temp1", "02 nvme Composite", "03 nvme CPU:GPU" };
    std::vector<std::string> files = expected;
    files.push_back("Kelvara Preferences");
    ASSERT_EQ(TestFiles::List(config / "Varnholt's Utilities"), files);

    // The first run's preferences are the first-run settings, with the first sensor in both Dock lists.
    std::vector<uint8_t> preferences = TestFiles::ReadBytes(ProgramFile("Kelvara Preferences"));
    std::vector<uint8_t> name = { 12, 'a', 'c', 'p', 'i', 't', 'z', ' ', 't', 'e', 'm', 'p', '1' };
    std::vector<uint8_t> expectedPreferences = { 0, 120, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0 };
    const uint16_t colours[] = { 0, 32767, 0, 65535, 0, 0, 0, 0, 65535, 32767, 0, 32767, 32767, 0, 0, 32767,
        32767, 0, 0, 32767, 32767, 65535, 32767, 0, 26414, 65535, 26414, 0, 65535, 0, 0, 0, 65535, 0, 0, 65535 };
    for (uint16_t channel : colours) {
        expectedPreferences.push_back(static_cast<uint8_t>(channel >> 8));
        expectedPreferences.push_back(static_cast<uint8_t>(channel));
    }
    for (uint8_t byte : { 0, 0, 0, 1, 0, 1, 0, 0, 0, 1 })
        expectedPreferences.push_back(byte);
    expectedPreferences.insert(expectedPreferences.end(), name.begin(), name.end());
    for (uint8_t byte : { 0, 1, 0, 1, 0, 0, 0, 1 })
        expectedPreferences.push_back(byte);
    expectedPreferences.insert(expectedPreferences.end(), name.begin(), name.end());
    for (uint8_t byte : { 0, 1, 1 })
        expectedPreferences.push_back(byte);
    ASSERT_EQ(preferences.size(), expectedPreferences.size());
    std::vector<uint8_t> creation(preferences.begin() + 3, preferences.begin() + 7);
    std::copy(creation.begin(), creation.end(), expectedPreferences.begin() + 3);
    EXPECT_EQ(preferences, expectedPreferences);
    uint32_t created = (uint32_t(creation[0]) << 24) | (uint32_t(creation[1]) << 16) | (uint32_t(creation[2]) << 8)
        | creation[3];
    EXPECT_LT(LinuxClock().GetDateTime() - created, 120u) << "the creation time is this run's";

    const int64_t first[] = { 45000, 38850, 41000 };
    std::vector<DataFile> run1;
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i]);
        DataFile file = ReadDataFile(ProgramFile(expected[i]));
        int32_t raw = Fixed16(first[i]);
        EXPECT_EQ(file.version, 3);
        EXPECT_EQ(file.minimum, raw);
        EXPECT_EQ(file.maximum, raw + 1); // the first reading opens the range one above itself
        EXPECT_EQ(file.longTerm, std::vector<int32_t>({ raw }));
        // A sample at start and one every 5 seconds: 3 in 11 seconds (2 on a slow machine).
        EXPECT_GE(file.shortTerm.size(), 2u);
        EXPECT_LE(file.shortTerm.size(), 3u);
        for (int32_t sample : file.shortTerm)
            EXPECT_EQ(sample, raw);
        run1.push_back(file);
    }

    // The second run reads warmer; its samples go in front of the first run's.
    TestFiles::Write(sysfs.HwmonFolder() + "/hwmon0/temp1_input", "50500\n");
    RunKelvara(6);
    DataFile file = ReadDataFile(ProgramFile("01 acpitz temp1"));
    int32_t before = Fixed16(45000);
    int32_t after = Fixed16(50500);
    EXPECT_EQ(file.longTerm, std::vector<int32_t>({ after, before }));
    EXPECT_EQ(file.minimum, before);
    EXPECT_EQ(file.maximum, after);
    ASSERT_GT(file.shortTerm.size(), run1[0].shortTerm.size());
    size_t newSamples = file.shortTerm.size() - run1[0].shortTerm.size();
    EXPECT_GE(newSamples, 1u);
    EXPECT_EQ(file.shortTerm.front(), after);
    EXPECT_EQ(file.shortTerm.back(), before);
    EXPECT_EQ(ReadDataFile(ProgramFile("02 nvme Composite")).longTerm.size(), 2u);
    // The preferences keep the moment of the first run.
    std::vector<uint8_t> again = TestFiles::ReadBytes(ProgramFile("Kelvara Preferences"));
    ASSERT_EQ(again.size(), preferences.size());
    EXPECT_TRUE(std::equal(again.begin() + 3, again.begin() + 7, creation.begin()));
}
