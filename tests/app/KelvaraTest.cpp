#include "app/Kelvara.h"
#include "app/AboutBox.h"
#include "app/SaveFailureDialog.h"
#include "compare/ComparisonWindow.h"
#include "display/DataWindow.h"
#include "display/DockIcon.h"
#include "display/DockTile.h"
#include "display/DockTray.h"
#include "display/GraphWindow.h"
#include "framework/LBevelButton.h"
#include "framework/LControl.h"
#include "framework/LDialogBox.h"
#include "framework/LPushButton.h"
#include "framework/LWindow.h"
#include "framework/UFolderDialog.h"
#include "framework/UMenuBar.h"
#include "framework/UModalAlerts.h"
#include "framework/UScreenPlacement.h"
#include "prefs/DataWindowPrefs.h"
#include "prefs/GraphWindowPrefs.h"
#include "prefs/Preferences.h"
#include "prefs/PreferencesDialog.h"
#include "report/EmailDialog.h"
#include "report/PlaceholderAddress.h"
#include "report/ReportResources.h"
#include "report/VersionCheckWorker.h"
#include "sensors/SensorMaster.h"
#include "tests/report/LocalReplyServer.h"
#include "tests/report/ProductInformation.h"
#include "tests/support/FixturePlatform.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <poll.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

namespace {

// What a run with one sensor, Board, leaves in the program's folder.
const std::vector<std::string> kBoardFiles { "01 Board", "Kelvara Preferences", "Kelvara Settings.ini",
    "Kelvara Timeline" };

class KelvaraApplication : public ::testing::Test {
protected:
    KelvaraApplication()
    {
        UModalAlerts::SetHandler([this](ResIDT id, const AlertText& text) {
            alerts.push_back(id);
            alertText = text.text;
        });
    }
    ~KelvaraApplication() override
    {
        UModalAlerts::SetHandler({});
        DockTray::SetAvailableForTesting(std::nullopt);
        ForgetTheRun();
        ::unsetenv("KELVARA_VERSION_URL");
        ::unsetenv("KELVARA_RECORD_ADDRESS");
    }

    // What ending the process does to the program's singletons, so that the next Kelvara starts afresh.
    static void ForgetTheRun()
    {
        LWindow::DeleteAllWindows();
        DockIcon::DeleteInstanceForTesting();
        DockTile::DeleteInstanceForTesting();
        FixturePlatform::ResetSingletons();
    }

    // The launch, up to the prompts that follow its first sample.
    static void StartUp(Kelvara& application)
    {
        application.StartUp();
        while (application.ArePromptsWaiting())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }

    // The names a window record holds.
    static std::vector<std::string> Names(SensorNameList* list)
    {
        std::vector<std::string> names;
        for (ArrayIndexT i = 1; i <= list->GetCount(); ++i)
            names.push_back(Str255ToString((*list)[i]));
        return names;
    }

    // The open windows of a kind, or with a title.
    template <typename T = LWindow> static std::vector<T*> Windows(const std::string& title = {})
    {
        std::vector<T*> windows;
        for (LWindow* window : LWindow::GetWindowList()) {
            auto* found = dynamic_cast<T*>(window);
            if (found != nullptr && (title.empty() || window->GetDescriptor() == title))
                windows.push_back(found);
        }
        return windows;
    }

