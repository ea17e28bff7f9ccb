#include "tests/support/Sampling.h"

#include "framework/LListener.h"
#include "sensors/SensorMaster.h"
#include "sensors/SensorSampler.h"
#include "sensors/TemperatureSensor.h"

#include <QEventLoop>
#include <QTimer>

namespace {

class RoundListener : public LListener {
public:
    explicit RoundListener(QEventLoop& loop)
        : mLoop(loop)
    {
    }
    void ListenToMessage(MessageT message, void*) override
    {
        if (message == msg_SamplesRecorded) {
            recorded = true;
            mLoop.quit();
        }
    }
    bool recorded = false;

private:
    QEventLoop& mLoop;
};

}

namespace Sampling {

int32_t SampleNow(TemperatureSensor& sensor)
{
    if (sensor.GetReader())
        sensor.NoteSourceReading(sensor.GetReader()->Read(), std::chrono::steady_clock::now());
    return sensor.CreateNewEvent();
}

SensorMaster& StartSensors()
{
    SensorMaster& master = *SensorMaster::Get();
    if (master.GetSampler().IsRoundOpen())
        AwaitRound(master);
    return master;
}

bool AwaitRound(SensorMaster& master, int timeoutMilliseconds)
{
    QEventLoop loop;
    RoundListener listener(loop);
    master.AddListener(&listener);
    QTimer::singleShot(timeoutMilliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    master.RemoveListener(&listener);
    return listener.recorded;
}

bool RecordRound(SensorMaster& master)
{
    // The round under way first, so that the one recorded holds the readings of now.
    if (master.GetSampler().IsRoundOpen() && !AwaitRound(master))
        return false;
    QEventLoop loop;
    RoundListener listener(loop);
    master.AddListener(&listener);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    master.GetSampler().StartRound();
    if (master.GetSampler().IsRoundOpen())
        loop.exec();
    master.RemoveListener(&listener);
    return listener.recorded;
}

}
