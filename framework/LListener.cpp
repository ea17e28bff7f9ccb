#include "framework/LListener.h"

#include "framework/LBroadcaster.h"

#include <algorithm>

LListener::~LListener()
{
    std::vector<LBroadcaster*> broadcasters = mBroadcasters;
    for (LBroadcaster* broadcaster : broadcasters)
        std::erase(broadcaster->mListeners, this);
}
