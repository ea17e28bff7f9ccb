// Turns SIGTERM, SIGHUP (the session closing) and SIGINT (Ctrl+C in a terminal) into a call on the
// event loop, so that they take the program's normal quit path instead of killing it.
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

class UQuitSignals {
public:
    explicit UQuitSignals(std::function<void(int signalNumber)> onSignal);
    ~UQuitSignals();

    UQuitSignals(const UQuitSignals&) = delete;
    UQuitSignals& operator=(const UQuitSignals&) = delete;

private:
    std::function<void(int)> mOnSignal;
    std::unique_ptr<QSocketNotifier> mNotifier;
};
