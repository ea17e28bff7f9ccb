#include "headless/HeadlessKelvara.h"

#include "framework/LException.h"
#include "framework/UQuitSignals.h"
#include "metrics/MetricsToken.h"
#include "platform/FreedMemory.h"
#include "platform/HandOverWatch.h"
#include "platform/SingleInstance.h"
#include "prefs/Preferences.h"
#include "sensors/LimitWatch.h"
#include "sensors/SensorMaster.h"
#include "util/UtilitiesFolder.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <utility>

HeadlessKelvara::HeadlessKelvara(
    SingleInstance& instance, Notifier& notifier, ReadingsSharing::Overrides sharing, const std::string& version)
    : mInstance(instance)
{
    // The same order as the desktop's start-up: the preferences' defaults, the sensors with their data files,
    // then the preferences file (a first run's defaults name the first sensor).
    Preferences::Get();
    mSensorMaster = SensorMaster::Get();
    if (mSensorMaster->GetSensorCount() == 0)
        std::fprintf(stderr,
            "Kelvara: no temperature sensor was found yet; loading the driver of the machine's sensor chip (for "
            "example after sensors-detect) brings them, without a restart.\n");
    Preferences::ReadPrefs(Preferences::Access::ReadOnly);
    mSensorMaster->SetSaveFailureCall([this](const std::string& reason) {
        TellNothingIsSaved(WhyUtilitiesFolderCannotBeWritten().value_or(reason));
    });
    if (std::optional<std::string> reason = WhyUtilitiesFolderCannotBeWritten())
        TellNothingIsSaved(*reason);
    LException::ReportAndDrop(
        "watching the limits", [&] { mLimitWatch = std::make_unique<LimitWatch>(*mSensorMaster, notifier); });
    LException::ReportAndDrop("sharing the readings", [&] {
        mSharing = std::make_unique<ReadingsSharing>(*mSensorMaster, mSharingNotifier, std::move(sharing), version);
    });
    // What discovery and the data files needed at start-up goes back to the system: this program is meant to
    // stay small for months.
    mSensorMaster->SetFirstRoundCall([] { ReturnFreedMemory(); });

    mQuitSignals = std::make_unique<UQuitSignals>([this](int signalNumber) {
        Quit(signalNumber == SIGTERM ? "it was asked to stop (SIGTERM)" : "it was interrupted");
    });
    mHandOvers = std::make_unique<HandOverWatch>(
        mInstance,
        [this](
            const SingleInstance::Activation&) { Quit("a desktop Kelvara was launched and samples on in its place"); },
        SingleInstance::Answer::Yield);
}

HeadlessKelvara::~HeadlessKelvara()
{
    // A launch that comes while the files are written waits for the lock rather than for an answer.
    mHandOvers.reset();
    mInstance.StopListening();
    // The endpoint and the watch let go of the sensors before they go.
    mSharing.reset();
    mLimitWatch.reset();
    if (mSensorMaster != nullptr) {
        mSensorMaster->SetFirstRoundCall({});
        mSensorMaster->TerminateAndSaveData();
    }
    mQuitSignals.reset();
}

std::optional<int> HeadlessKelvara::GetSharingFailure() const
{
    if (mSharing == nullptr)
        return 1;
    MetricsChoices choices;
    std::string error;
    if (!mSharing->Choose(choices, error))
        return kSharingRefusedExitCode;
    if (!choices.listen || mSharing->GetListeningPort() != 0)
        return std::nullopt;
    // Anyone who can read the token can scrape: an endpoint that would be open to them does not start.
    if (!choices.tokenFile.empty() && !MetricsToken::ReadFile(choices.tokenFile, error))
        return kSharingRefusedExitCode;
    return 1;
}

int HeadlessKelvara::Run()
{
    return QCoreApplication::exec();
}

void HeadlessKelvara::Quit(const std::string& why)
{
    if (std::exchange(mQuitting, true))
        return;
    std::fprintf(stderr, "Kelvara writes its files and ends: %s.\n", why.c_str());
    // A second signal while the files are written loses nothing.
    mQuitSignals->IgnoreFurtherSignals();
    QCoreApplication::exit(0);
}

void HeadlessKelvara::TellNothingIsSaved(const std::string& reason)
{
    if (std::exchange(mToldNothingIsSaved, true))
        return;
    std::fprintf(stderr, "Kelvara: nothing can be saved in \"%s\": %s; Kelvara goes on without saving.\n",
        UtilitiesFolderPath().c_str(), reason.c_str());
}
