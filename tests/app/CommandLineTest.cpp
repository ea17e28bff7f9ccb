// The command line of the real program: answers that need no display, take no lock and hand nothing over
// to a running Kelvara, and the history exported from the data files alone.
#include "report/ReportResources.h"
#include "tests/support/TestFolders.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <utime.h>

namespace {

struct Outcome {
    int exitCode = -1;
    std::string out, err;
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

// Every file of a folder: its name and its bytes.
std::map<std::string, std::string> Contents(const std::string& folder)
{
    std::map<std::string, std::string> files;
    for (const std::string& name : TestFiles::List(folder)) {
        std::vector<uint8_t> bytes = TestFiles::ReadBytes(folder + "/" + name);
        files[name].assign(bytes.begin(), bytes.end());
    }
    return files;
}

}

TEST_F(CommandLineTest, VersionHelpAndMistakesAnswerWithoutAWindowOrTheLock)
{
    const std::string version = "Kelvara " + UResources::GetIndString(kKelvaraStrings, kVersionTextItem) + "\n";
    // A mistake (err) ends with status 2 and a pointer to the help.
    const struct {
        QStringList arguments;
        std::string out, err;
    } cases[] = {
        { { "--version" }, version, "" },
        { { "-v" }, version, "" },
        { { "--frobnicate" }, "", "Unknown option 'frobnicate'." },
        { { "report.csv" }, "", "unexpected argument 'report.csv'." },
        // What the address parser says (it has tests of its own) comes through as the command line's mistake.
        { { "--metrics-listen", "::1:9947" }, "",
            "--metrics-listen: \"::1:9947\": an IPv6 address is written in brackets ([::1]:9947), an IPv4 one "
            "without." },
        { { "--metrics-file=" }, "", "--metrics-file needs a path." },
    };
    for (const auto& each : cases) {
        Outcome run = Kelvara(each.arguments);
        SCOPED_TRACE(each.arguments.join(' ').toStdString());
        EXPECT_EQ(run.exitCode, each.err.empty() ? 0 : 2) << run.err;
        EXPECT_EQ(run.out, each.out);
        EXPECT_EQ(
            run.err, each.err.empty() ? "" : "kelvara: " + each.err + "\nTry 'kelvara --help' for the options.\n");
    }
    Outcome help = Kelvara({ "--help" });
    EXPECT_EQ(help.exitCode, 0);
    // Qt's own options (-platform) stay out of it.
    EXPECT_TRUE(help.out.starts_with("Usage: kelvara [options]")
        && help.out.find("--export <folder>") != std::string::npos
        && help.out.find("--metrics-listen <[address:]port>") != std::string::npos
        && help.out.find("platform") == std::string::npos)
        << help.out;
    EXPECT_EQ(TestFiles::List(runtime.Path()), std::vector<std::string>()) << "no lock was taken";
    EXPECT_EQ(TestFiles::List(config.Path()), std::vector<std::string>()) << "nothing was written";
}

// The known data files of a graphics card (16.16, version 3) and a processor package (whole degrees,
// version 2), saved when the clocks went forward in Central Europe, give these bytes; a card that never woke
// gives the header alone. A damaged file is reported and left as it is, and nothing in the program's folder
// changes.
TEST_F(CommandLineTest, ExportWritesEachSensorsHistoryAsCsvFromTheDataFilesAlone)
{
    const std::string folder = config / "Varnholt's Utilities";
    const std::time_t saved = 1774746060; // 2026-03-29 01:01:00 UTC, 03:01 in Berlin, a minute after 02:00 became 03:00
    auto write = [&](const std::string& name, const std::vector<int32_t>& values, std::time_t modified) {
        TestFiles::WriteBytes(folder + "/" + name, TestFiles::BigEndian32(values));
        const utimbuf times { modified, modified };
        ASSERT_EQ(::utime((folder + "/" + name).c_str(), &times), 0) << name;
    };
    // 110, 100.5, 99.875, 45.001 (as the kernel's 45001 millidegrees become 16.16) and -5.25 degrees, newest first.
    write("03 amdgpu junction",
        { 3, -344064, 7208960, 5, 7208960, 6586368, 6545408, 2949186, -344064, 2, 7208960, 7208960 }, saved);
    write("04 CPU temperature", { 2, 2, 48, 52, 52, 48 }, saved - 30);
    write("02 NVIDIA GeForce RTX 4060 Max-", { 3, 0, 0, 0, 0 }, saved);
    // Five long-term samples said, two there.
    write("05 nvme Composite", { 3, 0, 1, 5, 2949120, 2949120 }, saved);
    // Neither a data file set aside as damaged, nor a copy beside a data file, nor the temporary file of a
    // save in progress, nor the folder's lock, nor the preferences are a sensor's history.
    for (const char* name :
        { "06 acpitz temp1.damaged", "03 amdgpu junction.backup", ".03 amdgpu junction.kelvara-tmp-Ab12Cd" })
        write(name, { 3, 0, 1, 1, 5 }, saved);
    TestFiles::Write(folder + "/.kelvara-lock", "1234\n");
    TestFiles::Write(folder + "/Kelvara Preferences", "not read");
    const auto before = Contents(folder);

    TemporaryFolder destination;
    const std::string exports = destination / "exports";
    Outcome run = Kelvara({ "--export", QString::fromStdString(exports) }, { { "TZ", "CET-1CEST,M3.5.0,M10.5.0/3" } });

    EXPECT_EQ(run.exitCode, 1) << "one data file could not be exported";
    EXPECT_NE(run.err.find("\"" + folder + "/05 nvme Composite\" cannot be exported"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("left as it is"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "Kelvara exported the history of 3 sensors to " + exports + "\n");
    EXPECT_EQ(Contents(exports),
        (std::map<std::string, std::string> {
            { "02 NVIDIA GeForce RTX 4060 Max-.csv", "Time,Celsius\n" },
            { "03 amdgpu junction.csv",
                "Time,Celsius\n2026-03-29T01:57:00+01:00,-5.25\n2026-03-29T01:58:00+01:00,45.001\n"
                "2026-03-29T01:59:00+01:00,99.875\n2026-03-29T03:00:00+02:00,100.5\n2026-03-29T03:01:00+02:00,110\n" },
            { "04 CPU temperature.csv", "Time,Celsius\n2026-03-29T01:59:30+01:00,48\n2026-03-29T03:00:30+02:00,52\n" },
        }));
    // Made to be shared, unlike the data files: as readable as any new file of the user's.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(
        static_cast<mode_t>(std::filesystem::status(exports + "/03 amdgpu junction.csv").permissions()), 0666 & ~mask);
    EXPECT_EQ(Contents(folder), before) << "the export reads and changes nothing";
    EXPECT_EQ(TestFiles::List(runtime.Path()), std::vector<std::string>()) << "no lock was taken";

    // A folder that cannot be made: said clearly, nothing written.
    TestFiles::Write(destination / "a file", "");
    run = Kelvara({ "--export", QString::fromStdString(destination / "a file/exports") });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("cannot be made"), std::string::npos) << run.err;
}
