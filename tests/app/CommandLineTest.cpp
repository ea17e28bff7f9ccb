// The command line of the real program: answers that need no display, take no lock and hand nothing over
// to a running Kelvara, and the history exported from the data files alone.
#include "report/ReportResources.h"
#include "tests/support/TestFolders.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <sys/stat.h>
#include <utime.h>

namespace {

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class CommandLineTest : public ::testing::Test {
protected:
    // Runs the program with no display to reach: a launch that made an application object would fail.
    Outcome Kelvara(const QStringList& arguments, const std::map<QString, QString>& extra = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.insert("XDG_CONFIG_HOME", QString::fromStdString(config.Path()));
        environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.Path()));
        for (const auto& [name, value] : extra)
            environment.insert(name, value);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(KELVARA_BINARY, arguments);
        EXPECT_TRUE(process.waitForFinished(30000));
        return Outcome { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString() };
    }

    TemporaryFolder config;
    TemporaryFolder runtime;
};

void SetModificationTime(const std::string& path, std::time_t seconds)
{
    const utimbuf times { seconds, seconds };
    ASSERT_EQ(::utime(path.c_str(), &times), 0) << path;
}

std::string Text(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

}

TEST_F(CommandLineTest, VersionHelpAndMistakesAnswerWithoutAWindowOrTheLock)
{
    const std::string version = UResources::GetIndString(kKelvaraStrings, kVersionTextItem);
    const std::string tryHelp = "Try 'kelvara --help' for the options.\n";
    const struct {
        const char* name;
        QStringList arguments;
        int exitCode;
        std::string out;
        std::string err;
    } cases[] = {
        { "version", { "--version" }, 0, "Kelvara " + version + "\n", "" },
        { "version, short", { "-v" }, 0, "Kelvara " + version + "\n", "" },
        { "an unknown option", { "--frobnicate" }, 2, "", "kelvara: Unknown option 'frobnicate'.\n" + tryHelp },
        { "an argument", { "report.csv" }, 2, "", "kelvara: unexpected argument 'report.csv'.\n" + tryHelp },
        { "export without its folder", { "--export" }, 2, "", "kelvara: Missing value after '--export'.\n" + tryHelp },
        { "an IPv6 address without brackets", { "--metrics-listen", "::1:9947" }, 2, "",
            "kelvara: --metrics-listen: \"::1:9947\": an IPv6 address is written in brackets ([::1]:9947), an IPv4 "
            "one without.\n"
                + tryHelp },
        { "a host name", { "--metrics-listen", "tower.local:9947" }, 2, "",
            "kelvara: --metrics-listen: \"tower.local:9947\" names no IP address to listen on (write 127.0.0.1:9947 "
            "or [::1]:9947).\n"
                + tryHelp },
        { "a port past 65535", { "--metrics-listen=65536" }, 2, "",
            "kelvara: --metrics-listen: \"65536\" has no port from 0 to 65535 ([ADDRESS:]PORT, for example 9947).\n"
                + tryHelp },
        { "an empty textfile path", { "--metrics-file=" }, 2, "", "kelvara: --metrics-file needs a path.\n" + tryHelp },
    };
    for (const auto& each : cases) {
        Outcome run = Kelvara(each.arguments);
        EXPECT_EQ(run.exitCode, each.exitCode) << each.name << "\n" << run.err;
        EXPECT_EQ(run.out, each.out) << each.name;
        EXPECT_EQ(run.err, each.err) << each.name;
    }
    Outcome help = Kelvara({ "--help" });
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Usage: kelvara [options]", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("--export <folder>"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("--metrics-listen <[address:]port>"), std::string::npos) << help.out;
    EXPECT_EQ(help.out.find("platform"), std::string::npos) << "Qt's own options stay out of the help";
    EXPECT_EQ(TestFiles::List(runtime.Path()), std::vector<std::string>()) << "no lock was taken";
    EXPECT_EQ(TestFiles::List(config.Path()), std::vector<std::string>()) << "nothing was written";
}