    FixturePlatform platform;
    std::vector<ResIDT> alerts;
    std::string alertText;
};

// A preferences file that cannot be read, with the clock ticking between its readings.
constexpr uint32_t kDamagedPreferences = UINT32_MAX;

// What the start-up asks and shows, by the age of the preferences, the first sensor's long-term samples,
// the stored version-check byte, whether the record was asked for before, the server's answer, and whether
// the addresses reach anybody.
struct StartUpCase {
    std::string name;
    uint32_t elapsed; // 0: no preferences file yet; or kDamagedPreferences
    int32_t samples;
    uint8_t versionCheck;
    bool askedBefore;
    std::string server; // "new": a different version is published; "same": this one; "error": an error page
    bool welcome, recordRequested, serverAsked, newVersionShown;
    std::string versionAddress = {}; // the server's when empty
    std::string recordAddress = "records@kelvara.org";
};

class StartUpPrompts : public KelvaraApplication, public ::testing::WithParamInterface<StartUpCase> { };

const StartUpCase kStartUpCases[] = {
    { "FirstLaunch", 0, 1, 1, false, "new", true, false, false, false },
    // Regression: a damaged file started no true first run when the clock ticked between its readings
    // (4294967295 seconds, no window).
    { "DamagedPreferences", kDamagedPreferences, 1, 1, false, "new", true, false, false, false },
    { "NineSecondsAfterTheFirst", 9, 1, 1, false, "new", true, false, false, false },
    { "TenSecondsAfterTheFirst", 10, 1, 1, false, "new", false, false, true, true },
    { "RecordWorthSending", 25201, 301, 1, false, "new", false, true, false, false },
    { "ThreeHundredSamples", 25201, 300, 1, false, "new", false, false, true, true },
    // Asked once over the life of the preferences, whatever the user did then.
    { "RecordAskedForBefore", 25201, 301, 1, true, "new", false, false, true, true },
    { "UpToDateShowsNothing", 3600, 1, 1, false, "same", false, false, true, false },
    { "FailureShowsNothing", 3600, 1, 1, false, "error", false, false, true, false },
    { "VersionCheckOff", 3600, 1, 0, false, "new", false, false, false, false },
    { "VersionCheck255CountsAsOff", 3600, 1, 255, false, "new", false, false, false, false },
    { "NoUpdateAddress", 3600, 1, 1, false, "new", false, false, false, false, "http://kelvara.example/p" },
    // Not asked for, the record is asked for at a launch of a build that has an address.
    { "NoRecordAddress", 25201, 301, 1, false, "new", false, false, true, true, {}, "records@kelvara.example" },
};

}

