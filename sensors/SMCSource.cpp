#include "sensors/SMCSource.h"

#include "sensors/SMCWrapper.h"

#include <mutex>

SourceReading SMCSource::Read()
{
    static std::mutex smc;
    std::lock_guard lock(smc);
    std::optional<int32_t> degrees = SMCWrapper::Get()->TryGetTemperature(mSensor);
    return degrees ? SourceReading::Of(*degrees) : SourceReading::Failure();
}
