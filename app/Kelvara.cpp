#include "app/Kelvara.h"

#include "framework/LException.h"
#include "framework/UModalAlerts.h"
#include "sensors/SensorMaster.h"

Kelvara::Kelvara()
{
    RegisterClasses();
}

Kelvara::~Kelvara()
{
    if (mSensorMaster != nullptr)
        mSensorMaster->TerminateAndSaveData();
}

void Kelvara::RegisterClasses()
{
    // The window and pane classes register here once the program has windows.
}

void Kelvara::StartUp()
{
    mSensorMaster = SensorMaster::Get();
    if (mSensorMaster->GetSensorCount() == 0)
        UModalAlerts::StopAlert(kNoSensorsAlert);
}
