// The application object: starts the sensors, reads the preferences, re-opens the recorded windows and
// shows the live tile; at quit it records the open windows and makes every sensor save its data file.
#pragma once

#include "app/ReadingsSharing.h"
#include "framework/LApplication.h"
#include "platform/SingleInstance.h"
#include "report/VersionCheckWorker.h"

#include <memory>
#include <optional>
#include <string>

class ComparisonMaster;
class DockIcon;
class LimitWatch;
class Notifier;
class QTimer;
class ReachabilityWatch;
class SensorMaster;
class TrayHostWatch;

// Commands of the application.
constexpr CommandT cmd_NewGraphWindow = 2;
constexpr CommandT cmd_NewDataWindow = FourCC("RawD");
constexpr CommandT cmd_WelcomeWindow = FourCC("Hard");
constexpr CommandT cmd_CompareMachines = FourCC("Comp");
constexpr CommandT cmd_NewVersion = FourCC("NewV");
constexpr CommandT cmd_CheckForNewVersion = FourCC("ChkN");
constexpr CommandT cmd_SubmitRecord = FourCC("Subm");
constexpr CommandT cmd_ExportHistory = FourCC("Expo");

class Kelvara : public LApplication {
public:
    // Alerts, layouts and the start-up rule of the first run.
    static constexpr int16_t kNoSensorsAlert = 130;
    static constexpr int16_t kHistoryExportedAlert = 131;
    static constexpr int16_t kHistoryNotExportedAlert = 132;
    // A launch that ends because another Kelvara writes the files.
    static constexpr int16_t kAnotherKelvaraAlert = 133;
    static constexpr int16_t kGraphWindowLayout = 128;
    static constexpr int16_t kDataWindowLayout = 129;
    static constexpr int16_t kWelcomeWindowLayout = 130;
    // The pane ID that layout 130 gives the first-run window.
    static constexpr PaneIDT kWelcomeWindowID = FourCC("Hard");
    static constexpr int16_t kComparisonWindowLayout = 133;
    // Preferences created at most this long ago mean a first run.
    static constexpr uint32_t kFirstRunSeconds = 9;
    // The temperature record is worth sending once the preferences are this old and the first sensor
    // holds this many long-term samples.
    static constexpr uint32_t kRecordAfterSeconds = 25201;
    static constexpr uint32_t kRecordAfterSamples = 301;
    // More windows of a kind than anyone works with are not re-opened: a damaged file could ask for thousands.
    static constexpr int32_t kMostRestoredWindows = 64;
    // The version check at start-up waits, looking this often and at most this many times, for the
    // window system to draw the windows.
    static constexpr int kStartUpCheckPollMilliseconds = 50;
    static constexpr int kStartUpCheckPolls = 60;
    // Start-up's freed memory goes back to the system once the first windows are drawn.
    static constexpr int kReturnFreedMemoryMilliseconds = 5000;

    Kelvara();
    // Saves the preferences (recording the open windows), then every sensor's data file.
    ~Kelvara() override;

    void StartUp() override;
    bool ObeyCommand(CommandT command, void* parameter) override;
    void FindCommandStatus(CommandT command, bool& enabled, bool& usesMark, uint16_t& mark, Str255& name) override;

    // What the command line says of sharing the readings with Prometheus; set before the application runs.
    void SetSharingOverrides(ReadingsSharing::Overrides overrides) { mSharingOverrides = std::move(overrides); }
    ReadingsSharing* GetReadingsSharing() const { return mReadingsSharing.get(); }

    SensorMaster* GetSensorMaster() const { return mSensorMaster; }
    ComparisonMaster* GetComparisonMaster() const { return mComparisonMaster; }
    DockIcon* GetDockIcon() const { return mDockIcon; }
    // The save of the preferences every 10 minutes; none before start-up.
    // Time from the preferences' creation to this launch.
    uint32_t SecondsSincePreferencesCreated() const;
    // The version check of this launch waits for the windows to be drawn, or a check waits for the server.
    // Also while the launch's prompts wait for the first sample, which may end in a check.
    bool IsVersionCheckWaiting() const;
    bool ArePromptsWaiting() const { return mPromptsWaiting; }

