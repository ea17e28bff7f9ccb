// Kelvara without windows: the program that `kelvara --headless` becomes. It links no Qt Gui and needs no
// display, so that it stays small on a server, and takes the same locks as the desktop Kelvara.
#include "app/CommandLine.h"
#include "app/DataFolderClaim.h"
#include "framework/UResources.h"
#include "headless/HeadlessKelvara.h"
#include "headless/HeadlessNotifier.h"
#include "platform/DataFolderLock.h"
#include "platform/Platform.h"
#include "platform/SingleInstance.h"
#include "report/ReportResources.h"
#include "sensors/HistoryExport.h"
#include "sensors/SensorMaster.h"
#include "util/UtilitiesFolder.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

namespace {

// How long a launch waits for a running Kelvara that is starting or quitting, as the desktop's does.
constexpr int kPatienceMilliseconds = 2500;

int MillisecondsLeft(std::chrono::steady_clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<int64_t>(left.count(), 0));
}

}

int main(int argc, char** argv)
{
    // The desktop program's command line, read the same way: --headless (what brought this program here),
    // --version, --help, the metrics' options, and --export, which needs no window either.
    const std::string version = UResources::GetIndString(kKelvaraStrings, kVersionTextItem);
    CommandLine commandLine = ReadCommandLine(std::vector<std::string>(argv, argv + argc), version);
    if (commandLine.action == CommandLine::Action::Exit)
        return commandLine.exitCode;
    Platform::InstallLinux("/");
    if (commandLine.action == CommandLine::Action::Export)
        return HistoryExport::ExportForCommandLine(commandLine.exportFolder);

    // A Kelvara that runs already samples and writes the files; this one has nothing to add. It ends with
    // status 0, so that a service manager that restarts it on failure leaves it at that.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatienceMilliseconds);
    SingleInstance instance(SingleInstance::DefaultFolder());
    switch (instance.Claim(kPatienceMilliseconds, SingleInstance::Launch::Headless)) {
    case SingleInstance::Role::HandedOver:
        std::fprintf(stderr, "Kelvara is already running and samples the sensors; this one ends.\n");
        return 0;
    case SingleInstance::Role::Busy:
        std::fprintf(stderr,
            "Kelvara: another Kelvara is already running: it does not answer. This launch ends without writing "
            "anything, so that nothing the running one records is lost.\n");
        return 1;
    case SingleInstance::Role::Primary:
    case SingleInstance::Role::Alone:
        break;
    }
    std::unique_ptr<DataFolderLock> folderLock;
    if (std::optional<std::string> refusal = ClaimDataFolder(folderLock, MillisecondsLeft(deadline))) {
        std::fprintf(stderr,
            "Kelvara: another Kelvara is already running: %s. This launch ends without writing anything, so that "
            "nothing the running one records is lost.\n",
            refusal->c_str());
        return 1;
    }

    QCoreApplication qtApplication(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Kelvara"));
    QCoreApplication::setOrganizationName(QStringLiteral("Varnholt's Utilities"));
    int status = 0;
    {
        HeadlessNotifier notifier;
        HeadlessKelvara kelvara(instance, notifier,
            { commandLine.metricsListen, commandLine.metricsTokenFile, commandLine.metricsFile }, version);
        if (std::optional<int> failure = kelvara.GetSharingFailure()) {
            std::fprintf(stderr, "Kelvara ends: the readings cannot be shared as asked (see above).\n");
            status = *failure;
        } else {
            std::fprintf(stderr, "Kelvara runs without windows and samples %d sensors.\n",
                static_cast<int>(kelvara.GetSensorMaster().GetSensorCount()));
            status = kelvara.Run();
        }
    }
    // Everything is written. A read stuck in the kernel (a hung chip) must not keep the process.
    if (SensorMaster::CountStuckReads() > 0) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
