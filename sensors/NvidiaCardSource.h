// An NVIDIA graphics card's GPU temperature, read through the shared NVML session. A card that sleeps is not
// read at all (no handle, no call), since any call would wake it; a card under runtime power management
// is let go after each reading, so that it can sleep again.
#pragma once

#include "platform/NvidiaCardList.h"
#include "sensors/NvmlSession.h"

#include <memory>

class NvidiaCardSource : public SensorSource {
public:
    NvidiaCardSource(std::shared_ptr<NvmlSession> session, NvidiaCardList::Card card)
        : mSession(std::move(session))
        , mCard(std::move(card))
    {
    }

    SourceReading Read() override
    {
        if (NvidiaCardList::IsAsleep(mCard))
            return SourceReading::Sleeping();
        return mSession->ReadTemperature(mCard.busId, NvidiaCardList::SleepsWhenIdle(mCard));
    }

private:
    std::shared_ptr<NvmlSession> mSession;
    NvidiaCardList::Card mCard;
};