TEST_F(KelvaraApplication, NoSensorAlertsOnceAndRunsOn)
{
    testing::internal::CaptureStdout();
    {
        Kelvara application;
        StartUp(application);
        EXPECT_EQ(application.GetSensorMaster()->GetSensorCount(), 0);
    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(alerts, std::vector<ResIDT>({ Kelvara::kNoSensorsAlert }));
    EXPECT_NE(alertText.find("no temperature sensor"), std::string::npos);
    // Quitting wrote no data file.
    EXPECT_FALSE(TestFiles::Exists(platform.ProgramFolder() + "/01 "));
}

// Quit, the session closing (SIGTERM, SIGHUP) and Ctrl+C (SIGINT) all end the loop and write every file,
// whatever signals come on the way out. So does a quit while the version check waits for a server that says
// nothing, without waiting for the check, which, left to end alone, shows nothing once Kelvara has gone.
TEST_F(KelvaraApplication, EveryWayToQuitSavesEverySensor)
{
    platform.AddTempSensor("Board", 40);
    platform.Processors().SetReadings({ 50 });
    std::atomic<bool> requested = false, released = false;
    std::atomic<bool> checkEnded = false; // the check closed the connection before the server let go
    LocalReplyServer server([&](LocalReplyServer&, int socket) {
        requested = true;
        pollfd client { socket, POLLIN, 0 };
        char byte = 0;
        while (!released) {
            if (::poll(&client, 1, 20) > 0 && ::recv(socket, &byte, 1, 0) <= 0)
                return void(checkEnded = true);
        }
    });
    ::setenv("KELVARA_VERSION_URL", server.URL().c_str(), 1);
    testing::internal::CaptureStderr();
    constexpr int kDuringACheck = -1;
    for (int way : { 0, SIGTERM, SIGHUP, SIGINT, kDuringACheck }) {
        SCOPED_TRACE(way);
        ForgetTheRun();
        std::filesystem::remove_all(platform.ProgramFolder());
        {
            Kelvara application;
            QTimer quit;
            QObject::connect(&quit, &QTimer::timeout, [&] {
                if (requested) // the server has the check's request
                    LCommander::ProcessCommand(cmd_Quit);
            });
            QTimer::singleShot(0, [&] {
                if (way == kDuringACheck) {
                    application.ObeyCommand(cmd_CheckForNewVersion, nullptr);
                    quit.start(10);
                } else if (way == 0) {
                    EXPECT_TRUE(LCommander::ProcessCommand(cmd_Quit));
                } else {
                    ::raise(way);
                }
            });
            application.Run(); // returns only because the loop was ended
            // Ctrl+C again, or the session's second SIGTERM, while the files are being written: ignored.
            for (int again : { SIGTERM, SIGINT, SIGHUP })
                ::raise(again);
            EXPECT_FALSE(TestFiles::Exists(platform.ProgramFolder() + "/01 Board")) << "nothing is saved before quit";
        }
        EXPECT_EQ(TestFiles::List(platform.ProgramFolder()),
            (std::vector<std::string> {
                "01 Board", "02 CPU temperature", "Kelvara Preferences", "Kelvara Settings.ini", "Kelvara Timeline" }));
        EXPECT_EQ(SensorMaster::Get()->GetSensorCount(), 0);
    }
    EXPECT_FALSE(checkEnded) << "quitting waited for the check";
    released = true;
    server.Request();
    while (VersionCheckWorker::ChecksRunning() > 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    QCoreApplication::processEvents();
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(LWindow::GetWindowList().empty()) << "the check's outcome came after Kelvara had gone";
    EXPECT_TRUE(alerts.empty());
}

TEST_P(StartUpPrompts, FollowTheAgeOfThePreferencesAndTheData)
{
    const StartUpCase& row = GetParam();
    platform.AddTempSensor("Board", 45);
    std::string reply = row.server == "error"
        ? "HTTP/1.0 404 Not Found\r\n\r\nNo."
        : ProductInformation::Reply(ProductInformation::File(
            row.server == "new" ? "99.0" : UResources::GetIndString(kKelvaraStrings, kVersionTextItem), "Cooler."));
    LocalReplyServer server(LocalReplyServer::Reply(reply));
    ::setenv("KELVARA_VERSION_URL", row.versionAddress.empty() ? server.URL().c_str() : row.versionAddress.c_str(), 1);
    ::setenv("KELVARA_RECORD_ADDRESS", row.recordAddress.c_str(), 1);
    const std::string preferences = platform.ProgramFolder() + "/Kelvara Preferences";
    if (row.elapsed == kDamagedPreferences) {
        TestFiles::WriteBytes(preferences, { 0, 120, 0 });
        platform.Clock().SetTickPerReading(1);
    } else if (row.elapsed > 0) {
        {
            Kelvara first;
            StartUp(first);
            Preferences::Get()->SetSubmittedTimedData(row.askedBefore);
        }
        ForgetTheRun();
        std::vector<uint8_t> bytes = TestFiles::ReadBytes(preferences);
        ASSERT_FALSE(bytes.empty());
        bytes.back() = row.versionCheck; // the file's last byte
        TestFiles::WriteBytes(preferences, bytes);
        platform.Clock().Advance(row.elapsed);
    }
    // Board's data file, with the first sample of the launch making row.samples long-term samples.
    std::vector<int32_t> file = { 3, FixturePlatform::Fixed16(30), FixturePlatform::Fixed16(60), row.samples - 1 };
    file.insert(file.end(), row.samples - 1, FixturePlatform::Fixed16(45));
    file.push_back(0);
    TestFiles::WriteBytes(platform.ProgramFolder() + "/01 Board", TestFiles::BigEndian32(file));

    Kelvara application;
    testing::internal::CaptureStderr();
    StartUp(application);
    EXPECT_EQ(application.IsVersionCheckWaiting(), row.serverAsked) << "the version check of the launch is on its way";
    while (application.IsVersionCheckWaiting())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(message.find("is damaged") != std::string::npos, row.elapsed == kDamagedPreferences) << message;
    // A first run opens one window of each kind, a later one those recorded at quit.
    EXPECT_EQ(Windows<DataWindow>().size(), 1u);
    EXPECT_EQ(Windows<GraphWindow>().size(), 1u);
    EXPECT_FALSE(DockTile::Get()->IsShowingApplicationImage()) << "the live tile is drawn at the end of start-up";
    ASSERT_EQ(application.GetSensorMaster()->GetSamplesOfFirstSensor(), static_cast<uint32_t>(row.samples));
    EXPECT_EQ(Windows("Welcome to Kelvara").size(), row.welcome ? 1u : 0u);
    EXPECT_EQ(Windows<EmailDialog>().size(), row.recordRequested ? 1u : 0u);
    EXPECT_EQ(Preferences::Get()->GetSubmittedTimedData(), row.recordRequested || row.askedBefore);
    EXPECT_EQ(Windows("New Version of Kelvara").size(), row.newVersionShown ? 1u : 0u);
    EXPECT_TRUE(Windows("Version Check Failed").empty()) << "a failure at start-up shows nothing";
    EXPECT_EQ(server.Request().empty(), !row.serverAsked);
}

INSTANTIATE_TEST_SUITE_P(Launches, StartUpPrompts, ::testing::ValuesIn(kStartUpCases),
    [](const ::testing::TestParamInfo<StartUpCase>& info) { return info.param.name; });

// Every window's menus carry every command, each enabled or dimmed by the commander chain; with placeholder
// addresses, so is every command that would use them, and the preferences offer no check at start-up. Asked for
// again, the welcome window and the preferences come forward; the preferences dim every command. File > Export
// History… saves first, so the CSV holds this run's samples too; cancelling does nothing.
TEST_F(KelvaraApplication, MenusCarryEveryCommandWithItsStateDialogsOpenOnceAndTheHistoryExports)
{
    platform.AddTempSensor("amdgpu junction", 45.125);
    platform.Processors().SetReadings({ 52 });
    ::setenv("KELVARA_VERSION_URL", "http://kelvara.example/p", 1);
    ::setenv("KELVARA_RECORD_ADDRESS", "records@kelvara.example", 1);
    Kelvara application;
    StartUp(application);
    DataWindow* window = Windows<DataWindow>().front();
    std::vector<std::string> items; // menu, text, shortcut, and whether it is dimmed
    for (QAction* menu : window->GetTopLevel()->menuBar()->actions()) {
        UMenuBar::UpdateStatus(menu->menu(), window);
        for (QAction* item : menu->menu()->actions()) {
            if (!item->isSeparator())
                items.push_back(menu->text().toStdString() + " > " + item->text().toStdString()
                    + (item->shortcut().isEmpty() ? "" : " (" + item->shortcut().toString().toStdString() + ")")
                    + (item->isEnabled() ? "" : " [dimmed]"));
        }
    }
    EXPECT_EQ(items,
        (std::vector<std::string> { "&File > New Data Window (Ctrl+D)", "&File > New Graph Window (Ctrl+N)",
            "&File > Compare Machines… (Ctrl+K)", "&File > Export History…", "&File > Close (Ctrl+W)",
            "&File > Quit Kelvara (Ctrl+Q)", "&Edit > Preferences… (Ctrl+,)", "&Help > Welcome to Kelvara",
            "&Help > Check for New Version… (no update address) [dimmed]",
            "&Help > Send Temperature Record… (no record address) [dimmed]", "&Help > About Kelvara" }));

    for (const char* address : { "http://kelvara.example/p", "http://updates.kelvara.org/kelvara.plist" }) {
        SCOPED_TRACE(address);
        ::setenv("KELVARA_VERSION_URL", address, 1);
        for (int time = 0; time < 2; ++time) {
            EXPECT_TRUE(application.ObeyCommand(cmd_WelcomeWindow, nullptr));
            EXPECT_TRUE(application.ObeyCommand(cmd_Preferences, nullptr));
        }
        EXPECT_EQ(Windows("Welcome to Kelvara").size(), 1u);
        ASSERT_EQ(Windows<PreferencesDialog>().size(), 1u);
        PreferencesDialog* preferences = Windows<PreferencesDialog>().front();
        bool enabled = true, usesMark = false;
        uint16_t mark = 0;
        Str255 name {};
        for (CommandT command : { cmd_NewDataWindow, cmd_Quit, cmd_Preferences, cmd_About }) {
            preferences->FindCommandStatus(command, enabled, usesMark, mark, name);
            EXPECT_FALSE(enabled) << FourCCToText(command);
        }
        auto* checkBox = dynamic_cast<LControl*>(preferences->FindPaneByID(FourCC("Chek")));
        ASSERT_NE(checkBox, nullptr);
        EXPECT_EQ(checkBox->IsEnabled(), !IsPlaceholderAddress(address));
        EXPECT_EQ(checkBox->GetValue(), 1) << "as the preferences have it";
        preferences->AttemptClose();
        QCoreApplication::processEvents(); // the dialog goes once its closing has been handled
    }

    TemporaryFolder destination;
    std::optional<std::string> chosen;
    UFolderDialog::SetChooser([&](const std::string&, const std::string&) { return chosen; });
    EXPECT_TRUE(application.ObeyCommand(cmd_ExportHistory, nullptr));
    EXPECT_TRUE(alerts.empty()) << "cancelled";
    chosen = destination.Path();
    EXPECT_TRUE(application.ObeyCommand(cmd_ExportHistory, nullptr));
    UFolderDialog::SetChooser({});
    EXPECT_EQ(alerts, std::vector<ResIDT>({ Kelvara::kHistoryExportedAlert }));
    ASSERT_EQ(TestFiles::List(destination.Path()),
        (std::vector<std::string> { "01 amdgpu junction.csv", "02 CPU temperature.csv" }));
    std::vector<uint8_t> csv = TestFiles::ReadBytes(destination / "01 amdgpu junction.csv");
    EXPECT_EQ(std::string(csv.end() - 8, csv.end()), ",45.125\n") << "the sample taken at start-up";
}

// Never running invisibly: without a tray, closing the last window quits (every file written) and the next
// start opens that window again where it was; with a tray, whose icon reaches Kelvara, neither happens. A
// start with no window to re-open and no tray opens one, and so does the tray going away.
TEST_F(KelvaraApplication, WithoutATrayTheLastWindowQuitsAndComesBackWhereItWas)
{
    platform.AddTempSensor("Board", 40);
    for (bool tray : { false, true }) {
        SCOPED_TRACE(tray ? "with a tray" : "without a tray");
        DockTray::SetAvailableForTesting(tray);
        ForgetTheRun();
        std::filesystem::remove_all(platform.ProgramFolder());
        Rect closedAt {};
        {
            Kelvara application;
            std::function<void()> closeAll = [&] {
                if (application.GetDockIcon() == nullptr) // start-up still to come
                    return QTimer::singleShot(10, closeAll);
                // The data window, moved, is the last to close.
                DataWindow* data = Windows<DataWindow>().front();
                data->MoveWindowTo(150, 120);
                data->GetGlobalBounds(closedAt);
                for (LWindow* window : std::vector<LWindow*>(LWindow::GetWindowList())) {
                    if (window != data)
                        window->ObeyCommand(cmd_Close, nullptr);
                }
                EXPECT_FALSE(LApplication::IsQuitting());
                data->ObeyCommand(cmd_Close, nullptr);
                EXPECT_EQ(LApplication::IsQuitting(), !tray);
                if (tray)
                    LCommander::ProcessCommand(cmd_Quit);
            };
            QTimer::singleShot(0, closeAll);
            application.Run();
        }
        EXPECT_EQ(TestFiles::List(platform.ProgramFolder()), kBoardFiles);

        ForgetTheRun();
        platform.Clock().Advance(10);
        {
            Kelvara application;
            StartUp(application);
            ASSERT_EQ(Windows<DataWindow>().size(), tray ? 0u : 1u);
            EXPECT_TRUE(Windows<GraphWindow>().empty());
            Rect reopened {};
            if (!tray)
                Windows<DataWindow>().front()->GetGlobalBounds(reopened);
            EXPECT_EQ(reopened, tray ? Rect {} : closedAt);
            if (tray) {
                // The tray goes away: the next sample brings a window back.
                DockTray::SetAvailableForTesting(false);
                SensorMaster::Get()->BroadcastMessage(msg_SamplesRecorded);
                EXPECT_EQ(Windows<DataWindow>().size(), 1u);
            }
        }
    }
    // Without windows to re-open and without a tray, a start opens a data window.
    DockTray::SetAvailableForTesting(false);
    ForgetTheRun();
    platform.Clock().Advance(10);
    Kelvara application;
    StartUp(application);
    EXPECT_EQ(Windows<DataWindow>().size(), 1u);
}

// A later launch brings back every window, minimised ones too; a click on the tray icon brings the windows
// forward, or opens a data window when none is open. The windows open at quit come back at the next start;
// closed ones, and comparison windows, do not.
TEST_F(KelvaraApplication, ALaterLaunchOrATrayClickBringsBackTheWindows)
{
    platform.AddTempSensor("Board", 40);
    DockTray::SetAvailableForTesting(true);
    {
        Kelvara application;
        StartUp(application);
        std::vector<LWindow*> windows { Windows<DataWindow>().front(), Windows<GraphWindow>().front() };
        for (LWindow* window : windows) {
            window->GetTopLevel()->showMinimized();
            ASSERT_TRUE(window->GetTopLevel()->isMinimized());
        }
        application.ReopenForLaunch({ "openbox/kelvara-1-host-0_TIME99", "" });
        for (LWindow* window : windows) {
            EXPECT_FALSE(window->GetTopLevel()->isMinimized()) << window->GetDescriptor();
            EXPECT_TRUE(window->GetTopLevel()->isVisible()) << window->GetDescriptor();
        }
        EXPECT_EQ(Windows<DataWindow>().size(), 1u) << "no window was added";

        DockTray tray;
        LCommander::SetTarget(&application);
        tray.Clicked();
        QCoreApplication::processEvents();
        ASSERT_EQ(LWindow::GetWindowList().size(), 3u) << "the data, graph and welcome windows";
        EXPECT_EQ(LCommander::GetTarget(), LWindow::GetWindowList().back()) << "the windows came forward";
        LWindow::DeleteAllWindows();
        tray.Clicked();
        QCoreApplication::processEvents();
        EXPECT_EQ(Windows<DataWindow>().size(), 1u);

        ASSERT_TRUE(application.ObeyCommand(cmd_NewDataWindow, nullptr));
        ASSERT_TRUE(application.ObeyCommand(cmd_NewDataWindow, nullptr));
        Windows<DataWindow>().back()->AttemptClose();
        ASSERT_TRUE(application.ObeyCommand(cmd_CompareMachines, nullptr));
        ASSERT_EQ(Windows<ComparisonWindow>().size(), 1u);
        EXPECT_TRUE(Windows<ComparisonWindow>().front()->GetTopLevel()->isVisible());
    }
    ForgetTheRun();
    platform.Clock().Advance(3600);
    Kelvara application;
    StartUp(application);
    EXPECT_EQ(Windows<DataWindow>().size(), 2u);
    EXPECT_TRUE(Windows<GraphWindow>().empty()) << "none was open at quit, and this is not a first run";
    EXPECT_TRUE(Windows<ComparisonWindow>().empty());
}

// The about box shows this build's version; its link opens the web page and leaves the box open until OK.
// A placeholder web page gets no link.
TEST_F(KelvaraApplication, AboutBoxShowsTheVersionAndLinksToTheWebPage)
{
    for (const std::string webPage : { "https://kelvara.example/kelvara/", "https://kelvara.org/" }) {
        SCOPED_TRACE(webPage);
        const bool linked = webPage != "https://kelvara.example/kelvara/";
        platform.Launcher().launched.clear();
        Kelvara application;
        std::string version;
        bool linkShown = false;
        int clicks = 0;
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, [&] {
            for (LWindow* window : LWindow::GetWindowList()) {
                auto* box = dynamic_cast<LDialogBox*>(window);
                // OK waits until the box has acted on the link, as a user's would.
                if (box == nullptr || !box->GetTopLevel()->isVisible() || clicks == 2
                    || (clicks == 1 && platform.Launcher().launched.empty()))
                    continue;
                version = box->FindPaneByID(FourCC("Vers"))->GetDescriptor();
                LPane* link = box->FindPaneByID(msg_AboutWebPage);
                linkShown = link->IsVisible() && link->GetDescriptor() == webPage;
                bool follow = clicks == 0 && linkShown;
                clicks = follow ? 1 : 2;
                static_cast<LPushButton*>(box->FindPaneByID(FourCCFromText(follow ? "Webs" : "okay")))
                    ->SimulateHotSpotClick();
            }
        });
        user.start(10);
        RunAboutBox(&application, webPage);
        EXPECT_EQ(clicks, 2) << "the box stays open until the user confirms it";
        EXPECT_TRUE(LWindow::GetWindowList().empty());
        EXPECT_EQ(version, "Version " + UResources::GetIndString(kKelvaraStrings, kVersionTextItem));
        EXPECT_EQ(linkShown, linked);
        EXPECT_EQ(
            platform.Launcher().launched, linked ? std::vector<std::string> { webPage } : std::vector<std::string> {});
    }
}

// Regression: a graph window recorded at 32000 x 32000 took 7.8 GB, one near the 16-bit edge was saved with
// its right edge wrapped round, and a damaged file asking for thousands of windows opened them all. Regression:
// a sensor named in a window record but missing at this launch (a drive unplugged) was erased at the first quit;
// it keeps its place so that the choice comes back with the sensor.
TEST_F(KelvaraApplication, RestoredWindowsAreBoundedAndKeepTheirMissingSensors)
{
    platform.AddTempSensor("Board", 40);
    platform.AddTempSensor("Drive", 35);
    const Rect screen = UScreenPlacement::AvailableScreenAreas().at(0);
    const struct {
        const char* name;
        Rect recorded;
        int width, height; // 0: no larger than the screen
    } cases[] = {
        { "huge", { 0, 0, 32000, 32000 }, 0, 0 },
        { "inverted", { 400, 500, 100, 200 }, 720, 380 },
        { "empty", { 100, 100, 100, 100 }, 720, 380 },
        { "near the 16-bit edge, wrapped", { 100, 32700, 500, -32396 }, 720, 380 },
    };
    const std::vector<std::string> named { "Board", "Unplugged Drive", "Drive" };
    Preferences* prefs = Preferences::Get();
    auto* data = new DataWindowPrefs;
    prefs->GetDataWindowPrefsArray()->AddItem(data);
    for (const auto& row : cases) {
        auto* record = new GraphWindowPrefs;
        record->SetWindowRect(row.recorded);
        record->SetDisplayMenuItem(1);
        prefs->GetGraphWindowPrefsArray()->AddItem(record);
        for (const std::string& name : named)
            record->GetSensorNames()->AddItem(MakeStr255(name));
    }
    for (const std::string& name : named)
        data->GetSensorNames()->AddItem(MakeStr255(name));
    // A record that cannot be applied (here: none at all) opens its window as a new one.
    prefs->GetDataWindowPrefsArray()->AddItem(nullptr);
    for (int n = 0; n < 3000; ++n) {
        prefs->GetDataWindowPrefsArray()->AddItem(new DataWindowPrefs);
        prefs->GetGraphWindowPrefsArray()->AddItem(new GraphWindowPrefs);
    }
    Kelvara application;
    testing::internal::CaptureStderr();
    application.StartUp();
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("3002 data windows; only the first 64"), std::string::npos) << message;
    EXPECT_NE(message.find("restoring a recorded window"), std::string::npos) << message;
    EXPECT_EQ(Windows<DataWindow>().size(), 64u);
    std::vector<GraphWindow*> graphs = Windows<GraphWindow>();
    ASSERT_EQ(graphs.size(), 64u);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        GraphWindowPrefs saved;
        graphs[i]->GetWindowPrefs(&saved);
        const Rect& bounds = saved.GetWindowRect();
        if (cases[i].width > 0) {
            EXPECT_EQ(std::pair(bounds.right - bounds.left, bounds.bottom - bounds.top),
                std::pair(cases[i].width, cases[i].height));
        }
        EXPECT_TRUE(bounds.left >= screen.left && bounds.top >= screen.top && bounds.right <= screen.right
            && bounds.bottom <= screen.bottom);
    }

    DataWindowPrefs dataSaved;
    Windows<DataWindow>().front()->GetWindowPrefs(&dataSaved);
    EXPECT_EQ(Names(dataSaved.GetSensorNames()), named);
    // The user unchecks Board: the sensor that is missing keeps its place before Drive.
    auto* popup = dynamic_cast<LBevelButton*>(graphs[0]->FindPaneByID(FourCC("Show")));
    ASSERT_NE(popup, nullptr);
    popup->UserChoseItem(1);
    GraphWindowPrefs graphSaved;
    graphs[0]->GetWindowPrefs(&graphSaved);
    EXPECT_EQ(Names(graphSaved.GetSensorNames()), (std::vector<std::string> { "Unplugged Drive", "Drive" }));

    // Dragged to the end of the 16-bit range on a very wide desktop: saved with its edges clamped, never
    // wrapped.
    graphs.back()->MoveWindowTo(32700, 100);
    graphs.back()->GetWindowPrefs(&graphSaved);
    EXPECT_EQ(graphSaved.GetWindowRect().left, 32700);
    EXPECT_EQ(graphSaved.GetWindowRect().right, 32767);
}

