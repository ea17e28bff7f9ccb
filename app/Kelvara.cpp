#include "app/Kelvara.h"

#include "app/AboutBox.h"
#include "app/ReachabilityWatch.h"
#include "app/SaveFailureDialog.h"
#include "compare/ComparisonMaster.h"
#include "compare/ComparisonWindow.h"
#include "compare/ComparisonWindowView.h"
#include "display/DataWindow.h"
#include "display/DataWindowGraph.h"
#include "display/DesktopNotifier.h"
#include "display/DockIcon.h"
#include "display/DockTile.h"
#include "display/DockTray.h"
#include "display/GraphWindow.h"
#include "display/GraphWindowView.h"
#include "framework/LException.h"
#include "framework/UFolderDialog.h"
#include "framework/UModalAlerts.h"
#include "framework/URegistrar.h"
#include "platform/FreedMemory.h"
#include "platform/Platform.h"
#include "platform/TrayHostWatch.h"
#include "platform/WindowActivation.h"
#include "prefs/DataWindowPrefs.h"
#include "prefs/GraphWindowPrefs.h"
#include "prefs/Preferences.h"
#include "prefs/PreferencesDialog.h"
#include "report/EmailDialog.h"
#include "report/MacPADCheck.h"
#include "report/NewVersionDialog.h"
#include "report/NewVersionFailDialog.h"
#include "report/PlaceholderAddress.h"
#include "report/ProductAddresses.h"
#include "report/ReportResources.h"
#include "report/UpToDateDialog.h"
#include "sensors/HistoryExport.h"
#include "sensors/LimitWatch.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "util/UtilitiesFolder.h"

#include <QMainWindow>
#include <QTimer>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

Kelvara::Kelvara()
    : mVersionCheck(std::make_unique<VersionCheckWorker>([this](const VersionCheckWorker::Outcome& outcome) {
        LException::ReportAndDrop("the version check", [&] { VersionCheckEnded(outcome); });
    }))
{
    RegisterClasses();
}

Kelvara::~Kelvara()
{
    // Quitting never waits for a check under way; its outcome, should it come now, is dropped.
    mVersionCheck.reset();
    mStartUpCheck.reset();
    if (mSensorMaster != nullptr)
        mSensorMaster->SetFirstRoundCall({});
    mReachability.reset();
    mTrayHostWatch.reset();
    mLimitWatch.reset();
    mReadingsSharing.reset();
    // The preferences first, while the open windows still exist so that their state is recorded; then
    // every sensor's data file. A failure of one must not cost the other.
    if (mStartedUp)
        LException::ReportAndDrop("saving the preferences", [] { Preferences::SavePrefs(); });
    // The windows and the tile let go of the sensors before they go.
    LWindow::DeleteAllWindows();
    if (mDockIcon != nullptr)
        LException::ReportAndDrop("stopping the tile", [this] { mDockIcon->ClearSensors(); });
    if (mSensorMaster != nullptr)
        mSensorMaster->TerminateAndSaveData();
}

void Kelvara::RegisterClasses()
{
    URegistrar::RegisterClass<DataWindow>(FourCC("Data"));
    URegistrar::RegisterClass<DataWindowGraph>(FourCC("Lgra"));
    URegistrar::RegisterClass<GraphWindow>(FourCC("Graf"));
    URegistrar::RegisterClass<GraphWindowView>(FourCC("GViw"));
    URegistrar::RegisterClass<PreferencesDialog>(FourCC("Pref"));
    URegistrar::RegisterClass<EmailDialog>(EmailDialog::class_ID);
    URegistrar::RegisterClass<ComparisonWindow>(FourCC("Comp"));
    URegistrar::RegisterClass<ComparisonWindowView>(FourCC("CViw"));
    URegistrar::RegisterClass<NewVersionDialog>(NewVersionDialog::class_ID);
    URegistrar::RegisterClass<NewVersionFailDialog>(NewVersionFailDialog::class_ID);
    URegistrar::RegisterClass<SaveFailureDialog>(SaveFailureDialog::class_ID);
    URegistrar::RegisterWindowClasses();
    URegistrar::RegisterStandardControls();
}

