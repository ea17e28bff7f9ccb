#include "app/Kelvara.h"
#include "compare/ComparisonMaster.h"
#include "compare/ComparisonWindow.h"
#include "display/DataWindow.h"
#include "display/DockIcon.h"
#include "display/DockTile.h"
#include "display/DockTray.h"
#include "display/GraphWindow.h"
#include "framework/LBevelButton.h"
#include "framework/LDialogBox.h"
#include "framework/LWindow.h"
#include "framework/UModalAlerts.h"
#include "framework/UScreenPlacement.h"
#include "prefs/DataWindowPrefs.h"
#include "prefs/GraphWindowPrefs.h"
#include "prefs/Preferences.h"
#include "prefs/PreferencesCheckpoint.h"
#include "prefs/PreferencesDialog.h"
#include "sensors/SensorMaster.h"
#include "tests/support/FixturePlatform.h"

#include <QAction>
#include <QCoreApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

namespace {

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
    }

    // What ending the process does to the program's singletons, so that the next Kelvara starts afresh.
    static void ForgetTheRun()
    {
        LWindow::DeleteAllWindows();
        DockIcon::DeleteInstanceForTesting();
        DockTile::DeleteInstanceForTesting();
        FixturePlatform::ResetSingletons();
    }

    template <typename T> static std::vector<T*> Windows()
    {
        std::vector<T*> windows;
        for (LWindow* window : LWindow::GetWindowList()) {
            if (auto* found = dynamic_cast<T*>(window))
                windows.push_back(found);
        }
        return windows;
    }

    FixturePlatform platform;
    std::vector<ResIDT> alerts;
    std::string alertText;
};

}

