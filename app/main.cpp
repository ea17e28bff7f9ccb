// Kelvara: a desktop temperature monitor.
#include "app/CommandLine.h"
#include "app/Kelvara.h"
#include "framework/UDescriptorWatch.h"
#include "platform/Platform.h"
#include "platform/SingleInstance.h"
#include "report/ReportResources.h"
#include "sensors/HistoryExport.h"
#include "sensors/SensorMaster.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    // The version, the help, a mistyped option and the export answer at once: no display, no lock, and no
    // hand-over to a Kelvara that is running.
    CommandLine commandLine = ReadCommandLine(
        std::vector<std::string>(argv, argv + argc), UResources::GetIndString(kKelvaraStrings, kVersionTextItem));
    if (commandLine.action == CommandLine::Action::Exit)
        return commandLine.exitCode;
    if (commandLine.action == CommandLine::Action::Export) {
        Platform::InstallLinux("/");
        HistoryExportResult result = HistoryExport::ExportProgramFolder(commandLine.exportFolder);
        if (!result.written.empty())
            std::printf("Kelvara exported the history of %zu sensors to %s\n", result.written.size(),
                commandLine.exportFolder.c_str());
        return result.problems.empty() ? 0 : 1;
    }

    // One Kelvara per user, so that one sampler writes one set of files: a second launch hands over to the
    // running one (which brings its windows forward) before it touches anything.
    SingleInstance instance(SingleInstance::DefaultFolder());
    switch (instance.Claim()) {
    case SingleInstance::Role::HandedOver:
        std::fprintf(stderr, "Kelvara is already running; its windows come forward.\n");
        return 0;
    case SingleInstance::Role::Busy:
        return 1;
    case SingleInstance::Role::Primary:
    case SingleInstance::Role::Alone:
        break;
    }

    QApplication qtApplication(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvara"));
    QApplication::setOrganizationName(QStringLiteral("Varnholt's Utilities"));
    // Task bars group the windows under the desktop entry's icon: on X11 by the window class "Kelvara",
    // on Wayland by this name.
    QApplication::setDesktopFileName(QStringLiteral("kelvara"));
    // A monitor with no window open yet (or only its tray icon) must keep running.
    QApplication::setQuitOnLastWindowClosed(false);
    Platform::InstallLinux("/");
    {
        Kelvara application;
        {
            UDescriptorWatch handOvers(instance.GetListeningSocket(), [&] {
                if (instance.AcceptHandOver())
                    application.ObeyCommand(cmd_ReopenApplication, nullptr);
            });
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
