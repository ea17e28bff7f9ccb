#include "tests/support/Sampling.h"

#include "framework/LListener.h"
#include "sensors/SensorMaster.h"
#include "sensors/SensorSampler.h"
#include "sensors/TemperatureSensor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace {

class RoundListener : public LListener {
public:
    void ListenToMessage(MessageT message, void*) override
    {
        if (message == msg_SamplesRecorded)
            recorded = true;
    }
    bool recorded = false;
};

// Events are processed by hand rather than in a nested QEventLoop: once a test has quit the application, every
// QEventLoop::exec() returns at once until QCoreApplication::exec() runs again, and a later test would wait
// for nothing.
bool Wait(SensorMaster& master, RoundListener& listener, int timeoutMilliseconds)
{
    QElapsedTimer waited;
    waited.start();
    // Wakes the wait below at least this often, so that the time limit holds while nothing else happens.
    QTimer wake;
    wake.start(10);
    while (!listener.recorded && waited.elapsed() < timeoutMilliseconds)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    master.RemoveListener(&listener);
    return listener.recorded;
}

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
    RoundListener listener;
    master.AddListener(&listener);
    return Wait(master, listener, timeoutMilliseconds);
}

bool RecordRound(SensorMaster& master)
{
    // The round under way first, so that the one recorded holds the readings of now.
    if (master.GetSampler().IsRoundOpen() && !AwaitRound(master))
        return false;
    RoundListener listener;
    master.AddListener(&listener);
    master.GetSampler().StartRound();
    return Wait(master, listener, master.GetSampler().IsRoundOpen() || listener.recorded ? 5000 : 0);
}

}
