// Runs the real program in a private mount namespace whose /sys/class/hwmon is a fixture tree, lets it
// sample, stops it with SIGTERM and reads the files it left behind.
#include "platform/Clock.h"
#include "tests/support/FixturePlatform.h"
#include "tests/support/SysfsFixture.h"
#include "tests/support/TestFolders.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>
#include <unistd.h>

namespace {

const auto Fixed16 = FixturePlatform::Fixed16;

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
    void Skip(size_t count) { Take(count); }
    std::vector<int32_t> TakeSamples()
    {
        std::vector<int32_t> samples;
        for (int32_t n = Take32(); n > 0; --n)
            samples.push_back(Take32());
        return samples;
    }
    std::vector<std::string> TakeNames()
    {
        std::vector<std::string> names;
        for (uint32_t n = Take(4); n > 0; --n) {
            size_t length = Take(1);
            names.emplace_back(
                reinterpret_cast<const char*>(mBytes.data() + mAt), std::min(length, mBytes.size() - mAt));
            mAt += length;
        }
        return names;
    }
    bool AtEnd() const { return mAt == mBytes.size(); }

private:
    std::string mPath;
    std::vector<uint8_t> mBytes;
    size_t mAt = 0;
};

struct DataFile {
    int32_t version, minimum, maximum;
    std::vector<int32_t> longTerm, shortTerm;
};

DataFile ReadDataFile(const std::string& path)
{
    FileReader in(path);
    DataFile file { in.Take32(), in.Take32(), in.Take32(), in.TakeSamples(), in.TakeSamples() };
    if (!in.AtEnd())
        throw std::runtime_error("data file has a tail: " + path);
    return file;
}

struct PreferencesFile {
    int version = 0;
    uint32_t created = 0;
    int scale = 0;
    uint32_t dataWindows = 0, graphWindows = 0;
    std::vector<std::string> dockGraphNames;
};

// Reads the preferences file the way its format lays it out, independently of the program's reader.
PreferencesFile ReadPreferences(const std::string& path)
{
    FileReader in(path);
    auto windows = [&](bool data) {
        uint32_t count = in.Take(4);
        for (uint32_t n = 0; n < count; ++n) {
            EXPECT_EQ(in.Take(4), 997u);
            in.Skip(8 + (data ? 4 + 1 : 2)); // the rectangle, the data window's columns, the menu item
            in.TakeNames();
        }
        return count;
    };
    PreferencesFile file;
    file.version = static_cast<int>(in.Take(2));
    in.Skip(1);
    file.created = in.Take(4);
    file.scale = static_cast<int>(in.Take(2));
    in.Skip(2);
    file.dataWindows = windows(true);
    file.graphWindows = windows(false);
    in.Skip(72 + 4 + 2);
    file.dockGraphNames = in.TakeNames();
    in.Skip(4);
    in.TakeNames(); // the Dock's text
    in.Skip(3);
    EXPECT_TRUE(in.AtEnd());
    return file;
}

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

