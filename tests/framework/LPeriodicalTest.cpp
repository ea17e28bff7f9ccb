#include "framework/LPeriodical.h"
#include "framework/LException.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace {

class Counter : public LPeriodical {
public:
    void SpendTime(const EventRecord&) override
    {
        ++fired;
        if (throws)
            Throw_(err_AssertionFailed);
    }
    int fired = 0;
    bool throws = false;
};

}

// Each waits for a fast reference timer to tick, never for a fixed time.
TEST(LPeriodical, FiresAfterEachIntervalUntilStoppedOrReplacedAndSurvivesExceptions)
{
    Counter slow, replaced, stopped, throwing, clock;
    slow.StartIdling(60.0);
    QCoreApplication::processEvents();
    EXPECT_EQ(slow.fired, 0) << "not at once";
    replaced.StartIdling(0.02);
    replaced.StartIdling(60.0);
    stopped.StartIdling(0.02);
    throwing.throws = true;
    throwing.StartIdling(0.02);
    clock.StartIdling(0.02);
    auto runUntil = [](auto condition) {
        QElapsedTimer limit;
        limit.start();
        while (!condition() && limit.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return condition();
    };
    testing::internal::CaptureStderr();
    ASSERT_TRUE(runUntil([&] { return stopped.fired >= 3 && throwing.fired >= 2; }));
    std::string report = testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find("'asrt'"), std::string::npos) << report;
    EXPECT_TRUE(throwing.IsIdling()) << "an exception leaves the timer running";
    throwing.StopIdling();
    stopped.StopIdling();
    EXPECT_FALSE(stopped.IsIdling());
    int fired = stopped.fired;
    int ticks = clock.fired;
    ASSERT_TRUE(runUntil([&] { return clock.fired >= ticks + 3; }));
    EXPECT_EQ(stopped.fired, fired);
    EXPECT_EQ(replaced.fired, 0) << "restarting replaces the timer";
}