TEST_F(KelvaraApplication, NoSensorAlertsOnceAndRunsOn)
{
    testing::internal::CaptureStdout();
    {
        Kelvara application;
        application.StartUp();
        EXPECT_EQ(application.GetSensorMaster()->GetSensorCount(), 0);
    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(alerts, std::vector<ResIDT>({ Kelvara::kNoSensorsAlert }));
    EXPECT_NE(alertText.find("no temperature sensor"), std::string::npos);
    // Quitting wrote no data file.
    EXPECT_FALSE(TestFiles::Exists(platform.ProgramFolder() + "/01 "));
}

// The Quit command, the session closing (SIGTERM, SIGHUP) and Ctrl+C (SIGINT) all end the event loop
// the same way, and leaving it writes every sensor's data file, whatever signals come on the way out.
TEST_F(KelvaraApplication, EveryWayToQuitSavesEverySensor)
{
    platform.AddTempSensor("Board", 40);
    platform.Processors().SetReadings({ 50 });
    const std::vector<std::string> files = { "01 Board", "02 CPU temperature", "Kelvara Preferences" };
    for (int way : { 0, SIGTERM, SIGHUP, SIGINT }) {
        SCOPED_TRACE(way);
        ForgetTheRun();
        {
            Kelvara application;
            QTimer::singleShot(0, [way] {
                if (way == 0)
                    EXPECT_TRUE(LCommander::ProcessCommand(cmd_Quit));
                else
                    ::raise(way);
            });
            application.Run(); // returns only because the loop was ended
            // Ctrl+C again, or the session's second SIGTERM, while the files are being written: ignored.
            for (int again : { SIGTERM, SIGINT, SIGHUP })
                ::raise(again);
            ASSERT_NE(application.GetSensorMaster(), nullptr) << "start-up ran inside the loop";
            EXPECT_EQ(application.GetSensorMaster()->GetSensorCount(), 2);
            EXPECT_FALSE(TestFiles::Exists(platform.ProgramFolder() + "/01 Board")) << "nothing is saved before quit";
        }
        EXPECT_EQ(TestFiles::List(platform.ProgramFolder()), files);
        EXPECT_EQ(SensorMaster::Get()->GetSensorCount(), 0);
        for (const std::string& file : files)
            std::remove((platform.ProgramFolder() + "/" + file).c_str());
    }
    EXPECT_TRUE(alerts.empty());
}

TEST_F(KelvaraApplication, FirstLaunchOpensOneWindowOfEachKindAndTheTile)
{
    platform.AddTempSensor("Board", 40);
    Kelvara application;
    application.StartUp();
    EXPECT_EQ(Windows<DataWindow>().size(), 1u);
    EXPECT_EQ(Windows<GraphWindow>().size(), 1u);
    ASSERT_NE(application.GetDockIcon(), nullptr);
    EXPECT_FALSE(DockTile::Get()->IsShowingApplicationImage()) << "the live tile is drawn at the end of start-up";

    bool enabled = false;
    bool usesMark = false;
    uint16_t mark = 0;
    Str255 name {};
    for (CommandT command :
        { cmd_NewDataWindow, cmd_NewGraphWindow, cmd_Quit, cmd_Close, cmd_Preferences, cmd_WelcomeWindow }) {
        application.FindCommandStatus(command, enabled, usesMark, mark, name);
        EXPECT_EQ(enabled, command != cmd_Close) << FourCCToText(command);
    }
}

// Asking again for the preferences or the welcome window brings the open one to the front. While the
// preferences are in front, no menu command is available.
TEST_F(KelvaraApplication, PreferencesAndWelcomeOpenOnceEach)
{
    platform.AddTempSensor("Board", 40);
    platform.Clock().Advance(3600);
    Kelvara application;
    application.StartUp();
    for (int time = 0; time < 2; ++time) {
        EXPECT_TRUE(application.ObeyCommand(cmd_WelcomeWindow, nullptr));
        EXPECT_TRUE(application.ObeyCommand(cmd_Preferences, nullptr));
    }
    std::vector<LWindow*> welcome;
    for (LWindow* window : LWindow::GetWindowList()) {
        if (window->GetDescriptor() == "Welcome to Kelvara")
            welcome.push_back(window);
    }
    EXPECT_EQ(welcome.size(), 1u);
    ASSERT_EQ(Windows<PreferencesDialog>().size(), 1u);
    PreferencesDialog* dialog = Windows<PreferencesDialog>().front();
    EXPECT_EQ(dialog->GetDescriptor(), "Kelvara Preferences");
    bool enabled = true;
    bool usesMark = false;
    uint16_t mark = 0;
    Str255 name {};
    for (CommandT command : { cmd_NewDataWindow, cmd_Quit, cmd_Preferences, cmd_About }) {
        dialog->FindCommandStatus(command, enabled, usesMark, mark, name);
        EXPECT_FALSE(enabled) << FourCCToText(command);
    }
}

// Regression: a damaged preferences file starts a true first run however the clock ticks between its
// readings (a reset that read the clock again lay after the launch: 4294967295 seconds, no window).
TEST_F(KelvaraApplication, DamagedPreferencesStartAFirstRunWhateverTheClockDoes)
{
    platform.AddTempSensor("Board", 40);
    TestFiles::WriteBytes(platform.ProgramFolder() + "/Kelvara Preferences", { 0, 120, 0 });
    platform.Clock().SetTickPerReading(1);
    testing::internal::CaptureStderr();
    Kelvara application;
    application.StartUp();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("is damaged"), std::string::npos);
    EXPECT_LE(application.SecondsSincePreferencesCreated(), Kelvara::kFirstRunSeconds);
    EXPECT_EQ(Windows<DataWindow>().size(), 1u);
    EXPECT_EQ(Windows<GraphWindow>().size(), 1u);
}

