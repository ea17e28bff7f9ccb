// A periodical task: a repeating event-loop timer that calls SpendTime, first one interval after
// StartIdling. An exception thrown by SpendTime is reported on standard error and dropped; the timer
// keeps running.
#pragma once

#include "framework/EventRecord.h"

#include <memory>

class QTimer;

class LPeriodical {
public:
    LPeriodical();
    virtual ~LPeriodical();

    LPeriodical(const LPeriodical&) = delete;
    LPeriodical& operator=(const LPeriodical&) = delete;

    // Starting again replaces the running timer.
    virtual void StartIdling(double intervalSeconds);
    virtual void StopIdling();
    bool IsIdling() const;

    virtual void SpendTime(const EventRecord& event) = 0;

private:
    void Fire();

    std::unique_ptr<QTimer> mTimer;
};
