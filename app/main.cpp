// Kelvara: a desktop temperature monitor.
#include "app/Kelvara.h"
#include "framework/UDescriptorWatch.h"
#include "platform/Platform.h"
#include "platform/SingleInstance.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
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
    return 0;
}