TEST_F(KelvaraApplication, RecordedWindowsComeBackAndClosedOnesDoNot)
{
    platform.AddTempSensor("Board", 40);
    platform.AddTempSensor("Drive", 35);
    Rect moved {};
    {
        Kelvara application;
        application.StartUp();
        ASSERT_TRUE(application.ObeyCommand(cmd_NewDataWindow, nullptr));
        ASSERT_TRUE(application.ObeyCommand(cmd_NewDataWindow, nullptr));
        std::vector<DataWindow*> data = Windows<DataWindow>();
        ASSERT_EQ(data.size(), 3u);
        data[1]->MoveWindowTo(150, 250);
        data[1]->GetGlobalBounds(moved);
        data[2]->AttemptClose(); // closed by the user: not recorded
        for (GraphWindow* graph : Windows<GraphWindow>())
            graph->AttemptClose();
    }
    ForgetTheRun();

    platform.Clock().Advance(3600);
    Kelvara application;
    // A record that cannot be applied (here: none at all, ahead of those in the file) opens its window as a
    // new one, and the records after it still come back.
    Preferences::Get()->GetDataWindowPrefsArray()->AddItem(nullptr);
    testing::internal::CaptureStderr();
    application.StartUp();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("restoring a recorded window"), std::string::npos);
    std::vector<DataWindow*> data = Windows<DataWindow>();
    ASSERT_EQ(data.size(), 3u);
    Rect bounds {};
    data[2]->GetGlobalBounds(bounds);
    EXPECT_EQ(bounds, moved);
    EXPECT_TRUE(Windows<GraphWindow>().empty()) << "no graph window was open at quit, and this is not a first run";
}

// Never running invisibly. Without a tray, closing the last window quits through the normal path (every
// file written), and a later start with no window to re-open opens a data window; with a tray, whose icon
// reaches Kelvara, neither happens.
TEST_F(KelvaraApplication, WithoutATrayTheLastWindowQuitsAndAStartWithoutWindowsOpensOne)
{
    platform.AddTempSensor("Board", 40);
    for (bool tray : { false, true }) {
        SCOPED_TRACE(tray ? "with a tray" : "without a tray");
        DockTray::SetAvailableForTesting(tray);
        ForgetTheRun();
        std::filesystem::remove_all(platform.ProgramFolder());
        {
            Kelvara application;
            std::function<void()> closeAll = [&] {
                if (application.GetDockIcon() == nullptr) // start-up still to come
                    return QTimer::singleShot(10, closeAll);
                for (LWindow* window : std::vector<LWindow*>(LWindow::GetWindowList()))
                    window->ObeyCommand(cmd_Close, nullptr);
                EXPECT_EQ(LApplication::IsQuitting(), !tray);
                if (tray)
                    LCommander::ProcessCommand(cmd_Quit);
            };
            QTimer::singleShot(0, closeAll);
            application.Run();
        }
        EXPECT_EQ(TestFiles::List(platform.ProgramFolder()),
            (std::vector<std::string> { "01 Board", "Kelvara Preferences" }));

        ForgetTheRun();
        platform.Clock().Advance(10);
        Kelvara application;
        application.StartUp();
        EXPECT_EQ(Windows<DataWindow>().size(), tray ? 0u : 1u);
        EXPECT_TRUE(Windows<GraphWindow>().empty());
    }
}

// A click on the tray icon brings the windows forward, or opens a data window when none is open.
TEST_F(KelvaraApplication, AClickOnTheTrayIconRaisesTheWindowsOrOpensOne)
{
    platform.AddTempSensor("Board", 40);
    DockTray::SetAvailableForTesting(true);
    Kelvara application;
    application.StartUp();
    DockTray tray;
    LCommander::SetTarget(&application);
    tray.Clicked();
    QCoreApplication::processEvents();
    EXPECT_EQ(LWindow::GetWindowList().size(), 2u);
    EXPECT_EQ(LCommander::GetTarget(), Windows<GraphWindow>().front()) << "the windows came forward";
    LWindow::DeleteAllWindows();
    tray.Clicked();
    QCoreApplication::processEvents();
    EXPECT_EQ(Windows<DataWindow>().size(), 1u);
}

TEST_F(KelvaraApplication, EveryShippedLayoutBuilds)
{
    platform.AddTempSensor("Board", 40);
    Kelvara::RegisterClasses();
    std::vector<ResIDT> layouts = UResources::GetLayoutIDs();
    EXPECT_EQ(layouts, (std::vector<ResIDT> { 128, 129, 130, 131, 132, 133, 134, 135, 136, 9 }));
    for (ResIDT layout : layouts) {
        SCOPED_TRACE(layout);
        LWindow* window = nullptr;
        EXPECT_NO_THROW(window = LWindow::CreateWindow(layout, nullptr));
        ASSERT_NE(window, nullptr);
        EXPECT_FALSE(window->GetDescriptor().empty()) << "every window has a title";
        delete window;
    }
}

