// Serves later launches' hand-overs from the event loop: one connection at a time, read without waiting
// and dropped after a short time limit of its own, so that a client that connects and says nothing never
// holds the windows.
#pragma once

#include "platform/SingleInstance.h"

#include <functional>
#include <memory>
#include <string>

class QSocketNotifier;
class QTimer;

class HandOverWatch {
public:
    // How long one connection may take to ask; a new launch asks at once.
    static constexpr int kConnectionMilliseconds = 1000;

    // Watches instance's listening socket (none: nothing to watch) and calls onReopen on the event loop for
    // every desktop launch handed over, with what its launcher gave it, answered as toDesktop says; an
    // exception thrown by it is reported and dropped. A launch without windows is told that this one
    // samples, and nothing else happens.
    HandOverWatch(SingleInstance& instance, std::function<void(const SingleInstance::Activation&)> onReopen,
        SingleInstance::Answer toDesktop = SingleInstance::Answer::Reopen);
    ~HandOverWatch();

    HandOverWatch(const HandOverWatch&) = delete;
    HandOverWatch& operator=(const HandOverWatch&) = delete;

private:
    void Accept();
    void Read();
    // Ends the connection being served, and takes the next one.
    void Drop();

    SingleInstance& mInstance;
    std::function<void(const SingleInstance::Activation&)> mOnReopen;
    SingleInstance::Answer mToDesktop;
    std::unique_ptr<QSocketNotifier> mListening;
    std::unique_ptr<QSocketNotifier> mReading;
    std::unique_ptr<QTimer> mTimeLimit;
    int mConnection = -1;
    std::string mReceived;
};
