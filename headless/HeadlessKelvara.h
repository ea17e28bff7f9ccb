// Kelvara without windows, tray or display, for machines that have no desktop: it samples, keeps and saves
// the histories exactly as the desktop Kelvara does, in the same files and under the same locks, and warns at
// the limits. It reads the preferences but never writes them, so that the desktop's windows and its first run
// stay as they were. It quits, writing every file, on SIGTERM, SIGHUP and SIGINT, and when a desktop Kelvara
// is launched, which then samples on in its place.
#pragma once

#include <memory>
#include <string>

class LimitWatch;
class Notifier;
class SensorMaster;
class SingleInstance;
class HandOverWatch;
class UQuitSignals;

class HeadlessKelvara {
public:
    // Discovers the sensors (which read their data files) and starts sampling. instance is the running
    // Kelvara's claim, on which desktop launches take the sampling over; notifier carries the warnings. Both
    // must outlive this object.
    HeadlessKelvara(SingleInstance& instance, Notifier& notifier);
    // Writes every sensor's data file.
    ~HeadlessKelvara();

    HeadlessKelvara(const HeadlessKelvara&) = delete;
    HeadlessKelvara& operator=(const HeadlessKelvara&) = delete;

    // Runs until a quit; the exit status.
    int Run();

    SensorMaster& GetSensorMaster() { return *mSensorMaster; }

private:
    // Ends the event loop once; why is told on standard error.
    void Quit(const std::string& why);
    void TellNothingIsSaved(const std::string& reason);

    SingleInstance& mInstance;
    SensorMaster* mSensorMaster = nullptr;
    std::unique_ptr<LimitWatch> mLimitWatch;
    std::unique_ptr<HandOverWatch> mHandOvers;
    std::unique_ptr<UQuitSignals> mQuitSignals;
    bool mQuitting = false;
    bool mToldNothingIsSaved = false;
};
