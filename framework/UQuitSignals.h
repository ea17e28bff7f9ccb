// Turns SIGTERM, SIGHUP (the session closing) and SIGINT (Ctrl+C in a terminal) into a call on the
// event loop, so that they take the program's normal quit path instead of killing it.
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

class UQuitSignals {
public:
    explicit UQuitSignals(std::function<void(int signalNumber)> onSignal);
    // Gives the signals their default actions back.
    ~UQuitSignals();

    // From now until this object goes, the signals are ignored: a quit in progress writes every file even
    // when the user presses Ctrl+C again or the session repeats its SIGTERM.
    void IgnoreFurtherSignals();

    UQuitSignals(const UQuitSignals&) = delete;
    UQuitSignals& operator=(const UQuitSignals&) = delete;

private:
    std::function<void(int)> mOnSignal;
    std::unique_ptr<QSocketNotifier> mNotifier;
};
