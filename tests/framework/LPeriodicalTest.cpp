#include "framework/LPeriodical.h"
#include "framework/LException.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <functional>

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

// Runs the event loop until the condition holds or the limit passes.
bool RunUntil(const std::function<bool()>& condition, int limitMilliseconds = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < limitMilliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

}

TEST(LPeriodical, FiresOnlyAfterOneIntervalAndThenRepeats)
{
    Counter counter;
    counter.StartIdling(1.0);
    EXPECT_TRUE(counter.IsIdling());
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.fired, 0); // not at once
    counter.StartIdling(0.02);
    EXPECT_TRUE(RunUntil([&] { return counter.fired >= 3; }));
    counter.StopIdling();
    EXPECT_FALSE(counter.IsIdling());
    int fired = counter.fired;
    RunUntil([] { return false; }, 150);
    EXPECT_EQ(counter.fired, fired);
}

TEST(LPeriodical, RestartingReplacesTheTimer)
{
    Counter counter;
    counter.StartIdling(0.02);
    counter.StartIdling(60.0);
    RunUntil([] { return false; }, 150);
    EXPECT_EQ(counter.fired, 0);
}

TEST(LPeriodical, AnExceptionIsReportedAndTheTimerRunsOn)
{
    Counter counter;
    counter.throws = true;
    testing::internal::CaptureStderr();
    counter.StartIdling(0.02);
    EXPECT_TRUE(RunUntil([&] { return counter.fired >= 2; }));
    std::string report = testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find("'asrt'"), std::string::npos) << report;
    EXPECT_TRUE(counter.IsIdling());
}
