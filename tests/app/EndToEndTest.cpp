// Runs the real program in a private mount namespace whose /sys/class/hwmon is a fixture tree, lets it
// sample, stops it with SIGTERM and reads the files it left behind.
#include "platform/Clock.h"
#include "tests/support/SysfsFixture.h"
#include "tests/support/TestFolders.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
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

// Reads a file's big-endian fields in order, the way the program's files lay them out.
class FileReader {
public:
    explicit FileReader(const std::string& path)
        : mPath(path)
        , mBytes(TestFiles::ReadBytes(path))
    {
    }
    uint32_t Take(size_t count)
    {
        if (mAt + count > mBytes.size())
            throw std::runtime_error("file ends early: " + mPath);
        uint32_t value = 0;
        for (size_t i = 0; i < count; ++i)
            value = (value << 8) | mBytes[mAt + i];
        mAt += count;
        return value;
    }
    int32_t Take32() { return static_cast<int32_t>(Take(4)); }
    std::string TakeName()
    {
        size_t length = Take(1);
        std::string name(reinterpret_cast<const char*>(mBytes.data() + mAt), std::min(length, mBytes.size() - mAt));
        mAt += length;
        return name;
    }
    size_t At() const { return mAt; }
    bool AtEnd() const { return mAt == mBytes.size(); }

private:
    std::string mPath;
    std::vector<uint8_t> mBytes;
    size_t mAt = 0;
};

DataFile ReadDataFile(const std::string& path)
{
    FileReader in(path);
    DataFile file;
    file.version = in.Take32();
    file.minimum = in.Take32();
    file.maximum = in.Take32();
    for (int32_t n = in.Take32(); n > 0; --n)
        file.longTerm.push_back(in.Take32());
    for (int32_t m = in.Take32(); m > 0; --m)
        file.shortTerm.push_back(in.Take32());
    if (!in.AtEnd())
        throw std::runtime_error("data file has a tail: " + path);
    return file;
}

struct WindowRecord {
    size_t offset = 0; // of the record in the file
    int top = 0, left = 0, bottom = 0, right = 0;
    uint32_t mask = 0;
    int menuItem = 0;
    std::vector<std::string> names;
};

struct PreferencesFile {
    int version = 0;
    uint32_t created = 0;
    int scale = 0;
    std::vector<WindowRecord> dataWindows;
    std::vector<WindowRecord> graphWindows;
    std::vector<std::string> dockGraphNames;
    std::vector<std::string> dockTextNames;
    int versionCheck = -1;
};

// Reads the preferences file the way its format lays it out, independently of the program's reader.
PreferencesFile ReadPreferences(const std::string& path)
{
    FileReader in(path);
    auto names = [&](std::vector<std::string>& out) {
        for (uint32_t n = in.Take(4); n > 0; --n)
            out.push_back(in.TakeName());
    };
    auto record = [&](bool data) {
        WindowRecord record;
        record.offset = in.At();
        EXPECT_EQ(in.Take(4), 997u);
        record.top = static_cast<int16_t>(in.Take(2));
        record.left = static_cast<int16_t>(in.Take(2));
        record.bottom = static_cast<int16_t>(in.Take(2));
        record.right = static_cast<int16_t>(in.Take(2));
        if (data) {
            record.mask = in.Take(4);
            record.menuItem = static_cast<int>(in.Take(1));
        } else {
            record.menuItem = static_cast<int16_t>(in.Take(2));
        }
        names(record.names);
        return record;
    };
    PreferencesFile file;
    file.version = static_cast<int>(in.Take(2));
    in.Take(1);
    file.created = in.Take(4);
    file.scale = static_cast<int>(in.Take(2));
    in.Take(2);
    for (uint32_t d = in.Take(4); d > 0; --d)
        file.dataWindows.push_back(record(true));
    for (uint32_t g = in.Take(4); g > 0; --g)
        file.graphWindows.push_back(record(false));
    for (int skip = 0; skip < 72 + 4 + 2; ++skip)
        in.Take(1);
    names(file.dockGraphNames);
    in.Take(4);
    names(file.dockTextNames);
    in.Take(2);
    file.versionCheck = static_cast<int>(in.Take(1));
    EXPECT_TRUE(in.AtEnd());
    return file;
}

