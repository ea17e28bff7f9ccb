// Notifications sent through busctl reach the notification service on a private session bus (a real
// dbus-daemon, with a stand-in of the desktop's notification service on it), every byte of the texts intact;
// without a bus, standard error says that no notification was shown.
#include "platform/BusctlNotifier.h"

#include "tests/support/TestFolders.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <unistd.h>

namespace {

// The service's side of org.freedesktop.Notifications: records each Notify call and answers it with an id.
class NotificationService : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.member() != QLatin1String("Notify"))
            return false;
        calls.push_back(message.arguments());
        connection.send(message.createReply(QVariantList { 1u }));
        return true;
    }
    std::vector<QVariantList> calls;
};

bool WaitFor(const std::function<bool()>& done)
{
    QElapsedTimer limit;
    limit.start();
    while (!done() && limit.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// Waits until every busctl started has ended and its process object is gone (the bus daemon, when there is
// one, is a child of this process too).
void AwaitBusctl(qint64 busDaemon = 0)
{
    std::string children = "/proc/self/task/" + std::to_string(::getpid()) + "/children";
    WaitFor([&] {
        std::vector<uint8_t> list = TestFiles::ReadBytes(children);
        std::string text(list.begin(), list.end());
        return text == "" || text == std::to_string(busDaemon) + " ";
    });
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}

TEST(BusctlNotifier, ReachesTheNotificationServiceOnTheSessionBus)
{
    TemporaryFolder folder;
    std::string address = "unix:path=" + (folder / "bus");
    QProcess daemon;
    // It prints its address once it listens.
    daemon.start("dbus-daemon",
        { "--session", "--nofork", "--nopidfile", "--print-address", QString::fromStdString("--address=" + address) });
    if (!daemon.waitForStarted(5000))
        GTEST_SKIP() << "dbus-daemon is not installed";
    ASSERT_TRUE(
        WaitFor([&] { return daemon.canReadLine() || (daemon.waitForReadyRead(100) && daemon.canReadLine()); }));
    QDBusConnection bus = QDBusConnection::connectToBus(QString::fromStdString(address), "notification-service");
    ASSERT_TRUE(bus.isConnected());
    NotificationService service;
    ASSERT_TRUE(bus.registerVirtualObject("/org/freedesktop/Notifications", &service));
    ASSERT_TRUE(bus.registerService("org.freedesktop.Notifications"));
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);

    const struct {
        std::string title, text;
    } cases[] = {
        { "amdgpu junction has reached its limit", "It reads 110C; its limit is 100C." },
        { "Gerät \"A\" has reached its limit", "It reads 230°F; its limit is $HOME\\n 212°F." },
        { "-1 --help", "-" },
    };
    BusctlNotifier notifier;
    for (const auto& each : cases) {
        size_t before = service.calls.size();
        notifier.Notify(each.title, each.text);
        ASSERT_TRUE(WaitFor([&] { return service.calls.size() > before; })) << each.title;
        const QVariantList& call = service.calls.back();
        ASSERT_EQ(call.size(), 8);
        EXPECT_EQ(call[0].toString(), "Kelvara");
        EXPECT_EQ(call[3].toString().toStdString(), each.title);
        EXPECT_EQ(call[4].toString().toStdString(), each.text);
    }
    AwaitBusctl(daemon.processId());
    QDBusConnection::disconnectFromBus("notification-service");
    daemon.terminate();
    daemon.waitForFinished(5000);
}

TEST(BusctlNotifier, WithoutABusSaysSo)
{
    TemporaryFolder folder;
    ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (folder / "no bus")).c_str(), 1);
    testing::internal::CaptureStderr();
    BusctlNotifier notifier;
    notifier.Notify("nvme Composite has reached its limit", "It reads 85C; its limit is 84C.");
    // busctl gives up at once; its end is heard on the event loop.
    AwaitBusctl();
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("no desktop notification for \"nvme Composite has reached its limit\""), std::string::npos)
        << said;
}
