// Kelvara: a desktop temperature monitor.
#include "app/Kelvara.h"
#include "platform/Platform.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication qtApplication(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvara"));
    QApplication::setOrganizationName(QStringLiteral("Varnholt's Utilities"));
    // A monitor with no window open yet (or only its tray icon) must keep running.
    QApplication::setQuitOnLastWindowClosed(false);
    Platform::InstallLinux("/");
    {
        Kelvara application;
        application.Run();
    }
    return 0;
}