// When nothing can be saved, the user is told once a run, in a dialog that holds nothing up, with the folder
// and the reason: at start (the configuration folder is a file, as when XDG_CONFIG_HOME names one), or at the
// first 10-minute save that fails (the disk filled up; here the program's folder gave way to a file after a
// save that went well). Quit quits.
TEST_F(KelvaraApplication, WhenNothingCanBeSavedTheUserIsToldAndMayQuit)
{
    platform.AddTempSensor("Board", 40);
    const std::string config = platform.Home() / "config";
    const std::string folder = platform.ProgramFolder();
    for (const std::string& inTheWay : { config, folder }) {
        SCOPED_TRACE(inTheWay);
        ForgetTheRun();
        std::filesystem::remove_all(config);
        if (inTheWay == config)
            TestFiles::Write(config, "");
        testing::internal::CaptureStderr();
        Kelvara application;
        application.StartUp();
        EXPECT_EQ(Windows<SaveFailureDialog>().size(), inTheWay == config ? 1u : 0u);
        if (inTheWay == folder) {
            // Until then the 10-minute save writes the preferences too: a first run ended by a crash keeps its
            // windows.
            EXPECT_FALSE(TestFiles::Exists(folder + "/Kelvara Preferences"));
            for (int save = 0; save < 3; ++save) {
                if (save == 1) {
                    EXPECT_EQ(TestFiles::List(folder), kBoardFiles);
                    std::filesystem::remove_all(folder);
                    TestFiles::Write(folder, "");
                }
                application.GetSensorMaster()->SaveInBackground();
                application.GetSensorMaster()->WaitForSaves();
                QCoreApplication::processEvents();
            }
        }
        const std::string why = "\"" + folder + "\": \"" + inTheWay + "\" is a file, not a folder";
        std::string message = testing::internal::GetCapturedStderr();
        EXPECT_NE(message.find("nothing can be saved in " + why), std::string::npos) << message;
        std::vector<SaveFailureDialog*> told = Windows<SaveFailureDialog>();
        ASSERT_EQ(told.size(), 1u) << "told once";
        const std::string shown = told[0]->FindPaneByID(FourCC("Why "))->GetDescriptor();
        EXPECT_NE(shown.find("the folder " + why + "."), std::string::npos) << shown;
        EXPECT_EQ(Windows<DataWindow>().size(), 1u) << "Kelvara runs on";
        EXPECT_FALSE(LApplication::IsQuitting());
        dynamic_cast<LPushButton*>(told[0]->FindPaneByID(SaveFailureDialog::msg_QuitKelvara))->SimulateHotSpotClick();
        EXPECT_TRUE(LApplication::IsQuitting());
    }
}

