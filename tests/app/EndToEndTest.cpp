// Runs the real program in a private mount namespace whose /sys/class/hwmon is a fixture tree, lets it
// sample, stops it with SIGTERM and reads the files it left behind.
#include "sensors/TimelineFile.h"
#include "tests/support/FixturePlatform.h"
#include "tests/support/NvmlStandIn.h"
#include "tests/support/SysfsFixture.h"
#include "tests/support/TestFolders.h"

#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <thread>
#include <unistd.h>

namespace {

const auto Fixed16 = FixturePlatform::Fixed16;

// A data file's samples, newest first; throws when the file is cut short or has a tail.
struct DataFile {
    std::vector<int32_t> longTerm, shortTerm;
};

DataFile ReadDataFile(const std::string& path)
{
    std::vector<uint8_t> bytes = TestFiles::ReadBytes(path);
    size_t at = 0;
    auto take = [&] {
        if (at + 4 > bytes.size())
            throw std::runtime_error("file ends early: " + path);
        at += 4;
        return static_cast<int32_t>(
            uint32_t { bytes[at - 4] } << 24 | bytes[at - 3] << 16 | bytes[at - 2] << 8 | bytes[at - 1]);
    };
    auto samples = [&] {
        std::vector<int32_t> list(std::clamp<size_t>(take(), 0, bytes.size() / 4));
        for (int32_t& sample : list)
            sample = take();
        return list;
    };
    at = 12; // the version, minimum and maximum
    DataFile file;
    file.longTerm = samples();
    file.shortTerm = samples();
    if (at != bytes.size())
        throw std::runtime_error("data file has a tail: " + path);
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

// The names of an atomic save's temporary files: a dot, the file's own name, ".kelvara-tmp-" and six letters
// or digits.
std::vector<std::string> TemporaryFiles(const std::vector<std::string>& files)
{
    std::vector<std::string> temporary;
    for (const std::string& name : files) {
        if (name.starts_with(".") && name.find(".kelvara-tmp-") == name.size() - 19)
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

    // Starts Kelvara over the fixture tree, with this test's folders (or another runtime folder); when asked,
    // waits until its quit signals are caught, that is until it has taken its locks and is about to start up.
    void StartKelvara(QProcess& process, bool waitUntilReady = false, const std::string& runtimeFolder = {})
    {
        // The paths go in as the shell's $0 and $1, unquoted.
        const char* script = "mount -t tmpfs kelvara-test /sys/class && mkdir /sys/class/hwmon && "
                             "mount --bind \"$0\" /sys/class/hwmon && exec \"$1\"";
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", QString::fromStdString(config.Path()));
        environment.insert(
            "XDG_RUNTIME_DIR", QString::fromStdString(runtimeFolder.empty() ? runtime.Path() : runtimeFolder));
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
            EXPECT_TRUE(second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0);
            EXPECT_NE(second.readAllStandardError().toStdString().find("already running"), std::string::npos);
        }
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        EXPECT_EQ(process.state(), QProcess::Running) << process.readAllStandardError().toStdString();
        process.terminate();
        EXPECT_TRUE(process.waitForFinished(30000));
        EXPECT_TRUE(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0);
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

    const int64_t launched = std::time(nullptr);
    RunKelvara(11);
    ASSERT_EQ(TestFiles::List(config / "Varnholt's Utilities"),
        (std::vector<std::string> { ".kelvara-lock", "01 acpitz temp1", "02 nvme Composite", "03 nvme CPU:GPU",
            "Kelvara Preferences", "Kelvara Settings.ini", "Kelvara Timeline" }));
    // The scale (bytes 7 and 8) a first run takes from a locale that measures in US units: Fahrenheit.
    std::vector<uint8_t> preferences = TestFiles::ReadBytes(ProgramFile("Kelvara Preferences"));
    ASSERT_GE(preferences.size(), 9u);
    EXPECT_EQ(preferences[7] << 8 | preferences[8], 2);

    // A sample at start and one every 5 seconds: 3 in 11 seconds (2 on a slow machine).
    DataFile run1 = ReadDataFile(ProgramFile("01 acpitz temp1"));
    EXPECT_EQ(run1.longTerm, std::vector<int32_t>({ Fixed16(45) }));
    EXPECT_GE(run1.shortTerm.size(), 2u);
    EXPECT_LE(run1.shortTerm.size(), 3u);
    EXPECT_EQ(run1.shortTerm, std::vector<int32_t>(run1.shortTerm.size(), Fixed16(45)));
    EXPECT_EQ(ReadDataFile(ProgramFile("03 nvme CPU:GPU")).longTerm, std::vector<int32_t>({ Fixed16(41) }));

    // The second run reads warmer; its samples go in front of the first run's. A launch while it runs hands
    // over to it: one sampler, one set of files, every sample of both runs kept.
    TestFiles::Write(sysfs.HwmonFolder() + "/hwmon0/temp1_input", "50500\n");
    RunKelvara(4, true);
    DataFile file = ReadDataFile(ProgramFile("01 acpitz temp1"));
    EXPECT_EQ(file.longTerm, std::vector<int32_t>({ Fixed16(50.5), Fixed16(45) }));
    ASSERT_GT(file.shortTerm.size(), run1.shortTerm.size());
    EXPECT_EQ(file.shortTerm.front(), Fixed16(50.5));
    EXPECT_EQ(file.shortTerm.back(), Fixed16(45));

    // The timeline dates both long-term samples of each sensor from the first run's start: the second run began
    // within 90 seconds of it, so its sample is the next minute of one stretch.
    std::vector<uint8_t> bytes = TestFiles::ReadBytes(ProgramFile("Kelvara Timeline"));
    std::string problem;
    std::optional<TimelineFile::Timelines> timelines
        = TimelineFile::Parse(std::string(bytes.begin(), bytes.end()), problem);
    ASSERT_TRUE(timelines) << problem;
    EXPECT_EQ(timelines->size(), 3u);
    for (const auto& [key, timeline] : *timelines) {
        ASSERT_EQ(timeline.Stretches().size(), 1u) << key;
        EXPECT_EQ(timeline.Count(), 2) << key;
        EXPECT_GE(timeline.Stretches().front().start, launched) << key;
        EXPECT_LE(timeline.Stretches().front().start, launched + 11) << key;
    }
}

// A channel stuck in the kernel for good (its open blocks, as a hung chip's read does) holds neither the start,
// nor the other channels' samples, nor the quit: SIGTERM ends the program within 5 seconds, every file written.
TEST_F(EndToEnd, AChannelStuckInTheKernelHoldsNothing)
{
    sysfs.AddChip(0).Name("acpitz").Temp(1, 45000);
    auto board = sysfs.AddChip(1).Name("nct6798").Temp(1, 40000, "SYSTIN").Temp(2, 0, "hung").BlockingInput(2);
    QProcess process;
    StartKelvara(process, true);
    std::this_thread::sleep_for(std::chrono::seconds(6));
    QElapsedTimer quit;
    quit.start();
    process.terminate();
    EXPECT_TRUE(process.waitForFinished(30000));
    EXPECT_LT(quit.elapsed(), 5000) << "the quit waited for the stuck read";
    EXPECT_TRUE(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0);
    for (const char* name : { "01 acpitz temp1", "02 nct6798 SYSTIN" })
        EXPECT_GE(ReadDataFile(ProgramFile(name)).shortTerm.size(), 2u) << name << ": a sample at start and at 5 s";
    DataFile hung = ReadDataFile(ProgramFile("03 nct6798 hung"));
    EXPECT_TRUE(hung.longTerm.empty() && hung.shortTerm.empty()) << "nothing recorded without a reading";
    EXPECT_TRUE(TestFiles::Exists(ProgramFile("Kelvara Preferences")));
    board.ReleaseInput(2);
}

// SIGKILL at random moments of the saves at quit (twelve 62 KB data files and the preferences), twenty
// times: every file stays whole with its history, and the next start removes what a killed save left.
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

        killsThatLeftTemporaryFiles += TemporaryFiles(TestFiles::List(folder)).empty() ? 0 : 1;
        for (const std::string& name : dataFiles) {
            DataFile file {};
            EXPECT_NO_THROW(file = ReadDataFile(ProgramFile(name))) << name;
            EXPECT_EQ(file.longTerm.size(), 15000u) << name;
        }
    }
    std::printf("%d of 20 kills left a temporary file behind\n", killsThatLeftTemporaryFiles);

    // A last run ends normally: its start removed every temporary file the kills left, and no start (each
    // reads the preferences and the data files) found a file to set aside as damaged.
    QProcess last;
    StartKelvara(last, true);
    last.terminate();
    EXPECT_TRUE(last.waitForFinished(30000));
    EXPECT_EQ(last.exitCode(), 0);
    for (const std::string& name : TestFiles::List(folder))
        EXPECT_TRUE(TemporaryFiles({ name }).empty() && name.find(".damaged") == std::string::npos) << name;
}

// Regression: a launch with another runtime folder (from a terminal while the autostarted one runs, or with
// XDG_RUNTIME_DIR missing) found no running Kelvara and wrote over its files. The lock on the data folder
// stops it: it names the writer, shows a message that closes by itself after 10 seconds, and ends with
// status 1 within 15, having written nothing.
TEST_F(EndToEnd, ALaunchWithAnotherRuntimeFolderWritesNothing)
{
    sysfs.AddChip(0).Name("acpitz").Temp(1, 45000);
    QProcess first;
    StartKelvara(first, true);
    std::string folder = config / "Varnholt's Utilities";
    // Start-up is over once the sensors' indices are kept.
    for (int wait = 0; wait < 400 && !TestFiles::Exists(folder + "/Kelvara Settings.ini"); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    std::vector<uint8_t> lock = TestFiles::ReadBytes(folder + "/.kelvara-lock");
    EXPECT_EQ(std::string(lock.begin(), lock.end()), std::to_string(first.processId()) + "\n");
    auto snapshot = [&] {
        std::map<std::string, std::vector<uint8_t>> files;
        for (const std::string& name : TestFiles::List(folder))
            files[name] = TestFiles::ReadBytes(folder + "/" + name);
        return files;
    };
    auto before = snapshot();

    TemporaryFolder otherRuntime;
    QProcess second;
    QElapsedTimer clock;
    clock.start();
    StartKelvara(second, false, otherRuntime.Path());
    EXPECT_TRUE(second.waitForFinished(15000));
    EXPECT_GE(clock.elapsed(), 10000) << "the message stayed for its 10 seconds";
    EXPECT_TRUE(second.exitStatus() == QProcess::NormalExit && second.exitCode() == 1);
    std::string message = second.readAllStandardError().toStdString();
    EXPECT_NE(message.find("process " + std::to_string(first.processId()) + " writes the files in \"" + folder),
        std::string::npos)
        << message;
    EXPECT_EQ(snapshot(), before);

    first.terminate();
    EXPECT_TRUE(first.waitForFinished(30000));
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_TRUE(TestFiles::Exists(folder + "/01 acpitz temp1"));
}

// Two NVIDIA cards on a machine whose whole /sys is a fixture tree, read through the stand-in NVML found on the
// library path: a desktop card always on at 67 C (slowdown 90, shutdown 95), and a laptop card asleep under
// runtime power management. The awake card is sampled, its history is exported; the sleeping one is listed
// under the PCI ID list's name, records nothing, and the library never hears of it.
TEST_F(EndToEnd, NvidiaCardsAreSampledAndASleepingOneIsNeverTouched)
{
    sysfs.AddChip(0).Name("acpitz").Temp(1, 45000);
    sysfs.AddPciDevice("0000:01:00.0", 0x10de, 0x2684, 0x030000, "on", "active");
    sysfs.AddPciDevice("0000:05:00.0", 0x10de, 0x28e0, 0x030000, "auto", "suspended");
    sysfs.Write(
        "usr/share/misc/pci.ids", "10de  NVIDIA Corporation\n\t28e0  AD107M [GeForce RTX 4060 Max-Q / Mobile]\n");
    NvmlStandIn nvml;
    nvml.SetCards({ { "0000:01:00.0", 67, 90, 95, false, "NVIDIA GeForce RTX 4090" },
        { "0000:05:00.0", 51, 87, 92, false, "NVIDIA GeForce RTX 4060 Laptop GPU" } });

    // The paths go in as the shell's $0, $1 and $2; the system's PCI ID list makes way for the fixture's.
    const char* script
        = "mount --bind \"$0\" /sys && mount -t tmpfs kelvara-test /usr/share/misc && "
          "cp \"$1\" /usr/share/misc/pci.ids && "
          "{ [ ! -d /usr/share/hwdata ] || mount -t tmpfs kelvara-test /usr/share/hwdata; } && exec \"$2\"";
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString(config.Path()));
    environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.Path()));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("LD_LIBRARY_PATH", QString::fromStdString(NvmlStandIn::LibraryFolder()));
    for (const auto& [name, value] : nvml.Environment())
        environment.insert(QString::fromStdString(name), QString::fromStdString(value));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start("unshare",
        { "-m", "sh", "-c", script, QString::fromStdString(sysfs.Path("sys")),
            QString::fromStdString(sysfs.Path("usr/share/misc/pci.ids")), KELVARA_BINARY });
    ASSERT_TRUE(process.waitForStarted(10000));
    std::this_thread::sleep_for(std::chrono::seconds(7));
    EXPECT_EQ(process.state(), QProcess::Running) << process.readAllStandardError().toStdString();
    process.terminate();
    EXPECT_TRUE(process.waitForFinished(30000));
    EXPECT_TRUE(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        << process.readAllStandardError().toStdString();

    // The channel first, then the cards by bus id; the sleeping card's name, cut for its data file, has its '/'
    // written as ':'.
    std::string folder = config / "Varnholt's Utilities";
    ASSERT_EQ(TestFiles::List(folder),
        (std::vector<std::string> { ".kelvara-lock", "01 acpitz temp1", "02 NVIDIA GeForce RTX 4090",
            "03 NVIDIA GeForce RTX 4060 Max-", "Kelvara Preferences", "Kelvara Settings.ini", "Kelvara Timeline" }));
    DataFile awake = ReadDataFile(ProgramFile("02 NVIDIA GeForce RTX 4090"));
    EXPECT_EQ(awake.longTerm, std::vector<int32_t>({ Fixed16(67) }));
    EXPECT_GE(awake.shortTerm.size(), 2u);
    EXPECT_EQ(awake.shortTerm, std::vector<int32_t>(awake.shortTerm.size(), Fixed16(67)));
    DataFile asleep = ReadDataFile(ProgramFile("03 NVIDIA GeForce RTX 4060 Max-"));
    EXPECT_TRUE(asleep.longTerm.empty() && asleep.shortTerm.empty()) << "a sleeping card records nothing";
    EXPECT_EQ(nvml.CallsTouching("0000:05:00.0"), 0);
    EXPECT_GE(nvml.CallsTouching("0000:01:00.0"), 3) << "its handle, name, limits and readings";
    std::vector<uint8_t> settings = TestFiles::ReadBytes(ProgramFile("Kelvara Settings.ini"));
    std::string keys(settings.begin(), settings.end());
    EXPECT_NE(keys.find("key=0000:05:00.0"), std::string::npos) << keys;
    EXPECT_NE(keys.find("NVIDIA GeForce RTX 4060 Max-Q / Mobile"), std::string::npos) << keys;

    // The export, from the data files alone: the awake card's minute, the sleeping card's header alone.
    TemporaryFolder exports;
    QProcess exporter;
    QProcessEnvironment exportEnvironment = QProcessEnvironment::systemEnvironment();
    exportEnvironment.insert("XDG_CONFIG_HOME", QString::fromStdString(config.Path()));
    exporter.setProcessEnvironment(exportEnvironment);
    exporter.start(KELVARA_BINARY, { "--export", QString::fromStdString(exports.Path()) });
    ASSERT_TRUE(exporter.waitForFinished(30000));
    EXPECT_EQ(exporter.exitCode(), 0) << exporter.readAllStandardError().toStdString();
    std::vector<uint8_t> csv = TestFiles::ReadBytes(exports / "02 NVIDIA GeForce RTX 4090.csv");
    std::string text(csv.begin(), csv.end());
    EXPECT_TRUE(text.starts_with("Time,Celsius\n") && text.ends_with(",67\n")
        && std::count(text.begin(), text.end(), '\n') == 2)
        << text;
    csv = TestFiles::ReadBytes(exports / "03 NVIDIA GeForce RTX 4060 Max-.csv");
    EXPECT_EQ(std::string(csv.begin(), csv.end()), "Time,Celsius\n");
}