// The names of an atomic save's temporary files: the file's own name, a dot and six letters or digits.
std::vector<std::string> TemporaryFiles(const std::vector<std::string>& files)
{
    std::vector<std::string> temporary;
    for (const std::string& name : files) {
        size_t dot = name.rfind('.');
        if (dot != std::string::npos && name.size() - dot == 7 && name.find(".damaged") == std::string::npos)
            temporary.push_back(name);
    }
    return temporary;
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

    // Starts Kelvara over the fixture tree, with this test's folders; when asked, waits until its quit
    // signals are caught, that is until it has taken the single-instance lock and is about to start up.
    void StartKelvara(QProcess& process, bool waitUntilReady = false)
    {
        // The paths go in as the shell's $0 and $1, unquoted.
        const char* script = "mount -t tmpfs kelvara-test /sys/class && mkdir /sys/class/hwmon && "
                             "mount --bind \"$0\" /sys/class/hwmon && exec \"$1\"";
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", QString::fromStdString(config.Path()));
        environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.Path()));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        // A locale that measures in US units: the first run takes Fahrenheit.
        environment.insert("LC_ALL", "en_US.UTF-8");
        process.setProcessEnvironment(environment);
        process.start(
            "unshare", { "-m", "sh", "-c", script, QString::fromStdString(sysfs.HwmonFolder()), KELVARA_BINARY });
        EXPECT_TRUE(process.waitForStarted(10000));
        for (int wait = 0; waitUntilReady && wait < 600 && !CatchesQuitSignals(process.processId()); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        EXPECT_TRUE(!waitUntilReady || CatchesQuitSignals(process.processId()));
    }

    // Runs Kelvara for about the given time, after a second launch when asked, then sends SIGTERM.
    void RunKelvara(int seconds, bool launchAgain = false)
    {
        QProcess process;
        StartKelvara(process, launchAgain);
        if (launchAgain) {
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
    const std::vector<std::string> dataFiles = { "01 acpitz temp1", "02 nvme Composite", "03 nvme CPU:GPU" };
    std::vector<std::string> files = dataFiles;
    files.push_back("Kelvara Preferences");
    ASSERT_EQ(TestFiles::List(config / "Varnholt's Utilities"), files);

    // The first run's preferences: the locale's scale, this run's moment, the first sensor in the Dock,
    // and the two windows a first run opens.
    const std::string preferences = ProgramFile("Kelvara Preferences");
    PreferencesFile run1Preferences = ReadPreferences(preferences);
    EXPECT_EQ(run1Preferences.version, 120);
    EXPECT_EQ(run1Preferences.scale, 2) << "Fahrenheit, as the locale measures in US units";
    EXPECT_EQ(run1Preferences.dockGraphNames, std::vector<std::string>({ "acpitz temp1" }));
    EXPECT_LT(LinuxClock().GetDateTime() - run1Preferences.created, 120u) << "the creation time is this run's";
    EXPECT_EQ(run1Preferences.dataWindows, 1u);
    EXPECT_EQ(run1Preferences.graphWindows, 1u);

    const double first[] = { 45, 38.85, 41 };
    std::vector<DataFile> run1;
    for (size_t i = 0; i < dataFiles.size(); ++i) {
        SCOPED_TRACE(dataFiles[i]);
        DataFile file = ReadDataFile(ProgramFile(dataFiles[i]));
        int32_t raw = Fixed16(first[i]);
        EXPECT_EQ(file.version, 3);
        EXPECT_EQ(file.minimum, raw);
        EXPECT_EQ(file.maximum, raw + 1); // the first reading opens the range one above itself
        EXPECT_EQ(file.longTerm, std::vector<int32_t>({ raw }));
        // A sample at start and one every 5 seconds: 3 in 11 seconds (2 on a slow machine).
        EXPECT_GE(file.shortTerm.size(), 2u);
        EXPECT_LE(file.shortTerm.size(), 3u);
        EXPECT_EQ(file.shortTerm, std::vector<int32_t>(file.shortTerm.size(), raw));
        run1.push_back(file);
    }

    // The second run reads warmer; its samples go in front of the first run's. A launch while it runs hands
    // over to it: one sampler, one set of files, every sample of both runs kept.
    TestFiles::Write(sysfs.HwmonFolder() + "/hwmon0/temp1_input", "50500\n");
    RunKelvara(4, true);
    DataFile file = ReadDataFile(ProgramFile("01 acpitz temp1"));
    int32_t before = Fixed16(45);
    int32_t after = Fixed16(50.5);
    EXPECT_EQ(file.longTerm, std::vector<int32_t>({ after, before }));
    EXPECT_EQ(file.minimum, before);
    EXPECT_EQ(file.maximum, after);
    ASSERT_GT(file.shortTerm.size(), run1[0].shortTerm.size());
    EXPECT_EQ(file.shortTerm.front(), after);
    EXPECT_EQ(file.shortTerm.back(), before);
    EXPECT_EQ(ReadDataFile(ProgramFile("02 nvme Composite")).longTerm.size(), 2u);
    // The preferences keep the moment of the first run, and the windows open at its end.
    PreferencesFile run2Preferences = ReadPreferences(preferences);
    EXPECT_EQ(run2Preferences.created, run1Preferences.created);
    EXPECT_EQ(run2Preferences.dataWindows, 1u);
    EXPECT_EQ(run2Preferences.graphWindows, 1u);
}

// SIGKILL at random moments of the saves at quit (twelve 62 KB data files and the preferences), twenty
// times: every file parses with its history, none is set aside as damaged, and the next start removes
// the temporary files a killed save left behind.
TEST_F(EndToEnd, AKillDuringASaveLeavesEveryFileWhole)
{
    auto chip = sysfs.AddChip(0).Name("nct6775");
    std::vector<std::string> dataFiles;
    for (int n = 1; n <= 12; ++n) {
        chip.Temp(n, 30000 + 1000 * n);
        dataFiles.push_back((n < 10 ? "0" : "") + std::to_string(n) + " nct6775 temp" + std::to_string(n));
        std::vector<int32_t> file { 3, 0, 0, 15000 };
        file.insert(file.end(), 15000, Fixed16(29));
        file.push_back(500);
        file.insert(file.end(), 500, Fixed16(29));
        TestFiles::WriteBytes(ProgramFile(dataFiles.back()), TestFiles::BigEndian32(file));
    }
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
        StartKelvara(process, true);
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
            DataFile file {};
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
    StartKelvara(last, true);
    last.terminate();
    EXPECT_TRUE(last.waitForFinished(30000));
    EXPECT_EQ(last.exitCode(), 0);
    EXPECT_TRUE(TemporaryFiles(TestFiles::List(folder)).empty());
}
