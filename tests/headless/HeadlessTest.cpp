// Kelvara without windows, run as a user would run it (`kelvara --headless`, with no display at all) in a
// private mount namespace whose /sys/class/hwmon is a fixture tree; and a desktop Kelvara taking it over.
#include "tests/support/LoopbackHttp.h"
#include "tests/support/SysfsFixture.h"
#include "tests/support/TestFolders.h"

#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <netinet/in.h>
#include <optional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// The long-term and short-term sample counts of a data file.
std::pair<int32_t, int32_t> SampleCounts(const std::string& path)
{
    std::vector<uint8_t> bytes = TestFiles::ReadBytes(path);
    auto word = [&](size_t at) {
        return at + 4 > bytes.size() ? -1
                                     : static_cast<int32_t>(uint32_t { bytes[at] } << 24 | bytes[at + 1] << 16
                                         | bytes[at + 2] << 8 | bytes[at + 3]);
    };
    int32_t longTerm = word(12);
    return { longTerm, longTerm < 0 ? -1 : word(16 + 4 * static_cast<size_t>(longTerm)) };
}

std::string Read(const std::string& path)
{
    std::vector<uint8_t> bytes = TestFiles::ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

std::string ProcFile(qint64 pid, const char* name)
{
    return Read("/proc/" + std::to_string(pid) + "/" + name);
}

// Whether the process at pid runs program and catches SIGTERM: it holds its locks and is about to sample.
bool Ready(qint64 pid, const std::string& program)
{
    std::error_code error;
    if (std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error).filename() != program)
        return false;
    std::string status = ProcFile(pid, "status");
    size_t at = status.find("SigCgt:");
    return at != std::string::npos && (std::stoull(status.substr(at + 7), nullptr, 16) & (1ull << (SIGTERM - 1))) != 0;
}

// A port on the loopback address that nobody listens on now.
uint16_t FreePort()
{
    int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(probe);
    return ntohs(address.sin_port);
}

// The whole answer to GET /metrics at port, "" when nothing listens there.
std::string Scrape(uint16_t port)
{
    return LoopbackHttp::Exchange(port, "GET /metrics HTTP/1.1\r\nConnection: close\r\n\r\n");
}

class Headless : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "the test mounts a fixture over /sys/class and must run as root";
        if (QProcess::execute("unshare", { "-m", "true" }) != 0)
            GTEST_SKIP() << "unshare -m is not permitted here; the test needs a mount namespace";
        sysfs.AddChip(0).Name("acpitz").Temp(1, 45000);
        sysfs.AddChip(1).Name("nct6798").Temp(1, 91000, "hot").Crit(1, 80000);
    }

    // Starts Kelvara over the fixture tree with arguments; without a display unless desktop, and waits until
    // program (what the process becomes) is ready.
    void Start(QProcess& process, const QStringList& arguments, const std::string& program, bool desktop = false,
        bool waitUntilReady = true)
    {
        const char* script = "mount -t tmpfs kelvara-test /sys/class && mkdir /sys/class/hwmon && "
                             "mount --bind \"$0\" /sys/class/hwmon && exec \"$@\"";
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS" })
            environment.remove(name);
        if (desktop)
            environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_CONFIG_HOME", QString::fromStdString(config.Path()));
        environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.Path()));
        environment.insert("LC_ALL", "C.UTF-8");
        process.setProcessEnvironment(environment);
        process.start("unshare",
            QStringList { "-m", "sh", "-c", script, QString::fromStdString(sysfs.HwmonFolder()), KELVARA_BINARY }
                + arguments);
        ASSERT_TRUE(process.waitForStarted(10000));
        if (!waitUntilReady)
            return;
        for (int wait = 0; wait < 600 && !Ready(process.processId(), program); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        ASSERT_TRUE(Ready(process.processId(), program)) << process.readAllStandardError().toStdString();
    }

    static void ExpectEndsWithZero(QProcess& process)
    {
        EXPECT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, 0);
    }

    std::string Folder() { return config / "Varnholt's Utilities"; }

    SysfsFixture sysfs;
    TemporaryFolder config;
    TemporaryFolder runtime;
};

}

