#include "platform/DBusNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QVariantMap>

#include <cstdio>

namespace {

void ReportUndelivered(const std::string& title, const std::string& text, const QString& reason)
{
    std::fprintf(
        stderr, "Kelvara: no desktop notification (%s): %s. %s\n", qPrintable(reason), title.c_str(), text.c_str());
}

}

void DBusNotifier::Notify(const std::string& title, const std::string& text)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        ReportUndelivered(title, text, QStringLiteral("there is no D-Bus session bus"));
        return;
    }
    QDBusMessage message = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"), QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("Notify"));
    QVariantMap hints;
    // Lets the desktop show the notification under Kelvara's name and icon.
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("kelvara"));
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(1));
    message << QStringLiteral("Kelvara") << 0u << QStringLiteral("kelvara") << QString::fromStdString(title)
            << QString::fromStdString(text) << QStringList() << hints << -1;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message));
    QObject::connect(
        watcher, &QDBusPendingCallWatcher::finished, watcher, [title, text](QDBusPendingCallWatcher* call) {
            if (call->isError())
                ReportUndelivered(title, text, call->error().message());
            call->deleteLater();
        });
}
