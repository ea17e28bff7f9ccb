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
using Environment = std::vector<std::pair<std::string, std::string>>;

std::string Read(const std::string& path)
{
    std::vector<uint8_t> bytes = TestFiles::ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// A data file's samples, newest first; throws when the file is cut short or has a tail.
struct DataFile {
    std::vector<int32_t> longTerm, shortTerm;
};

DataFile ReadDataFile(const std::string& path)
{
    std::vector<uint8_t> bytes = TestFiles::ReadBytes(path);
    size_t at = 12; // past the version, minimum and maximum
    auto take = [&] {
        if (at + 4 > bytes.size())
            throw std::runtime_error("file ends early: " + path);
        at += 4;
        return static_cast<int32_t>(
            uint32_t { bytes[at - 4] } << 24 | bytes[at - 3] << 16 | bytes[at - 2] << 8 | bytes[at - 1]);
    };
    DataFile file;
    for (std::vector<int32_t>* samples : { &file.longTerm, &file.shortTerm }) {
        samples->resize(std::clamp<size_t>(take(), 0, bytes.size() / 4));
        for (int32_t& sample : *samples)
            sample = take();
    }
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

// An atomic save's temporary file: a dot, the file's own name, ".kelvara-tmp-" and six letters or digits.
bool IsTemporary(const std::string& name)
{
    return name.starts_with(".") && name.find(".kelvara-tmp-") == name.size() - 19;
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

    // Starts Kelvara with this test's folders and the stand-in NVML on its library path, the extra variables
    // after them, in a mount namespace whose /sys is the fixture tree. When asked, waits until its quit signals
    // are caught, that is until it has taken its locks and is about to start up.
    void StartKelvara(QProcess& process, bool waitUntilReady = false, const Environment& extra = {})
    {
        // A locale that measures in US units: the first run takes Fahrenheit.
        Environment variables { { "XDG_CONFIG_HOME", config.Path() }, { "XDG_RUNTIME_DIR", runtime.Path() },
            { "QT_QPA_PLATFORM", "offscreen" }, { "LC_ALL", "en_US.UTF-8" },
            { "LD_LIBRARY_PATH", NvmlStandIn::LibraryFolder() } };
        for (const Environment& more : { nvml.Environment(), extra })
            variables.insert(variables.end(), more.begin(), more.end());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const auto& [name, value] : variables)
            environment.insert(QString::fromStdString(name), QString::fromStdString(value));
        process.setProcessEnvironment(environment);
        process.start("unshare",
            { "-m", "sh", "-c", "mount --bind \"$0\" /sys && exec \"$1\"", QString::fromStdString(sysfs.Path("sys")),
                KELVARA_BINARY });
        EXPECT_TRUE(process.waitForStarted(10000));
        for (int wait = 0; waitUntilReady && wait < 600 && !CatchesQuitSignals(process.processId()); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        EXPECT_TRUE(!waitUntilReady || CatchesQuitSignals(process.processId()));
    }

    // Still running: SIGTERM, and the normal end it brings.
    static void Stop(QProcess& process)
    {
        EXPECT_EQ(process.state(), QProcess::Running) << process.readAllStandardError().toStdString();
        process.terminate();
        EXPECT_TRUE(process.waitForFinished(30000));
        EXPECT_TRUE(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
            << process.readAllStandardError().toStdString();
    }

    std::string ProgramFile(const std::string& name) { return folder + "/" + name; }

    SysfsFixture sysfs;
    NvmlStandIn nvml;
    TemporaryFolder config;
    TemporaryFolder runtime;
    const std::string folder = config / "Varnholt's Utilities";
};

}

// One machine over two runs. The first samples at start and every 5 seconds. A channel stuck in the kernel
// for good (its open blocks, as a hung chip's read does) holds neither the start, nor the other channels'
// samples, nor the quit: SIGTERM ends the program within 5 seconds, every file written. An NVIDIA card always on
// at 67 C is read through the stand-in NVML, found on the library path under the name the program loads.
TEST_F(EndToEnd, SamplesEveryFiveSecondsAndKeepsTheHistoryAcrossRuns)
{
    sysfs.AddChip(0).Name("acpitz").Temp(1, 45000);
    auto board = sysfs.AddChip(1).Name("nct6798").Temp(1, 40000, "SYSTIN").Temp(2, 0, "hung").BlockingInput(2);
    sysfs.AddChip(2)
        .DanglingDevice("pci0000:00/0000:00:1d.0/nvme0")
        .Name("nvme")
        .Temp(1, 38850, "Composite")
        .Temp(2, 41000, "CPU/GPU");
    sysfs.AddPciDevice("0000:01:00.0", 0x10de, 0x2684, 0x030000, "on", "active");
    nvml.SetCards({ { "0000:01:00.0", 67, 90, 95, false, "NVIDIA GeForce RTX 4090" } });

    const int64_t launched = std::time(nullptr);
    QProcess first;
    StartKelvara(first);
    std::this_thread::sleep_for(std::chrono::seconds(11));
    QElapsedTimer quit;
    quit.start();
    Stop(first);
    EXPECT_LT(quit.elapsed(), 5000) << "the quit waited for the stuck read";
    // The channels first, then the cards by bus id.
    ASSERT_EQ(TestFiles::List(folder),
        (std::vector<std::string> { ".kelvara-lock", "01 acpitz temp1", "02 nct6798 SYSTIN", "03 nct6798 hung",
            "04 nvme Composite", "05 nvme CPU:GPU", "06 NVIDIA GeForce RTX 4090", "Kelvara Preferences",
            "Kelvara Settings.ini", "Kelvara Timeline" }));
    // The scale (bytes 7 and 8) a first run takes from a locale that measures in US units: Fahrenheit.
    EXPECT_EQ(Read(ProgramFile("Kelvara Preferences")).substr(7, 2), std::string("\0\2", 2));

    // A sample at start and one every 5 seconds: 3 in 11 seconds (2 on a slow machine).
    DataFile run1 = ReadDataFile(ProgramFile("01 acpitz temp1"));
    EXPECT_EQ(run1.longTerm, std::vector<int32_t>({ Fixed16(45) }));
    EXPECT_TRUE(run1.shortTerm.size() == 2 || run1.shortTerm.size() == 3) << run1.shortTerm.size();
    EXPECT_EQ(run1.shortTerm, std::vector<int32_t>(run1.shortTerm.size(), Fixed16(45)));
    for (const auto& [name, celsius] :
        { std::pair { "02 nct6798 SYSTIN", 40 }, { "05 nvme CPU:GPU", 41 }, { "06 NVIDIA GeForce RTX 4090", 67 } }) {
        DataFile file = ReadDataFile(ProgramFile(name));
        EXPECT_EQ(file.longTerm, std::vector<int32_t>({ Fixed16(celsius) })) << name;
        EXPECT_GE(file.shortTerm.size(), 2u) << name;
        EXPECT_EQ(file.shortTerm, std::vector<int32_t>(file.shortTerm.size(), Fixed16(celsius))) << name;
    }
    DataFile nothing = ReadDataFile(ProgramFile("03 nct6798 hung"));
    EXPECT_TRUE(nothing.longTerm.empty() && nothing.shortTerm.empty()) << "recorded without a reading";
    EXPECT_GE(nvml.CallsTouching("0000:01:00.0"), 3) << "its handle, name, limits and readings";

    // The second run reads warmer; its samples go in front of the first run's. A launch while it runs hands
    // over to it: one sampler, one set of files, every sample of both runs kept. Regression: a launch with
    // another runtime folder (from a terminal while the autostarted one runs, or with XDG_RUNTIME_DIR missing)
    // found no running Kelvara and wrote over its files. The lock on the data folder stops it: it names the
    // writer, shows a message that closes by itself after 10 seconds, and ends with status 1 within 15, having
    // written nothing.
    TestFiles::Write(sysfs.HwmonFolder() + "/hwmon0/temp1_input", "50500\n");
    QProcess second, handingOver, refused;
    StartKelvara(second, true);
    StartKelvara(handingOver);
    EXPECT_TRUE(handingOver.waitForFinished(15000));
    EXPECT_TRUE(handingOver.exitStatus() == QProcess::NormalExit && handingOver.exitCode() == 0);
    EXPECT_NE(handingOver.readAllStandardError().toStdString().find("already running"), std::string::npos);
    auto snapshot = [&] {
        std::map<std::string, std::string> files;
        for (const std::string& name : TestFiles::List(folder))
            files[name] = Read(ProgramFile(name));
        return files;
    };
    auto before = snapshot();
    TemporaryFolder otherRuntime;
    QElapsedTimer clock;
    clock.start();
    StartKelvara(refused, false, { { "XDG_RUNTIME_DIR", otherRuntime.Path() } });
    EXPECT_TRUE(refused.waitForFinished(15000));
    EXPECT_GE(clock.elapsed(), 10000) << "the message stayed for its 10 seconds";
    EXPECT_TRUE(refused.exitStatus() == QProcess::NormalExit && refused.exitCode() == 1);
    std::string message = refused.readAllStandardError().toStdString();
    EXPECT_NE(message.find("process " + std::to_string(second.processId()) + " writes the files in \"" + folder),
        std::string::npos)
        << message;
    EXPECT_EQ(snapshot(), before);
    Stop(second);
    board.ReleaseInput(2);

    DataFile file = ReadDataFile(ProgramFile("01 acpitz temp1"));
    EXPECT_EQ(file.longTerm, std::vector<int32_t>({ Fixed16(50.5), Fixed16(45) }));
    ASSERT_GT(file.shortTerm.size(), run1.shortTerm.size());
    EXPECT_EQ(file.shortTerm.front(), Fixed16(50.5));
    EXPECT_EQ(file.shortTerm.back(), Fixed16(45));

    // The timeline dates both long-term samples of each sensor that read from the first run's start: the second
    // run began within 90 seconds of it, so its sample is the next minute of one stretch.
    std::string problem;
    std::optional<TimelineFile::Timelines> timelines
        = TimelineFile::Parse(Read(ProgramFile("Kelvara Timeline")), problem);
    ASSERT_TRUE(timelines) << problem;
    EXPECT_EQ(timelines->size(), 5u);
    for (const auto& [key, timeline] : *timelines) {
        ASSERT_EQ(timeline.Stretches().size(), 1u) << key;
        EXPECT_EQ(timeline.Count(), 2) << key;
        EXPECT_TRUE(
            timeline.Stretches().front().start >= launched && timeline.Stretches().front().start <= launched + 11)
            << key;
    }
}

// SIGKILL at random moments of the saves at quit (twelve 62 KB data files and the preferences), twenty
// times: every file stays whole with its history, and the next start removes what a killed save left.
TEST_F(EndToEnd, AKillDuringASaveLeavesEveryFileWhole)
{
    auto chip = sysfs.AddChip(0).Name("nct6775");
    std::vector<std::string> dataFiles;
    std::vector<int32_t> history { 3, 0, 0, 15000 };
    history.insert(history.end(), 15000, Fixed16(29));
    history.push_back(500);
    history.insert(history.end(), 500, Fixed16(29));
    for (int n = 1; n <= 12; ++n) {
        chip.Temp(n, 30000 + 1000 * n);
        dataFiles.push_back((n < 10 ? "0" : "") + std::to_string(n) + " nct6775 temp" + std::to_string(n));
        TestFiles::WriteBytes(ProgramFile(dataFiles.back()), TestFiles::BigEndian32(history));
    }
    // The saves at quit begin when the first temporary file appears; the kill comes a random moment later
    // (a fixed seed), anywhere in the 13 files' writing, flushing and renaming, or just after.
    std::mt19937 random(14);
    std::uniform_int_distribution<int> moment(0, 40000);
    for (int run = 1; run <= 20; ++run) {
        SCOPED_TRACE(run);
        QProcess process;
        StartKelvara(process, true);
        // A SIGTERM that comes before start-up has run ends the program at once, before it reads a file.
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        process.terminate();
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::ranges::none_of(TestFiles::List(folder), IsTemporary) && std::chrono::steady_clock::now() < deadline
            && !process.waitForFinished(0)) { }
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
        EXPECT_TRUE(process.waitForFinished(30000));
        for (const std::string& name : dataFiles) {
            DataFile file {};
            EXPECT_NO_THROW(file = ReadDataFile(ProgramFile(name))) << name;
            EXPECT_EQ(file.longTerm.size(), 15000u) << name;
        }
    }

    // A last run ends normally: its start removed every temporary file the kills left, and no start (each
    // reads the preferences and the data files) found a file to set aside as damaged.
    QProcess last;
    StartKelvara(last, true);
    Stop(last);
    for (const std::string& name : TestFiles::List(folder))
        EXPECT_TRUE(!IsTemporary(name) && name.find(".damaged") == std::string::npos) << name;
}