// The known data files of a graphics card (16.16, version 3) and a processor package (whole degrees,
// version 2), saved when the clocks went forward in Central Europe, give these bytes. A damaged file is
// reported and left as it is, and nothing in the program's folder changes.
TEST_F(CommandLineTest, ExportWritesEachSensorsHistoryAsCsvFromTheDataFilesAlone)
{
    const std::string folder = config / "Varnholt's Utilities";
    const std::time_t saved = 1774746060; // 2026-03-29 01:01:00 UTC, 03:01 in Berlin, a minute after 02:00 became 03:00
    // 110, 100.5, 99.875, 45.001 (as the kernel's 45001 millidegrees become 16.16) and -5.25 degrees, newest first.
    TestFiles::WriteBytes(folder + "/03 amdgpu junction",
        TestFiles::BigEndian32(
            { 3, -344064, 7208960, 5, 7208960, 6586368, 6545408, 2949186, -344064, 2, 7208960, 7208960 }));
    SetModificationTime(folder + "/03 amdgpu junction", saved);
    TestFiles::WriteBytes(folder + "/04 CPU temperature", TestFiles::BigEndian32({ 2, 2, 48, 52, 52, 48 }));
    SetModificationTime(folder + "/04 CPU temperature", saved - 30);
    // Five long-term samples said, two there.
    TestFiles::WriteBytes(folder + "/05 nvme Composite", TestFiles::BigEndian32({ 3, 0, 1, 5, 2949120, 2949120 }));
    // Neither a data file set aside as damaged, nor a copy beside a data file, nor the temporary file of a
    // save in progress, nor the folder's lock, nor the preferences are a sensor's history.
    TestFiles::WriteBytes(folder + "/06 acpitz temp1.damaged", TestFiles::BigEndian32({ 3, 0, 1, 1, 5 }));
    TestFiles::WriteBytes(folder + "/03 amdgpu junction.backup", TestFiles::BigEndian32({ 3, 0, 1, 1, 5 }));
    TestFiles::WriteBytes(
        folder + "/.03 amdgpu junction.kelvara-tmp-Ab12Cd", TestFiles::BigEndian32({ 3, 0, 1, 1, 5 }));
    TestFiles::Write(folder + "/.kelvara-lock", "1234\n");
    TestFiles::Write(folder + "/Kelvara Preferences", "not read");
    std::map<std::string, std::vector<uint8_t>> before;
    for (const std::string& name : TestFiles::List(folder))
        before[name] = TestFiles::ReadBytes(folder + "/" + name);

    TemporaryFolder destination;
    const std::string exports = destination / "exports";
    Outcome run = Kelvara({ "--export", QString::fromStdString(exports) }, { { "TZ", "CET-1CEST,M3.5.0,M10.5.0/3" } });

    EXPECT_EQ(run.exitCode, 1) << "one data file could not be exported";
    EXPECT_NE(run.err.find("\"" + folder + "/05 nvme Composite\" cannot be exported"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("left as it is"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "Kelvara exported the history of 2 sensors to " + exports + "\n");
    ASSERT_EQ(
        TestFiles::List(exports), (std::vector<std::string> { "03 amdgpu junction.csv", "04 CPU temperature.csv" }));
    EXPECT_EQ(Text(TestFiles::ReadBytes(exports + "/03 amdgpu junction.csv")),
        "Time,Celsius\n"
        "2026-03-29T01:57:00+01:00,-5.25\n"
        "2026-03-29T01:58:00+01:00,45.001\n"
        "2026-03-29T01:59:00+01:00,99.875\n"
        "2026-03-29T03:00:00+02:00,100.5\n"
        "2026-03-29T03:01:00+02:00,110\n");
    // Made to be shared, unlike the data files: as readable as any new file of the user's.
    struct stat info { };
    mode_t mask = ::umask(0);
    ::umask(mask);
    ASSERT_EQ(::stat((exports + "/03 amdgpu junction.csv").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
    EXPECT_EQ(Text(TestFiles::ReadBytes(exports + "/04 CPU temperature.csv")),
        "Time,Celsius\n"
        "2026-03-29T01:59:30+01:00,48\n"
        "2026-03-29T03:00:30+02:00,52\n");

    std::map<std::string, std::vector<uint8_t>> after;
    for (const std::string& name : TestFiles::List(folder))
        after[name] = TestFiles::ReadBytes(folder + "/" + name);
    EXPECT_EQ(after, before) << "the export reads and changes nothing";
    EXPECT_EQ(TestFiles::List(runtime.Path()), std::vector<std::string>()) << "no lock was taken";

    // A folder that cannot be made: said clearly, nothing written.
    TestFiles::Write(destination / "a file", "");
    run = Kelvara({ "--export", QString::fromStdString(destination / "a file/exports") });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("cannot be made"), std::string::npos) << run.err;
}