void Kelvara::StartUp()
{
    // Windows get the ordinary icon until the live tile is drawn at the end of start-up.
    RestoreApplicationDockTileImage();
    Preferences::Get();
    mLaunchSeconds = Platform::GetClock().GetDateTime();
    mComparisonMaster = ComparisonMaster::Get();

    mSensorMaster = SensorMaster::Get();
    if (mSensorMaster->GetSensorCount() == 0)
        UModalAlerts::StopAlert(kNoSensorsAlert);

    Preferences::ReadPrefs();
    mStartedUp = true;
    // The preferences go with the data files at the 10-minute save, on the writer's thread: a crash or a
    // power cut keeps the settings and the open windows of the run, a first run's too.
    mSensorMaster->SetSaveExtras([] {
        std::vector<UBackgroundWriter::File> files(1);
        files[0].what = "the preferences file";
        if (!Preferences::GatherPrefs(files[0].path, files[0].bytes))
            files.clear();
        return files;
    });
    // A disk that fills up while Kelvara runs shows at the first 10-minute save after.
    mSensorMaster->SetSaveFailureCall([this](const std::string& reason) {
        TellNothingIsSaved(WhyUtilitiesFolderCannotBeWritten().value_or(reason));
    });
    bool firstRun = SecondsSincePreferencesCreated() <= kFirstRunSeconds;

    // A window that cannot be re-opened must not keep the others, or the tile, from appearing.
    LException::ReportAndDrop("re-opening the data windows", [&] { OpenRecordedDataWindows(firstRun); });
    LException::ReportAndDrop("re-opening the graph windows", [&] { OpenRecordedGraphWindows(firstRun); });

    // A tray reached over D-Bus shows the icon only once its host has registered, perhaps long after.
    if (DockTray::WaitsForHost())
        mTrayHostWatch = std::make_unique<TrayHostWatch>([] { DockTile::Get()->TrayHostRegistered(); });
    // Without a tray, a program with no window could not be reached at all.
    if (!LWindow::IsDocumentWindowShown() && !DockTray::IsAvailable())
        LException::ReportAndDrop("opening a data window", [this] { NewDataWindow(); });

    mDockIcon = DockIcon::Get();
    mDockIcon->UpdateIcon();

    mNotifier = std::make_unique<DesktopNotifier>();
    LException::ReportAndDrop("watching the limits", [this] {
        mLimitWatch = std::make_unique<LimitWatch>(
            *mSensorMaster, *mNotifier, [](const std::string& summary) { DockTile::Get()->SetToolTip(summary); });
    });
    LException::ReportAndDrop("sharing the readings", [this] {
        mReadingsSharing = std::make_unique<ReadingsSharing>(
            *mSensorMaster, *mNotifier, mSharingOverrides, UResources::GetIndString(kKelvaraStrings, kVersionTextItem));
    });

    mReachability = std::make_unique<ReachabilityWatch>(*mSensorMaster);
    mWindowsOpened = true;
    // In front of the windows, so that a user who would lose what Kelvara records can quit at once.
    if (std::optional<std::string> reason = WhyUtilitiesFolderCannotBeWritten())
        TellNothingIsSaved(*reason);
    if (mReopenWaiting)
        DoReopenApp();
    // The first sample is taken on the reading threads; it counts toward the record like any other, so the
    // prompts of the launch wait for it.
    mPromptsWaiting = true;
    mSensorMaster->SetFirstRoundCall(
        [this] { LException::ReportAndDrop("the start-up prompts", [this] { IssuePromptsOfTheLaunch(); }); });
    // By then the data files are read and the windows drawn: what that needed goes back to the system.
    QTimer::singleShot(kReturnFreedMemoryMilliseconds, [] { ReturnFreedMemory(); });
}

void Kelvara::IssuePromptsOfTheLaunch()
{
    mPromptsWaiting = false;
    if (IsQuitting())
        return;
    // A launch that asked the user for something does not also tell of a new version.
    bool prompted = IssueStartUpPrompts(SecondsSincePreferencesCreated());
    if (!prompted && Preferences::Get()->GetVersionCheck() && !IsPlaceholderAddress(VersionCheckAddress()))
        CheckForNewVersionOnceShown();
}

void Kelvara::TellNothingIsSaved(const std::string& reason)
{
    if (std::exchange(mToldNothingIsSaved, true))
        return;
    std::string folder = UtilitiesFolderPath();
    std::fprintf(stderr, "Kelvara: nothing can be saved in \"%s\": %s; Kelvara goes on without saving.\n",
        folder.c_str(), reason.c_str());
    LException::ReportAndDrop("telling that nothing can be saved", [&] {
        std::unique_ptr<LWindow> window(LWindow::CreateWindow(SaveFailureDialog::kLayout, this));
        ThrowIfNil_(dynamic_cast<SaveFailureDialog*>(window.get()))->SetProblem(folder, reason);
        window.release()->Select(); // the window list has it
    });
}

