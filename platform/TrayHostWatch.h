// Watches the session bus for a system tray that shows StatusNotifierItems (the tray of KDE, GNOME's
// extensions, swaybar, waybar): Qt looks for one once per run, so a tray icon made before the tray's host
// has registered never shows, and the host often starts after the programs at login.
#pragma once

#include <functional>
#include <memory>
#include <string>

class QDBusConnection;
class QDBusMessage;
class QDBusServiceWatcher;
class QTimer;

class TrayHostWatch {
public:
    static constexpr const char* kWatcherService = "org.kde.StatusNotifierWatcher";
    static constexpr const char* kWatcherPath = "/StatusNotifierWatcher";
    // How long the first question may hold the start-up.
    static constexpr int kFirstAnswerMilliseconds = 1000;

    // Calls onHostRegistered once when the watcher reports a registered host: before returning when it
    // already does, else on the event loop when the host registers or the watcher appears with one. busAddress names
    // the bus; empty: the session bus.
    explicit TrayHostWatch(std::function<void()> onHostRegistered, const std::string& busAddress = {});
    ~TrayHostWatch();

    TrayHostWatch(const TrayHostWatch&) = delete;
    TrayHostWatch& operator=(const TrayHostWatch&) = delete;

    bool IsHostRegistered() const { return mRegistered; }

private:
    // Asks the watcher whether a host is registered (IsStatusNotifierHostRegistered), without waiting.
    void Ask();
    static QDBusMessage Question();
    static bool IsRegisteredAnswer(const QDBusMessage& answer);
    void Registered();

    std::function<void()> mOnHostRegistered;
    std::unique_ptr<QDBusConnection> mBus;
    std::string mConnectionName;
    std::unique_ptr<QDBusServiceWatcher> mServiceWatcher;
    // The watcher's signal arrives as a start of this timer (a D-Bus signal needs a slot to go to).
    std::unique_ptr<QTimer> mSignalled;
    bool mRegistered = false;
};