    static void RegisterClasses();

    // Without a tray, closing the last window quits, through the normal path, and records that window.
    void WindowClosed() override;
    // A later launch handed over: the windows come forward (or a data window opens), with the focus that the
    // launch's launcher gave it.
    void ReopenForLaunch(const SingleInstance::Activation& activation);

protected:
    void ShowAboutBox() override;
    // Opens the preferences dialog, or brings the open one to the front.
    void DoPreferences() override;
    // A second launch, or a click on the tray icon: the windows come forward, or a data window opens.
    void DoReopenApp() override;

private:
    void OpenRecordedDataWindows(bool firstRun);
    void OpenRecordedGraphWindows(bool firstRun);
    void NewDataWindow();
    void NewGraphWindow();
    // Opens the first-run window, or brings the open one to the front.
    void ShowWelcomeWindow();
    void NewVersion();
    // The user's check: its outcome shows whatever it is.
    void CheckForNewVersion();
    // Starts the version check on a thread of its own, unless one is under way: that one's outcome will do.
    void StartVersionCheck();
    // The outcome comes back on the event loop: a new version shows; the rest shows only when the user
    // asked for the check.
    void VersionCheckEnded(const VersionCheckWorker::Outcome& outcome);
    // Asks for a folder, saves every sensor's data file and writes the history there as CSV.
    void ExportHistory();
    // The record is worth sending once the preferences are old enough and the first sensor holds enough
    // long-term samples.
    bool IsRecordWorthSending(uint32_t elapsed) const;
    // The request for the temperature record (once over the life of the preferences) and the welcome
    // window of a first run; true when either was issued.
    bool IssueStartUpPrompts(uint32_t elapsed);
    // The check of the launch starts once the windows and the tile are on screen, and only a new version
    // published shows.
    void CheckForNewVersionOnceShown();
    // The welcome window, the request for the record or the version check: once the first sample is in.
    void IssuePromptsOfTheLaunch();
    void StartUpVersionCheck();
    // Tells the user, once a run, that nothing can be saved in the program's folder and why, in a dialog
    // that holds nothing up.
    void TellNothingIsSaved(const std::string& reason);

    SensorMaster* mSensorMaster = nullptr;
    ComparisonMaster* mComparisonMaster = nullptr;
    DockIcon* mDockIcon = nullptr;
    uint32_t mLaunchSeconds = 0;
    // Only a program that read its preferences writes them back: one that failed before would replace
    // the user's settings with defaults.
    bool mStartedUp = false;
    // What the last version check found published.
    std::optional<std::string> mPublishedVersion;
    std::optional<std::string> mReleaseNotes;
    // Start-up has opened its windows; a reopen asked for before waits until then.
    bool mWindowsOpened = false;
    bool mReopenWaiting = false;
    bool mPromptsWaiting = false;
    std::unique_ptr<ReachabilityWatch> mReachability;
    std::unique_ptr<TrayHostWatch> mTrayHostWatch;
    // What the launch being handed over brought from its launcher, until its windows are shown.
    SingleInstance::Activation mActivation;
    std::unique_ptr<Notifier> mNotifier;
    std::unique_ptr<LimitWatch> mLimitWatch;
    ReadingsSharing::Overrides mSharingOverrides;
    std::unique_ptr<ReadingsSharing> mReadingsSharing;
    std::unique_ptr<QTimer> mStartUpCheck;
    int mStartUpCheckTries = 0;
    std::unique_ptr<VersionCheckWorker> mVersionCheck;
    // The user asked for the check under way (perhaps while the one of the launch ran).
    bool mVersionCheckAsked = false;
    bool mToldNothingIsSaved = false;
};
