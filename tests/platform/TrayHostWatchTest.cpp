#include "platform/TrayHostWatch.h"

#include "tests/support/PrivateBus.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<QProcess> StartWatcher(const PrivateBus& bus, int hostAfterMilliseconds)
{
    auto watcher = std::make_unique<QProcess>();
    watcher->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    watcher->start(QStringLiteral(STAND_IN_TRAY_WATCHER),
        { QString::fromStdString(bus.Address()), QString::number(hostAfterMilliseconds) });
    EXPECT_TRUE(watcher->waitForStarted(5000));
    return watcher;
}

void Turn(
    int milliseconds, const std::function<bool()>& done = [] { return false; })
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < milliseconds && !done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

}

// The tray icon waits for a tray host: one registered before the watch, one that registers later (the
// watcher's signal), a watcher that itself starts later with a host; never one that has no host.
TEST(TrayHostWatch, ReportsAHostWhenItRegistersAndNotBefore)
{
    const struct {
        const char* name;
        int startWatcherAfter; // milliseconds after the watch starts; 0: before
        int hostAfter; // as the stand-in takes it: 0 from its start, -1 never
        bool reported;
    } cases[] = {
        { "HostAlreadyThere", 0, 0, true },
        { "HostRegistersLater", 0, 400, true },
        { "WatcherStartsLater", 400, 0, true },
        { "NoHost", 0, -1, false },
        { "NoWatcher", -1, 0, false },
    };
    for (const auto& each : cases) {
        PrivateBus bus;
        ASSERT_FALSE(bus.Address().empty()) << "dbus-daemon";
        std::unique_ptr<QProcess> watcher;
        if (each.startWatcherAfter == 0) {
            watcher = StartWatcher(bus, each.hostAfter);
            Turn(300); // the watcher takes its name
        }
        int reports = 0;
        TrayHostWatch watch([&] { ++reports; }, bus.Address());
        if (each.startWatcherAfter > 0) {
            Turn(each.startWatcherAfter);
            EXPECT_EQ(reports, 0) << each.name;
            watcher = StartWatcher(bus, each.hostAfter);
        }
        Turn(each.reported ? 5000 : 1200, [&] { return reports > 0; });
        Turn(100);
        EXPECT_EQ(reports, each.reported ? 1 : 0) << each.name;
        EXPECT_EQ(watch.IsHostRegistered(), each.reported) << each.name;
    }
}
