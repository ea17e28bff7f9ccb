#include "tests/support/PrivateBus.h"

PrivateBus::PrivateBus()
{
    mDaemon.start(QStringLiteral("dbus-daemon"),
        { QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
            QStringLiteral("--print-address=1") });
    if (!mDaemon.waitForStarted(5000))
        return;
    while (!mDaemon.canReadLine() && mDaemon.waitForReadyRead(5000)) { }
    mAddress = mDaemon.readLine().trimmed().toStdString();
}

PrivateBus::~PrivateBus()
{
    mDaemon.terminate();
    if (!mDaemon.waitForFinished(5000))
        mDaemon.kill();
}