// With neither DISPLAY nor WAYLAND_DISPLAY, and without loading Qt Gui at all, it samples and saves as the
// desktop Kelvara does, shares the readings as asked, warns at the limit on standard error, and ends on
// SIGTERM with every file written.
// The preferences are read, never written: none is made, and a file it cannot use stays as it is.
TEST_F(Headless, SamplesWithoutADisplayAndNeverWritesThePreferences)
{
    const struct {
        const char* name;
        std::optional<std::string> preferences;
    } cases[] = {
        { "no preferences: the desktop's first run stays a first run", std::nullopt },
        { "a preferences file it cannot read is left where it is", std::string("damaged") },
    };
    const uint16_t port = FreePort();
    const std::string textfile = runtime / "kelvara.prom";
    for (const auto& each : cases) {
        std::filesystem::remove_all(Folder());
        std::filesystem::remove(textfile);
        if (each.preferences)
            TestFiles::Write(Folder() + "/Kelvara Preferences", *each.preferences);
        QProcess process;
        Start(process,
            { "--headless", "--metrics-listen", QString("127.0.0.1:%1").arg(port), "--metrics-file",
                QString::fromStdString(textfile) },
            "kelvara-headless");
        std::string maps = ProcFile(process.processId(), "maps");
        EXPECT_EQ(maps.find("libQt6Gui"), std::string::npos) << each.name;
        EXPECT_NE(maps.find("libQt6Core"), std::string::npos) << each.name;
        std::this_thread::sleep_for(std::chrono::milliseconds(6500));
        // It shares the readings as the desktop one does, with the same options.
        for (const std::string& shared : { Scrape(port), Read(textfile) })
            EXPECT_NE(shared.find("name=\"acpitz temp1\"} 45\n"), std::string::npos) << each.name << ":\n" << shared;
        process.terminate();
        ExpectEndsWithZero(process);
        std::string said = process.readAllStandardError().toStdString();
        for (const char* told : { "nct6798 hot has reached its limit. It reads 91", "serving the readings" })
            EXPECT_NE(said.find(told), std::string::npos) << said;

        std::vector<std::string> expected { ".kelvara-lock", "01 acpitz temp1", "02 nct6798 hot",
            "Kelvara Settings.ini", "Kelvara Timeline" };
        if (each.preferences)
            expected.insert(expected.end() - 2, "Kelvara Preferences");
        EXPECT_EQ(TestFiles::List(Folder()), expected) << each.name;
        EXPECT_EQ(Read(Folder() + "/Kelvara Preferences"), each.preferences.value_or("")) << each.name;
        // A sample at start and one at 5 seconds.
        auto [longTerm, shortTerm] = SampleCounts(Folder() + "/02 nct6798 hot");
        EXPECT_EQ(longTerm, 1) << each.name;
        EXPECT_GE(shortTerm, 2) << each.name;
    }
}

// A desktop Kelvara launched while the one without windows runs takes over: that one writes everything and
// ends with status 0, and the desktop one samples on, into the same files. A second launch without windows
// while the desktop one runs ends at once with status 0, writing nothing.
TEST_F(Headless, ADesktopLaunchTakesOver)
{
    QProcess headless;
    Start(headless, { "--headless" }, "kelvara-headless");
    std::this_thread::sleep_for(std::chrono::milliseconds(5500));

    QProcess desktop;
    QElapsedTimer takeOver;
    takeOver.start();
    Start(desktop, {}, "kelvara", true);
    ExpectEndsWithZero(headless);
    EXPECT_LT(takeOver.elapsed(), 10000);
    EXPECT_NE(headless.readAllStandardError().toStdString().find("a desktop Kelvara was launched"), std::string::npos);
    auto [longTermAtHandOver, shortTermAtHandOver] = SampleCounts(Folder() + "/01 acpitz temp1");
    EXPECT_EQ(longTermAtHandOver, 1);
    EXPECT_GE(shortTermAtHandOver, 2) << "the headless one's samples are written";

    QProcess again;
    again.setProcessEnvironment(headless.processEnvironment());
    again.start(KELVARA_BINARY, { "--headless" });
    ExpectEndsWithZero(again);
    EXPECT_NE(again.readAllStandardError().toStdString().find("already running"), std::string::npos);

    std::this_thread::sleep_for(std::chrono::milliseconds(5500));
    EXPECT_EQ(desktop.state(), QProcess::Running) << desktop.readAllStandardError().toStdString();
    desktop.terminate();
    ExpectEndsWithZero(desktop);
    auto [longTerm, shortTerm] = SampleCounts(Folder() + "/01 acpitz temp1");
    EXPECT_GE(shortTerm, shortTermAtHandOver + 1) << "the desktop one samples on in the same file";
    EXPECT_EQ(longTerm, longTermAtHandOver + 1) << "each run starts with a long-term sample";
    EXPECT_TRUE(std::filesystem::exists(Folder() + "/Kelvara Preferences")) << "the desktop one writes them";
}

// A token file that others can read is refused: it says why and ends with status 2, serving nothing.
TEST_F(Headless, RefusesATokenFileOthersCanRead)
{
    TestFiles::Write(runtime / "token", "secret\n");
    ::chmod((runtime / "token").c_str(), 0644);
    const uint16_t port = FreePort();
    QProcess process;
    Start(process,
        { "--headless", "--metrics-listen", QString("127.0.0.1:%1").arg(port), "--metrics-token-file",
            QString::fromStdString(runtime / "token") },
        "kelvara-headless", false, false);
    EXPECT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_EQ(Scrape(port), "");
    std::string said = process.readAllStandardError().toStdString();
    EXPECT_NE(said.find("may be read by its group or by others"), std::string::npos) << said;
}