bool Kelvara::IsRecordWorthSending(uint32_t elapsed) const
{
    return elapsed >= kRecordAfterSeconds && mSensorMaster != nullptr
        && mSensorMaster->GetSamplesOfFirstSensor() >= kRecordAfterSamples;
}

bool Kelvara::IssueStartUpPrompts(uint32_t elapsed)
{
    bool issued = false;
    Preferences* prefs = Preferences::Get();
    // With no address to send it to, the user is not asked: a build that has one asks then.
    if (IsRecordWorthSending(elapsed) && !prefs->GetSubmittedTimedData() && !IsPlaceholderAddress(RecordAddress())) {
        // Noted before the dialog opens: the user is asked once, whatever becomes of the dialog.
        prefs->SetSubmittedTimedData(true);
        LException::ReportAndDrop(
            "asking for the temperature record", [this] { ObeyCommand(cmd_SubmitRecord, nullptr); });
        issued = true;
    }
    if (elapsed <= kFirstRunSeconds) {
        LException::ReportAndDrop("opening the welcome window", [this] { ObeyCommand(cmd_WelcomeWindow, nullptr); });
        issued = true;
    }
    return issued;
}

void Kelvara::CheckForNewVersionOnceShown()
{
    mStartUpCheckTries = 0;
    mStartUpCheck = std::make_unique<QTimer>();
    mStartUpCheck->setInterval(kStartUpCheckPollMilliseconds);
    mStartUpCheck->callOnTimeout(
        [this] { LException::ReportAndDrop("the version check at start-up", [this] { StartUpVersionCheck(); }); });
    mStartUpCheck->start();
}

bool Kelvara::IsVersionCheckWaiting() const
{
    return mPromptsWaiting || (mStartUpCheck != nullptr && mStartUpCheck->isActive())
        || (mVersionCheck != nullptr && mVersionCheck->IsUnderWay());
}

void Kelvara::StartUpVersionCheck()
{
    // A window that the window system never exposes (on another workspace, say) delays the check a
    // little, never for good.
    if (!LWindow::AreShownWindowsExposed() && ++mStartUpCheckTries < kStartUpCheckPolls)
        return;
    mStartUpCheck->stop();
    if (!IsQuitting())
        StartVersionCheck();
}

void Kelvara::DoReopenApp()
{
    if (!mWindowsOpened) {
        mReopenWaiting = true;
        return;
    }
    mReopenWaiting = false;
    SingleInstance::Activation activation = std::exchange(mActivation, {});
    LWindow* front = nullptr;
    // A copy: selecting a window does not change the list, but a command could.
    std::vector<LWindow*> windows = LWindow::GetWindowList();
    for (LWindow* window : windows) {
        if (window->GetKind() == LWindow::Kind::Document && window->IsVisible()) {
            window->Select();
            front = window;
        }
    }
    if (front == nullptr) {
        NewDataWindow();
        front = LWindow::GetWindowList().back();
    }
    if (!activation.startupId.empty() || !activation.activationToken.empty())
        WindowActivation::Activate(*front->GetTopLevel(), activation.startupId, activation.activationToken);
}

void Kelvara::ReopenForLaunch(const SingleInstance::Activation& activation)
{
    mActivation = activation;
    ObeyCommand(cmd_ReopenApplication, nullptr);
}

void Kelvara::WindowClosed()
{
    if (mWindowsOpened && !IsQuitting() && !LWindow::IsDocumentWindowShown() && !DockTray::IsAvailable()) {
        // The user closed the last window to leave, not to lose it: the next start opens it again.
        Preferences::Get()->KeepLastClosedWindow();
        ObeyCommand(cmd_Quit, nullptr);
    }
}

uint32_t Kelvara::SecondsSincePreferencesCreated() const
{
    // Unsigned, so that a clock set back reads as a long time rather than as a first run.
    return mLaunchSeconds - Preferences::Get()->GetCreationSeconds();
}