// Rewrites a window record's rectangle in the file; keepSize moves it and keeps its width and height.
void PatchRectangle(const std::string& path, size_t offset, std::vector<int> topLeftBottomRight, bool keepSize)
{
    std::vector<uint8_t> bytes = TestFiles::ReadBytes(path);
    auto read16 = [&](size_t at) { return static_cast<int16_t>((bytes[at] << 8) | bytes[at + 1]); };
    if (keepSize) {
        int height = read16(offset + 8) - read16(offset + 4);
        int width = read16(offset + 10) - read16(offset + 6);
        topLeftBottomRight[2] = topLeftBottomRight[0] + height;
        topLeftBottomRight[3] = topLeftBottomRight[1] + width;
    }
    for (size_t i = 0; i < 4; ++i) {
        bytes[offset + 4 + 2 * i] = static_cast<uint8_t>(topLeftBottomRight[i] >> 8);
        bytes[offset + 5 + 2 * i] = static_cast<uint8_t>(topLeftBottomRight[i]);
    }
    TestFiles::WriteBytes(path, bytes);
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

    // Starts Kelvara over the fixture tree, with this test's folders.
    void StartKelvara(QProcess& process)
    {
        std::string script = "mount -t tmpfs kelvara-test /sys/class && mkdir /sys/class/hwmon && mount --bind "
            + ShellQuote(sysfs.HwmonFolder()) + " /sys/class/hwmon && exec " + ShellQuote(KELVARA_BINARY);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", QString::fromStdString(config.Path()));
        environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.Path()));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        // A locale that measures in US units: the first run takes Fahrenheit.
        environment.insert("LC_ALL", "en_US.UTF-8");
        process.setProcessEnvironment(environment);
        process.start("unshare", { "-m", "sh", "-c", QString::fromStdString(script) });
        EXPECT_TRUE(process.waitForStarted(10000));
    }

    // Runs Kelvara for about the given time, launching it a second time after two seconds when asked, then
    // sends SIGTERM; returns its standard error.
    std::string RunKelvara(int seconds, bool launchAgain = false)
    {
        QProcess process;
        StartKelvara(process);
        if (launchAgain) {
            std::this_thread::sleep_for(std::chrono::seconds(2));
            seconds -= 2;
            // The second launch hands over to the running one and ends, without sampling or writing a thing.
            QProcess second;
            StartKelvara(second);
            EXPECT_TRUE(second.waitForFinished(15000));
            EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(second.exitCode(), 0);
            EXPECT_NE(second.readAllStandardError().toStdString().find("already running"), std::string::npos);
        }
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
    TemporaryFolder runtime;
};

}

