// A stand-in for a desktop's org.kde.StatusNotifierWatcher, on the bus given: it answers the property
// IsStatusNotifierHostRegistered, and registers a host after the given milliseconds (0: from the start,
// -1: never), saying so with the StatusNotifierHostRegistered signal, as a tray that starts late does.
// Usage: stand_in_tray_watcher BUS_ADDRESS HOST_AFTER_MILLISECONDS
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QTimer>

#include <cstdio>

namespace {

const QString kService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kPath = QStringLiteral("/StatusNotifierWatcher");

class Watcher : public QDBusVirtualObject {
public:
    bool registered = false;

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        const QList<QVariant> arguments = message.arguments();
        if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties")
            && message.member() == QLatin1String("Get") && arguments.size() == 2 && arguments[0].toString() == kService
            && arguments[1].toString() == QLatin1String("IsStatusNotifierHostRegistered")) {
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(registered))));
            return true;
        }
        connection.send(message.createErrorReply(QDBusError::UnknownMethod, QStringLiteral("not offered")));
        return true;
    }
};

}

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: stand_in_tray_watcher BUS_ADDRESS HOST_AFTER_MILLISECONDS\n");
        return 2;
    }
    QDBusConnection bus = QDBusConnection::connectToBus(QString::fromLocal8Bit(argv[1]), QStringLiteral("watcher"));
    int hostAfter = std::atoi(argv[2]);
    Watcher watcher;
    watcher.registered = hostAfter == 0;
    if (!bus.registerVirtualObject(kPath, &watcher) || !bus.registerService(kService)) {
        std::fprintf(stderr, "stand_in_tray_watcher: cannot serve on the bus\n");
        return 1;
    }
    if (hostAfter > 0) {
        QTimer::singleShot(hostAfter, [&] {
            watcher.registered = true;
            bus.send(QDBusMessage::createSignal(kPath, kService, QStringLiteral("StatusNotifierHostRegistered")));
        });
    }
    return application.exec();
}
