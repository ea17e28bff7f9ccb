#include "framework/LBroadcaster.h"

#include "framework/LListener.h"

#include <algorithm>

LBroadcaster::~LBroadcaster()
{
    for (LListener* listener : mListeners)
        std::erase(listener->mBroadcasters, this);
}

void LBroadcaster::AddListener(LListener* listener)
{
    if (listener == nullptr || HasListener(listener))
        return;
    mListeners.push_back(listener);
    listener->mBroadcasters.push_back(this);
}

void LBroadcaster::RemoveListener(LListener* listener)
{
    std::erase(mListeners, listener);
    if (listener != nullptr)
        std::erase(listener->mBroadcasters, this);
}

bool LBroadcaster::HasListener(const LListener* listener) const
{
    return std::find(mListeners.begin(), mListeners.end(), listener) != mListeners.end();
}

void LBroadcaster::BroadcastMessage(MessageT message, void* parameter)
{
    // A listener may remove itself (or be deleted) while it handles the message: walk a copy and skip
    // those that are gone.
    std::vector<LListener*> listeners = mListeners;
    for (LListener* listener : listeners) {
        if (HasListener(listener) && listener->IsListening())
            listener->ListenToMessage(message, parameter);
    }
}