TEST_F(EndToEnd, SamplesEveryFiveSecondsAndKeepsTheHistoryAcrossRuns)
{
    sysfs.AddChip(0).Name("acpitz").Temp(1, 45000);
    sysfs.AddChip(2)
        .DanglingDevice("pci0000:00/0000:00:1d.0/nvme0")
        .Name("nvme")
        .Temp(1, 38850, "Composite")
        .Temp(2, 41000, "CPU/GPU");

    RunKelvara(11);
    std::vector<std::string> expected = { "01 acpitz temp1", "02 nvme Composite", "03 nvme CPU:GPU" };
    std::vector<std::string> files = expected;
    files.push_back("Kelvara Preferences");
    ASSERT_EQ(TestFiles::List(config / "Varnholt's Utilities"), files);

    // The first run's preferences: the first-run settings, the first sensor in both Dock lists, and the
    // two windows a first run opens, showing every sensor.
    PreferencesFile run1Preferences = ReadPreferences(ProgramFile("Kelvara Preferences"));
    std::vector<std::string> names = { "acpitz temp1", "nvme Composite", "nvme CPU/GPU" };
    EXPECT_EQ(run1Preferences.version, 120);
    EXPECT_EQ(run1Preferences.scale, 2) << "Fahrenheit, as the locale measures in US units";
    EXPECT_EQ(run1Preferences.dockGraphNames, std::vector<std::string>({ "acpitz temp1" }));
    EXPECT_EQ(run1Preferences.dockTextNames, std::vector<std::string>({ "acpitz temp1" }));
    EXPECT_EQ(run1Preferences.versionCheck, 1);
    EXPECT_LT(LinuxClock().GetDateTime() - run1Preferences.created, 120u) << "the creation time is this run's";
    ASSERT_EQ(run1Preferences.dataWindows.size(), 1u);
    const WindowRecord& data = run1Preferences.dataWindows[0];
    EXPECT_EQ(data.mask, (1u << 1) | (1u << 2) | (1u << 5) | (1u << 6) | (1u << 7));
    EXPECT_EQ(data.menuItem, 1);
    EXPECT_EQ(data.names, names);
    EXPECT_EQ(data.bottom - data.top, 48 + 15 * 3) << "the header and three sensor rows";
    ASSERT_EQ(run1Preferences.graphWindows.size(), 1u);
    EXPECT_EQ(run1Preferences.graphWindows[0].names, names);
    EXPECT_EQ(run1Preferences.graphWindows[0].menuItem, 1);

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

    // Between the runs the user's windows moved, and the graph window was made larger.
    PatchRectangle(ProgramFile("Kelvara Preferences"), data.offset, { 200, 100, 0, 0 }, true);
    const WindowRecord& graph = run1Preferences.graphWindows[0];
    PatchRectangle(ProgramFile("Kelvara Preferences"), graph.offset, { 120, 140, 420, 660 }, false);

    // The second run reads warmer; its samples go in front of the first run's. A launch while it runs hands
    // over to it: one sampler, one set of files, every sample of both runs kept.
    TestFiles::Write(sysfs.HwmonFolder() + "/hwmon0/temp1_input", "50500\n");
    RunKelvara(6, true);
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
    // The preferences keep the moment of the first run; the windows came back where they were: the data
    // window at its place (its size follows its rows), the graph window at its place and size.
    PreferencesFile run2Preferences = ReadPreferences(ProgramFile("Kelvara Preferences"));
    EXPECT_EQ(run2Preferences.created, run1Preferences.created);
    ASSERT_EQ(run2Preferences.dataWindows.size(), 1u);
    const WindowRecord& data2 = run2Preferences.dataWindows[0];
    EXPECT_EQ(data2.top, 200);
    EXPECT_EQ(data2.left, 100);
    EXPECT_EQ(data2.bottom - data2.top, data.bottom - data.top);
    EXPECT_EQ(data2.right - data2.left, data.right - data.left);
    EXPECT_EQ(data2.mask, data.mask);
    EXPECT_EQ(data2.names, names);
    ASSERT_EQ(run2Preferences.graphWindows.size(), 1u);
    const WindowRecord& graph2 = run2Preferences.graphWindows[0];
    EXPECT_EQ((std::vector<int> { graph2.top, graph2.left, graph2.bottom, graph2.right }),
        (std::vector<int> { 120, 140, 420, 660 }));
}

namespace {

// Whether the process at pid is Kelvara with its quit signals caught: from then on a SIGTERM starts the
// quit, which comes after start-up and writes every file.
bool CatchesQuitSignals(qint64 pid)
{
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
    if (error || exe.filename() != std::filesystem::path(KELVARA_BINARY).filename())
        return false;
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("SigCgt:"))
            return (std::stoull(line.substr(7), nullptr, 16) & (1ull << (SIGTERM - 1))) != 0;
    }
    return false;
}

std::vector<std::string> TemporaryFiles(const std::vector<std::string>& files)
{
    std::vector<std::string> temporary;
    for (const std::string& name : files) {
        // A name of the atomic save: the file's own name, a dot and six letters or digits.
        size_t dot = name.rfind('.');
        if (dot != std::string::npos && name.size() - dot == 7 && name.find(".damaged") == std::string::npos)
            temporary.push_back(name);
    }
    return temporary;
}

}