namespace {

// A new window of layout, registered with the preferences so that they record it at quit.
template <typename Window, typename Add>
Window* MakeWindow(ResIDT layout, LCommander* superCommander, Add addToPreferences)
{
    auto* window = dynamic_cast<Window*>(LWindow::CreateWindow(layout, superCommander));
    ThrowIfNil_(window);
    (Preferences::Get()->*addToPreferences)(window);
    return window;
}

// One window per record read from the preferences, put back as the record says. Like a new window, one
// whose record cannot be applied in full still opens with what it has, and the next record follows.
template <typename Window, typename Record, typename Add>
void ReopenWindows(
    TArray<Record*>* records, ResIDT layout, LCommander* superCommander, Add addToPreferences, const char* kind)
{
    ArrayIndexT count = records->GetCount();
    if (count > Kelvara::kMostRestoredWindows) {
        std::fprintf(stderr, "Kelvara: the preferences record %d %s windows; only the first %d are re-opened.\n",
            static_cast<int>(count), kind, static_cast<int>(Kelvara::kMostRestoredWindows));
        count = Kelvara::kMostRestoredWindows;
    }
    for (ArrayIndexT i = 1; i <= count; ++i) {
        LException::ReportAndDrop("re-opening a recorded window", [&] {
            Window* window = MakeWindow<Window>(layout, superCommander, addToPreferences);
            LException::ReportAndDrop("restoring a recorded window", [&] { window->SetWindowPrefs((*records)[i]); });
            window->Show();
        });
    }
}

}

void Kelvara::OpenRecordedDataWindows(bool firstRun)
{
    TArray<DataWindowPrefs*>* records = Preferences::Get()->GetDataWindowPrefsArray();
    if (records->GetCount() > 0)
        ReopenWindows<DataWindow>(records, kDataWindowLayout, this, &Preferences::AddDataWindow, "data");
    else if (firstRun)
        NewDataWindow();
}

void Kelvara::OpenRecordedGraphWindows(bool firstRun)
{
    TArray<GraphWindowPrefs*>* records = Preferences::Get()->GetGraphWindowPrefsArray();
    if (records->GetCount() > 0)
        ReopenWindows<GraphWindow>(records, kGraphWindowLayout, this, &Preferences::AddGraphWindow, "graph");
    else if (firstRun)
        NewGraphWindow();
}

void Kelvara::NewDataWindow()
{
    MakeWindow<DataWindow>(kDataWindowLayout, this, &Preferences::AddDataWindow)->Select();
}

void Kelvara::NewGraphWindow()
{
    MakeWindow<GraphWindow>(kGraphWindowLayout, this, &Preferences::AddGraphWindow)->Select();
}

bool Kelvara::ObeyCommand(CommandT command, void* parameter)
{
    switch (command) {
    case cmd_NewGraphWindow:
        NewGraphWindow();
        return true;
    case cmd_NewDataWindow:
        NewDataWindow();
        return true;
    case cmd_WelcomeWindow:
        ShowWelcomeWindow();
        return true;
    case cmd_CompareMachines:
        // Its layout shows it; several may be open, and none is recorded at quit.
        ThrowIfNil_(LWindow::CreateWindow(kComparisonWindowLayout, this));
        return true;
    case cmd_NewVersion:
        NewVersion();
        return true;
    case cmd_CheckForNewVersion:
        CheckForNewVersion();
        return true;
    case cmd_SubmitRecord:
        ThrowIfNil_(LWindow::CreateWindow(EmailDialog::kLayout, this));
        return true;
    case cmd_ExportHistory:
        ExportHistory();
        return true;
    default:
        return LApplication::ObeyCommand(command, parameter);
    }
}

void Kelvara::FindCommandStatus(CommandT command, bool& enabled, bool& usesMark, uint16_t& mark, Str255& name)
{
    switch (command) {
    case cmd_NewGraphWindow:
    case cmd_NewDataWindow:
    case cmd_WelcomeWindow:
    case cmd_CompareMachines:
    case cmd_NewVersion:
    case cmd_ExportHistory:
        enabled = true;
        usesMark = false;
        break;
    // A build whose address reaches nobody offers nothing that would use it, and says why.
    case cmd_CheckForNewVersion:
        enabled = !IsPlaceholderAddress(VersionCheckAddress());
        usesMark = false;
        UResources::GetIndString(
            name, kKelvaraStrings, enabled ? kCheckForNewVersionItem : kCheckForNewVersionNoAddressItem);
        break;
    case cmd_SubmitRecord: {
        usesMark = false;
        if (IsPlaceholderAddress(RecordAddress())) {
            enabled = false;
            UResources::GetIndString(name, kKelvaraStrings, kSubmitRecordNoAddressItem);
            break;
        }
        uint32_t elapsed = Platform::GetClock().GetDateTime() - Preferences::Get()->GetCreationSeconds();
        enabled = IsRecordWorthSending(elapsed);
        UResources::GetIndString(name, kKelvaraStrings, enabled ? kSubmitRecordItem : kSubmitRecordLaterItem);
        break;
    }
    default:
        LApplication::FindCommandStatus(command, enabled, usesMark, mark, name);
        break;
    }
}

