#include "platform/TrayHostWatch.h"

#include "framework/LException.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QTimer>

#include <cstdio>

namespace {

constexpr const char* kWatcherInterface = "org.kde.StatusNotifierWatcher";

}

TrayHostWatch::TrayHostWatch(std::function<void()> onHostRegistered, const std::string& busAddress)
    : mOnHostRegistered(std::move(onHostRegistered))
    , mSignalled(std::make_unique<QTimer>())
{
    if (busAddress.empty()) {
        mBus = std::make_unique<QDBusConnection>(QDBusConnection::sessionBus());
    } else {
        static int connections = 0;
        mConnectionName = "kelvara-tray-host-" + std::to_string(++connections);
        mBus = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QString::fromStdString(busAddress), QString::fromStdString(mConnectionName)));
    }
    if (!mBus->isConnected()) {
        std::fprintf(stderr, "Kelvara: no session bus (%s); a tray that starts later is not looked for.\n",
            mBus->lastError().message().toLocal8Bit().constData());
        return;
    }
    mSignalled->setSingleShot(true);
    mSignalled->setInterval(0);
    QObject::connect(mSignalled.get(), &QTimer::timeout, [this] { Ask(); });
    // QDBusConnection offers signals only to slots named in text; the timer's start() is one.
    mBus->connect(QString::fromLatin1(kWatcherService), QString::fromLatin1(kWatcherPath),
        QString::fromLatin1(kWatcherInterface), QStringLiteral("StatusNotifierHostRegistered"), mSignalled.get(),
        SLOT(start()));
    mServiceWatcher = std::make_unique<QDBusServiceWatcher>(
        QString::fromLatin1(kWatcherService), *mBus, QDBusServiceWatcher::WatchForRegistration);
    QObject::connect(
        mServiceWatcher.get(), &QDBusServiceWatcher::serviceRegistered, mServiceWatcher.get(), [this] { Ask(); });
    // The first answer is waited for, briefly: a program that starts with its windows closed needs to know
    // at once whether a tray will show it. The bus answers at once when there is no watcher.
    QDBusMessage answer = mBus->call(Question(), QDBus::Block, kFirstAnswerMilliseconds);
    if (IsRegisteredAnswer(answer))
        Registered();
}

QDBusMessage TrayHostWatch::Question()
{
    QDBusMessage question = QDBusMessage::createMethodCall(QString::fromLatin1(kWatcherService),
        QString::fromLatin1(kWatcherPath), QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    question << QString::fromLatin1(kWatcherInterface) << QStringLiteral("IsStatusNotifierHostRegistered");
    return question;
}

bool TrayHostWatch::IsRegisteredAnswer(const QDBusMessage& answer)
{
    // No watcher yet, or one that answers oddly: a later registration is waited for.
    if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().size() != 1)
        return false;
    QVariant value = answer.arguments().front().value<QDBusVariant>().variant();
    return value.typeId() == QMetaType::Bool && value.toBool();
}

TrayHostWatch::~TrayHostWatch()
{
    mServiceWatcher.reset();
    if (mBus && mBus->isConnected())
        mBus->disconnect(QString::fromLatin1(kWatcherService), QString::fromLatin1(kWatcherPath),
            QString::fromLatin1(kWatcherInterface), QStringLiteral("StatusNotifierHostRegistered"), mSignalled.get(),
            SLOT(start()));
    mBus.reset();
    if (!mConnectionName.empty())
        QDBusConnection::disconnectFromBus(QString::fromStdString(mConnectionName));
}

void TrayHostWatch::Ask()
{
    if (mRegistered)
        return;
    // Asked without waiting: a watcher that does not answer must not hold the windows.
    auto* pending = new QDBusPendingCallWatcher(mBus->asyncCall(Question()), mSignalled.get());
    QObject::connect(pending, &QDBusPendingCallWatcher::finished, pending, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        if (IsRegisteredAnswer(call->reply()))
            Registered();
    });
}

void TrayHostWatch::Registered()
{
    if (mRegistered)
        return;
    mRegistered = true;
    LException::ReportAndDrop("a tray that started", mOnHostRegistered);
}