// SIGKILL at random moments while Kelvara writes its files at quit (twelve sensors with full histories,
// 62 KB a file, and the preferences), over twenty runs: every data file parses afterwards and still holds its history,
// the preferences parse, nothing is set aside as damaged, and the temporary files that a killed save left behind are
// gone once the next start is over.
TEST_F(EndToEnd, AKillDuringASaveLeavesEveryFileWhole)
{
    auto chip = sysfs.AddChip(0).Name("nct6775");
    std::vector<std::string> dataFiles;
    for (int n = 1; n <= 12; ++n) {
        chip.Temp(n, 30000 + 1000 * n);
        char name[32];
        std::snprintf(name, sizeof name, "%02d nct6775 temp%d", n, n);
        dataFiles.push_back(name);
        std::vector<int32_t> file { 3, 0, 0, 15000 };
        file.insert(file.end(), 15000, Fixed16(29000));
        file.push_back(500);
        file.insert(file.end(), 500, Fixed16(29000));
        TestFiles::WriteBytes(ProgramFile(name), TestFiles::BigEndian32(file));
    }

    auto startReady = [&](QProcess& process) {
        StartKelvara(process);
        for (int wait = 0; wait < 600 && !CatchesQuitSignals(process.processId()); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        EXPECT_TRUE(CatchesQuitSignals(process.processId()));
    };
    std::string folder = config / "Varnholt's Utilities";
    // The saves at quit begin when the first temporary file appears; the kill comes a random moment later
    // (a fixed seed), anywhere in the 13 files' writing, flushing and renaming, or just after.
    std::mt19937 random(14);
    std::uniform_int_distribution<int> moment(0, 40000);
    std::vector<std::string> leftBehind;
    int killsThatLeftTemporaryFiles = 0;
    for (int run = 1; run <= 20; ++run) {
        SCOPED_TRACE(run);
        QProcess process;
        startReady(process);
        // A SIGTERM that comes before start-up has run ends the program at once, before it reads a file.
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        process.terminate();
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        bool saving = false;
        while (!saving && std::chrono::steady_clock::now() < deadline && !process.waitForFinished(0))
            saving = !TemporaryFiles(TestFiles::List(folder)).empty();
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
        EXPECT_TRUE(process.waitForFinished(30000));

        std::vector<std::string> files = TestFiles::List(folder);
        std::vector<std::string> temporary = TemporaryFiles(files);
        killsThatLeftTemporaryFiles += temporary.empty() ? 0 : 1;
        // A run that got as far as saving had started up: its start removed what the killed save before
        // it left behind.
        if (saving) {
            for (const std::string& name : leftBehind)
                EXPECT_EQ(std::count(files.begin(), files.end(), name), 0) << name;
            leftBehind.clear();
        }
        leftBehind.insert(leftBehind.end(), temporary.begin(), temporary.end());
        for (const std::string& name : dataFiles) {
            DataFile file;
            EXPECT_NO_THROW(file = ReadDataFile(ProgramFile(name))) << name;
            EXPECT_EQ(file.longTerm.size(), 15000u) << name;
        }
        if (TestFiles::Exists(ProgramFile("Kelvara Preferences"))) {
            EXPECT_EQ(ReadPreferences(ProgramFile("Kelvara Preferences")).version, 120);
        }
        for (const std::string& name : files)
            EXPECT_EQ(name.find(".damaged"), std::string::npos) << name;
    }
    std::printf("%d of 20 kills left a temporary file behind\n", killsThatLeftTemporaryFiles);

    // A last run ends normally: not one temporary file is left.
    QProcess last;
    startReady(last);
    last.terminate();
    EXPECT_TRUE(last.waitForFinished(30000));
    EXPECT_EQ(last.exitCode(), 0);
    EXPECT_TRUE(TemporaryFiles(TestFiles::List(folder)).empty());
}