TEST_F(KelvaraApplication, AboutBoxRunsUntilOK)
{
    Kelvara application;
    QTimer::singleShot(20, [] {
        for (LWindow* window : LWindow::GetWindowList()) {
            if (auto* dialog = dynamic_cast<LDialogBox*>(window))
                static_cast<LPushButton*>(dialog->FindPaneByID(FourCC("okay")))->SimulateHotSpotClick();
        }
    });
    EXPECT_TRUE(application.ObeyCommand(cmd_About, nullptr));
    EXPECT_TRUE(LWindow::GetWindowList().empty()) << "the about box is gone once the user confirmed it";
}

TEST_F(KelvaraApplication, CompareMachinesOpensWindowsThatAreNotRecorded)
{
    platform.AddTempSensor("Board", 40);
    {
        Kelvara application;
        application.StartUp();
        EXPECT_EQ(application.GetComparisonMaster(), ComparisonMaster::Get()) << "built at start-up";

        // File > Compare Machines..., Ctrl+K, once for each of two windows.
        QAction* compare = nullptr;
        for (QAction* menu : Windows<DataWindow>().front()->GetTopLevel()->menuBar()->actions())
            for (QAction* item : menu->menu()->actions())
                if (item->data().toInt() == cmd_CompareMachines)
                    compare = item;
        ASSERT_NE(compare, nullptr);
        EXPECT_EQ(compare->text(), QString("Compare Machines…"));
        EXPECT_EQ(compare->shortcut(), QKeySequence("Ctrl+K"));
        compare->trigger();
        QCoreApplication::processEvents();
        EXPECT_TRUE(application.ObeyCommand(cmd_CompareMachines, nullptr));
        ASSERT_EQ(Windows<ComparisonWindow>().size(), 2u);
        EXPECT_TRUE(Windows<ComparisonWindow>().front()->GetTopLevel()->isVisible());
    }
    ForgetTheRun();
    platform.Clock().Advance(3600);
    Kelvara application;
    application.StartUp();
    EXPECT_TRUE(Windows<ComparisonWindow>().empty());
    EXPECT_EQ(Windows<DataWindow>().size(), 1u) << "the other windows came back";
}

// Regression: a recorded window takes no more than the desktop can show. A graph window recorded at 32000 x
// 32000 pixels took 7.8 GB and was saved back at every quit; an inverted or empty rectangle gets the
// layout's size; a window near the end of the 16-bit range was saved with its right edge wrapped round
// (left 32700, right -32396); and a damaged file asking for thousands of windows opens 64 of each kind.
TEST_F(KelvaraApplication, RestoredWindowsAreBounded)
{
    platform.AddTempSensor("Board", 40);
    std::vector<Rect> areas = UScreenPlacement::AvailableScreenAreas();
    ASSERT_FALSE(areas.empty());
    const Rect screen = areas.front();
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
    Preferences* prefs = Preferences::Get();
    for (const auto& row : cases) {
        auto* record = new GraphWindowPrefs;
        record->SetWindowRect(row.recorded);
        record->SetDisplayMenuItem(1);
        prefs->GetGraphWindowPrefsArray()->AddItem(record);
    }
    for (int n = 0; n < 3000; ++n) {
        prefs->GetDataWindowPrefsArray()->AddItem(new DataWindowPrefs);
        prefs->GetGraphWindowPrefsArray()->AddItem(new GraphWindowPrefs);
    }
    Kelvara application;
    testing::internal::CaptureStderr();
    application.StartUp();
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("3000 data windows; only the first 64"), std::string::npos) << message;
    EXPECT_EQ(Windows<DataWindow>().size(), 64u);
    std::vector<GraphWindow*> graphs = Windows<GraphWindow>();
    ASSERT_EQ(graphs.size(), 64u);

    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        GraphWindowPrefs saved;
        graphs[i]->GetWindowPrefs(&saved);
        const Rect& bounds = saved.GetWindowRect();
        if (cases[i].width > 0) {
            EXPECT_EQ(bounds.right - bounds.left, cases[i].width);
            EXPECT_EQ(bounds.bottom - bounds.top, cases[i].height);
        }
        EXPECT_GE(bounds.left, screen.left);
        EXPECT_GE(bounds.top, screen.top);
        EXPECT_LE(bounds.right, screen.right);
        EXPECT_LE(bounds.bottom, screen.bottom);
    }

    // Dragged to the end of the 16-bit range on a very wide desktop: saved with its edges clamped, never
    // wrapped.
    graphs.back()->MoveWindowTo(32700, 100);
    GraphWindowPrefs saved;
    graphs.back()->GetWindowPrefs(&saved);
    EXPECT_EQ(saved.GetWindowRect().left, 32700);
    EXPECT_EQ(saved.GetWindowRect().right, 32767);
}