namespace {

// The open window whose layout gave it paneID (a window that is on its way out does not count).
template <typename Window = LWindow> Window* FindOpenWindow(PaneIDT paneID = 0)
{
    for (LWindow* window : LWindow::GetWindowList()) {
        auto* found = dynamic_cast<Window*>(window);
        if (found != nullptr && found->IsVisible() && (paneID == 0 || found->GetPaneID() == paneID))
            return found;
    }
    return nullptr;
}

}

void Kelvara::DoPreferences()
{
    auto* dialog = FindOpenWindow<PreferencesDialog>();
    if (dialog == nullptr) {
        dialog
            = ThrowIfNil_(dynamic_cast<PreferencesDialog*>(LWindow::CreateWindow(PreferencesDialog::kLayoutID, this)));
        dialog->OfferVersionCheck(!IsPlaceholderAddress(VersionCheckAddress()));
    }
    dialog->Select();
}

void Kelvara::ShowWelcomeWindow()
{
    LWindow* window = FindOpenWindow(kWelcomeWindowID);
    if (window == nullptr)
        window = ThrowIfNil_(LWindow::CreateWindow(kWelcomeWindowLayout, this));
    window->Select();
}

void Kelvara::ShowAboutBox()
{
    RunAboutBox(this, WebPageAddress());
}

void Kelvara::StartVersionCheck()
{
    mVersionCheck->Start(UResources::GetIndString(kKelvaraStrings, kVersionTextItem), VersionCheckAddress());
}

void Kelvara::NewVersion()
{
    std::unique_ptr<LWindow> window(LWindow::CreateWindow(NewVersionDialog::kLayout, this));
    auto* dialog = ThrowIfNil_(dynamic_cast<NewVersionDialog*>(window.get()));
    if (mPublishedVersion)
        dialog->SetPublishedVersion(*mPublishedVersion, mReleaseNotes.value_or(""));
    window.release(); // the window list has it
}

void Kelvara::CheckForNewVersion()
{
    // The user's own check stands for the one of the launch, whether that still waits for the windows or
    // already waits for the server.
    if (mStartUpCheck != nullptr)
        mStartUpCheck->stop();
    mVersionCheckAsked = true;
    StartVersionCheck();
}

void Kelvara::VersionCheckEnded(const VersionCheckWorker::Outcome& outcome)
{
    bool asked = std::exchange(mVersionCheckAsked, false);
    mPublishedVersion = outcome.publishedVersion;
    mReleaseNotes = outcome.releaseNotes;
    if (IsQuitting())
        return;
    if (outcome.code == kMacPADNewVersion)
        return NewVersion();
    // The launch's check shows nothing else: a failure was told on standard error.
    if (!asked)
        return;
    if (outcome.code == kMacPADUpToDate)
        return RunUpToDateDialog(this);
    std::unique_ptr<LWindow> window(LWindow::CreateWindow(NewVersionFailDialog::kLayout, this));
    auto* dialog = ThrowIfNil_(dynamic_cast<NewVersionFailDialog*>(window.get()));
    dialog->SetFailureCode(outcome.code);
    dialog->Show();
    window.release(); // the window list has it
}

void Kelvara::ExportHistory()
{
    const char* home = std::getenv("HOME");
    std::optional<std::string> folder = UFolderDialog::ChooseFolder("Export History", home != nullptr ? home : "/");
    if (!folder)
        return;
    // The files on disk hold the history up to their last save; saved now, they hold all of it.
    mSensorMaster->SaveNow();
    HistoryExportResult result = HistoryExport::ExportProgramFolder(*folder);
    std::string written = std::to_string(result.written.size()) + (result.written.size() == 1 ? " sensor" : " sensors");
    if (result.problems.empty()) {
        UModalAlerts::ShowAlert(kHistoryExportedAlert,
            "The history of " + written + " is in " + *folder
                + ", one CSV file per sensor: the time and the temperature in degrees Celsius, one line a minute.");
        return;
    }
    std::string detail = "The history of " + written + " was written to " + *folder + ".";
    for (std::string problem : result.problems) {
        problem[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(problem[0])));
        detail += "\n\n" + problem + ".";
    }
    UModalAlerts::ShowAlert(kHistoryNotExportedAlert, detail);
}
