#include "tests/support/PrivateBus.h"

#include <cstdlib>
#include <stdexcept>

PrivateBus::PrivateBus()
{
    // Anyone may own any name and talk to anyone, and nothing is started on demand.
    TestFiles::Write(mFolder / "bus.conf",
        "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
        " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
        "<busconfig><type>system</type><listen>unix:path="
            + (mFolder / "bus") + "</listen><auth>EXTERNAL</auth>"
            + "<policy context=\"default\"><allow user=\"*\"/><allow own=\"*\"/><allow send_destination=\"*\"/>"
              "<allow receive_sender=\"*\"/></policy></busconfig>\n");
    mDaemon.start(QStringLiteral("dbus-daemon"),
        { QStringLiteral("--nofork"), QStringLiteral("--print-address"),
            QStringLiteral("--config-file=") + QString::fromStdString(mFolder / "bus.conf") });
    if (!mDaemon.waitForStarted(5000) || !mDaemon.waitForReadyRead(5000))
        throw std::runtime_error("dbus-daemon does not start: " + mDaemon.readAllStandardError().toStdString());
    mAddress = mDaemon.readLine().trimmed().toStdString();
    if (const char* old = std::getenv("DBUS_SYSTEM_BUS_ADDRESS"))
        mOldAddress = old;
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", mAddress.c_str(), 1);
}

PrivateBus::~PrivateBus()
{
    if (mOldAddress)
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", mOldAddress->c_str(), 1);
    else
        ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    mDaemon.terminate();
    if (!mDaemon.waitForFinished(5000))
        mDaemon.kill();
    mDaemon.waitForFinished(1000);
}
