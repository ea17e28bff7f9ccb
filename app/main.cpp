// Kelvara: a desktop temperature monitor.
#include "app/CommandLine.h"
#include "app/DataFolderClaim.h"
#include "app/Kelvara.h"
#include "framework/UModalAlerts.h"
#include "platform/DataFolderLock.h"
#include "platform/HandOverWatch.h"
#include "platform/Platform.h"
#include "platform/SingleInstance.h"
#include "report/ReportResources.h"
#include "sensors/HistoryExport.h"
#include "sensors/SensorMaster.h"
#include "util/UtilitiesFolder.h"

#include <QApplication>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace {

// How long a launch waits for a running Kelvara that is starting or quitting before it gives up. With the
// message that follows, which closes by itself after 10 seconds, a launch that cannot start ends within 15.
constexpr int kPatienceMilliseconds = 2500;
constexpr int kRefusalSeconds = 10;

// Qt ends the process when it cannot reach the display it would use: from a text console or over ssh, the
// message goes to standard error alone.
bool HasDisplay()
{
    for (const char* name : { "DISPLAY", "WAYLAND_DISPLAY" }) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0')
            return true;
    }
    std::string platform = std::getenv("QT_QPA_PLATFORM") != nullptr ? std::getenv("QT_QPA_PLATFORM") : "";
    return !platform.empty() && !platform.starts_with("xcb") && !platform.starts_with("wayland");
}

// Ends a launch that must not write: another Kelvara writes the files and did not take this launch over.
// reason says who, as a sentence that starts in lower case.
int RefuseToStart(int argc, char** argv, std::string reason)
{
    reason += " This launch ends without writing anything, so that nothing the running one records is lost.";
    std::fprintf(stderr, "Kelvara: another Kelvara is already running: %s\n", reason.c_str());
    if (HasDisplay()) {
        QApplication qtApplication(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Kelvara"));
        QApplication::setDesktopFileName(QStringLiteral("kelvara"));
        reason[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(reason[0])));
        UModalAlerts::ShowAlert(Kelvara::kAnotherKelvaraAlert, reason, kRefusalSeconds);
    }
    return 1;
}

// Kelvara without windows is a program of its own beside this one, linked without Qt Gui so that it stays
// small: this process becomes it, with the same arguments.
int BecomeHeadless(char** argv)
{
    char self[4096];
    ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path = "kelvara-headless";
    if (length > 0) {
        std::string program(self, static_cast<size_t>(length));
        path = program.substr(0, program.rfind('/') + 1) + path;
    }
    ::execv(path.c_str(), argv);
    std::fprintf(
        stderr, "Kelvara: cannot start \"%s\", Kelvara without windows (%s).\n", path.c_str(), std::strerror(errno));
    return 1;
}

int MillisecondsLeft(std::chrono::steady_clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<int64_t>(left.count(), 0));
}

}

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv, argv + argc);
    if (AsksForHeadless(arguments))
        return BecomeHeadless(argv);
    // The version, the help, a mistyped option and the export answer at once: no display, no lock, and no
    // hand-over to a Kelvara that is running.
    CommandLine commandLine = ReadCommandLine(arguments, UResources::GetIndString(kKelvaraStrings, kVersionTextItem));
    if (commandLine.action == CommandLine::Action::Exit)
        return commandLine.exitCode;
    if (commandLine.action == CommandLine::Action::Headless)
        return BecomeHeadless(argv);
    Platform::InstallLinux("/");
    if (commandLine.action == CommandLine::Action::Export)
        return HistoryExport::ExportForCommandLine(commandLine.exportFolder);

    // One Kelvara per user, so that one sampler writes one set of files: a second launch hands over to the
    // running one (which brings its windows forward) before it touches anything.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatienceMilliseconds);
    SingleInstance instance(SingleInstance::DefaultFolder());
    switch (instance.Claim(kPatienceMilliseconds)) {
    case SingleInstance::Role::HandedOver:
        std::fprintf(stderr, "Kelvara is already running; its windows come forward.\n");
        return 0;
    case SingleInstance::Role::Busy:
        return RefuseToStart(argc, argv, "it does not answer.");
    case SingleInstance::Role::Primary:
    case SingleInstance::Role::Alone:
        break;
    }

    // The hand-over finds a running Kelvara only through the same runtime folder; one started from another
    // session, or with another XDG_RUNTIME_DIR, is found by the lock on the folder both would write. It is
    // taken before anything there is read or written. A folder that cannot be made holds nothing to protect:
    // start-up tells the user that nothing can be saved.
    std::unique_ptr<DataFolderLock> folderLock;
    if (std::optional<std::string> refusal = ClaimDataFolder(folderLock, MillisecondsLeft(deadline)))
        return RefuseToStart(argc, argv, *refusal + ".");

    QApplication qtApplication(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvara"));
    QApplication::setOrganizationName(QStringLiteral("Varnholt's Utilities"));
    // Task bars group the windows under the desktop entry's icon: on X11 by the window class "Kelvara",
    // on Wayland by this name.
    QApplication::setDesktopFileName(QStringLiteral("kelvara"));
    // A monitor with no window open yet (or only its tray icon) must keep running.
    QApplication::setQuitOnLastWindowClosed(false);
    {
        Kelvara application;
        application.SetSharingOverrides(
            { commandLine.metricsListen, commandLine.metricsTokenFile, commandLine.metricsFile });
        {
            HandOverWatch handOvers(instance,
                [&](const SingleInstance::Activation& activation) { application.ReopenForLaunch(activation); });
            application.Run();
        }
        // While the files are written, a new launch waits, and then starts afresh with them.
        instance.StopListening();
    }
    // Everything is written. A read stuck in the kernel (a hung chip) must not keep the process: leave at
    // once, without the static destructors that would wait for nothing or touch what the read still uses.
    if (SensorMaster::CountStuckReads() > 0) {
        std::fflush(nullptr);
        std::_Exit(0);
    }
    return 0;
}
