#include "framework/LPeriodical.h"

#include "framework/LException.h"

#include <QDateTime>
#include <QTimer>

#include <cmath>

LPeriodical::LPeriodical() = default;

LPeriodical::~LPeriodical() = default;

void LPeriodical::StartIdling(double intervalSeconds)
{
    mTimer = std::make_unique<QTimer>();
    mTimer->setTimerType(Qt::CoarseTimer);
    mTimer->setInterval(std::max(0, static_cast<int>(std::lround(intervalSeconds * 1000.0))));
    QObject::connect(mTimer.get(), &QTimer::timeout, [this] { Fire(); });
    mTimer->start();
}

void LPeriodical::StopIdling()
{
    mTimer.reset();
}

bool LPeriodical::IsIdling() const
{
    return mTimer != nullptr;
}

void LPeriodical::Fire()
{
    EventRecord event;
    event.when = static_cast<uint32_t>(QDateTime::currentMSecsSinceEpoch());
    LException::ReportAndDrop("periodical task", [&] { SpendTime(event); });
}
