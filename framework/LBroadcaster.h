// The sending side of the framework's messages: listeners are called synchronously, in the order in
// which they were added.
#pragma once

#include "framework/FourCharCode.h"

#include <vector>

class LListener;

class LBroadcaster {
public:
    LBroadcaster() = default;
    virtual ~LBroadcaster();

    LBroadcaster(const LBroadcaster&) = delete;
    LBroadcaster& operator=(const LBroadcaster&) = delete;

    // Links both sides; a listener already present is ignored.
    void AddListener(LListener* listener);
    void RemoveListener(LListener* listener);
    bool HasListener(const LListener* listener) const;

    void BroadcastMessage(MessageT message, void* parameter = nullptr);

private:
    friend class LListener;
    std::vector<LListener*> mListeners;
};