// A sensor named in a window record but not found at this launch (a driver that loads later, a drive that
// is unplugged) stays in the record, at its place, so that the choice comes back with the sensor.
// Regression: it was erased at the first quit, and with no sensor at all every window's list was emptied.
TEST_F(KelvaraApplication, ASensorMissingAtLaunchKeepsItsPlaceInTheWindowRecords)
{
    platform.AddTempSensor("Board", 40);
    platform.AddTempSensor("Drive", 35);
    auto names = [](SensorNameList* list) {
        std::vector<std::string> result;
        for (ArrayIndexT i = 1; i <= list->GetCount(); ++i)
            result.push_back(Str255ToString((*list)[i]));
        return result;
    };
    auto* data = new DataWindowPrefs;
    auto* graph = new GraphWindowPrefs;
    for (const char* name : { "Board", "Unplugged Drive", "Drive" }) {
        data->GetSensorNames()->AddItem(MakeStr255(name));
        graph->GetSensorNames()->AddItem(MakeStr255(name));
    }
    graph->SetDisplayMenuItem(1);
    Preferences::Get()->GetDataWindowPrefsArray()->AddItem(data);
    Preferences::Get()->GetGraphWindowPrefsArray()->AddItem(graph);
    Kelvara application;
    application.StartUp();
    ASSERT_EQ(Windows<DataWindow>().size(), 1u);
    ASSERT_EQ(Windows<GraphWindow>().size(), 1u);

    DataWindowPrefs dataSaved;
    Windows<DataWindow>().front()->GetWindowPrefs(&dataSaved);
    EXPECT_EQ(names(dataSaved.GetSensorNames()), (std::vector<std::string> { "Board", "Unplugged Drive", "Drive" }));
    // The user unchecks Board: the sensor that is missing keeps its place before Drive.
    auto* popup = dynamic_cast<LBevelButton*>(Windows<GraphWindow>().front()->FindPaneByID(FourCC("Show")));
    ASSERT_NE(popup, nullptr);
    popup->UserChoseItem(1);
    GraphWindowPrefs graphSaved;
    Windows<GraphWindow>().front()->GetWindowPrefs(&graphSaved);
    EXPECT_EQ(names(graphSaved.GetSensorNames()), (std::vector<std::string> { "Unplugged Drive", "Drive" }));
}

// A first run ended by a crash or a power cut keeps its settings and windows: the preferences are written
// every 10 minutes too, atomically, as the data files are.
TEST_F(KelvaraApplication, ThePreferencesAreWrittenAtTheTenMinuteCheckpoint)
{
    platform.AddTempSensor("Board", 40);
    Kelvara application;
    application.StartUp();
    std::string path = platform.ProgramFolder() + "/Kelvara Preferences";
    EXPECT_FALSE(TestFiles::Exists(path));
    PreferencesCheckpoint checkpoint;
    EXPECT_TRUE(checkpoint.IsIdling());
    checkpoint.SpendTime(EventRecord {});
    Preferences::DeleteInstanceForTesting();
    Preferences::Get();
    Preferences::ReadPrefs();
    EXPECT_EQ(Preferences::Get()->GetDataWindowPrefsArray()->GetCount(), 1);
    EXPECT_EQ(Preferences::Get()->GetGraphWindowPrefsArray()->GetCount(), 1);
    EXPECT_EQ(TestFiles::List(platform.ProgramFolder()), std::vector<std::string> { "Kelvara Preferences" });
}