// Every layout the program ships builds, no button, check box or pop-up cuts its text off (the preferences' "Notify
// when a sensor reaches its limit" once ended at "limi"), and every sensor menu offers All and None.
TEST_F(KelvaraApplication, EveryLayoutBuildsAndNoControlCutsItsText)
{
    platform.AddTempSensor("Board", 40);
    Kelvara application;
    for (ResIDT id : UResources::GetLayoutIDs()) {
        LWindow* window = LWindow::CreateWindow(id, &application);
        std::function<void(LView*)> check = [&](LView* view) {
            for (const auto& pane : view->GetSubPanes()) {
                auto* button = qobject_cast<QAbstractButton*>(pane->GetWidget());
                if (button != nullptr && !button->text().isEmpty()) {
                    EXPECT_LE(button->sizeHint().width(), button->width()) << id << " " << button->text().toStdString();
                }
                auto* menu = dynamic_cast<LBevelButton*>(pane.get());
                if (menu != nullptr && menu->GetDescriptor() == "Sensors") {
                    EXPECT_TRUE(menu->OffersAllAndNone()) << id << " " << FourCCToText(menu->GetPaneID());
                }
                if (auto* subview = dynamic_cast<LView*>(pane.get()))
                    check(subview);
            }
        };
        check(window);
        delete window;
    }
}
