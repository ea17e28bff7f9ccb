// Kelvara without windows, tray or display, for machines that have no desktop: it samples, keeps and saves
// the histories exactly as the desktop Kelvara does, in the same files and under the same locks, and warns at
// the limits. It reads the preferences but never writes them, so that the desktop's windows and its first run
// stay as they were. It shares the readings with Prometheus as the settings and the command line say. It quits, writing
// every file, on SIGTERM, SIGHUP and SIGINT, and when a desktop Kelvara is launched, which then samples on in its
// place.
#pragma once

#include "app/ReadingsSharing.h"
#include "headless/HeadlessNotifier.h"

#include <memory>
#include <optional>
#include <string>

class LimitWatch;
class Notifier;
class SensorMaster;
class SingleInstance;
class HandOverWatch;
class UQuitSignals;

class HeadlessKelvara {
public:
    // Exit status of a run whose sharing cannot be as asked: a token file that others can read, or a setting
    // that names no address.
    static constexpr int kSharingRefusedExitCode = 2;

    // Discovers the sensors (which read their data files), starts sampling and sharing. instance is the
    // running Kelvara's claim, on which desktop launches take the sampling over; notifier carries the
    // warnings. Both must outlive this object.
    HeadlessKelvara(
        SingleInstance& instance, Notifier& notifier, ReadingsSharing::Overrides sharing, const std::string& version);
    // Writes every sensor's data file.
    ~HeadlessKelvara();

    HeadlessKelvara(const HeadlessKelvara&) = delete;
    HeadlessKelvara& operator=(const HeadlessKelvara&) = delete;

    // When the readings cannot be shared as the user asked, the exit status of a run that ends at once (the
    // reasons are on standard error): a token file that others can read, or that cannot be read, and an
    // address in the settings that is none give kSharingRefusedExitCode; an address that cannot be listened
    // at (in use) 1, so that a service manager tries again later.
    std::optional<int> GetSharingFailure() const;

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
    // Problems with the sharing reach the desktop; standard error has them already.
    HeadlessNotifier mSharingNotifier { HeadlessNotifier::Log::None };
    std::unique_ptr<ReadingsSharing> mSharing;
    std::unique_ptr<HandOverWatch> mHandOvers;
    std::unique_ptr<UQuitSignals> mQuitSignals;
    bool mQuitting = false;
    bool mToldNothingIsSaved = false;
};
