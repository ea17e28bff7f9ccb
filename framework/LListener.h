// The receiving side of the framework's messages.
#pragma once

#include "framework/FourCharCode.h"

#include <vector>

class LBroadcaster;

class LListener {
public:
    LListener() = default;
    virtual ~LListener();

    LListener(const LListener&) = delete;
    LListener& operator=(const LListener&) = delete;

    virtual void ListenToMessage(MessageT message, void* parameter) = 0;

    // A listener that is not listening is skipped by its broadcasters.
    bool IsListening() const { return mListening; }
    void StartListening() { mListening = true; }
    void StopListening() { mListening = false; }

private:
    friend class LBroadcaster;
    std::vector<LBroadcaster*> mBroadcasters;
    bool mListening = true;
};
