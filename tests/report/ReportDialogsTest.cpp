// The reporting dialogs: the temperature record e-mail and the command that opens it once there is enough
// data, the version check's dialogs, and the commands that run the check and show its outcome.
#include "app/Kelvara.h"
#include "framework/LPushButton.h"
#include "framework/LWindow.h"
#include "framework/UModalAlerts.h"
#include "framework/USound.h"
#include "prefs/Preferences.h"
#include "report/EmailDialog.h"
#include "report/NewVersionFailDialog.h"
#include "report/ReportResources.h"
#include "report/TemperatureRecord.h"
#include "report/VersionCheckWorker.h"
#include "sensors/SensorMaster.h"
#include "tests/report/LocalReplyServer.h"
#include "tests/report/ProductInformation.h"
#include "tests/support/FixturePlatform.h"
#include "tests/support/Sampling.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <future>
#include <utility>

namespace {

// The program's classes, beeps and alerts heard instead of sounded or shown, and the panes of the one
// window open.
class ReportDialogTest : public ::testing::Test {
protected:
    ReportDialogTest()
    {
        Kelvara::RegisterClasses();
        USound::SetBeepHandler([this](int16_t) { ++beeps; });
        UModalAlerts::SetHandler([](ResIDT, const AlertText&) {});
    }
    ~ReportDialogTest() override
    {
        UModalAlerts::SetHandler({});
        USound::SetBeepHandler({});
        LWindow::DeleteAllWindows();
        ::unsetenv("KELVARA_VERSION_URL");
        ::unsetenv("KELVARA_RECORD_ADDRESS");
    }

    static LWindow* OnlyWindow()
    {
        EXPECT_EQ(LWindow::GetWindowList().size(), 1u);
        return LWindow::GetWindowList().empty() ? nullptr : LWindow::GetWindowList().front();
    }
    template <typename T = LPane> static T* Pane(LWindow* window, const char* paneID)
    {
        auto* pane = dynamic_cast<T*>(window->FindPaneByID(FourCCFromText(paneID)));
        EXPECT_NE(pane, nullptr) << paneID;
        return pane;
    }
    static std::string Text(LWindow* window, const char* paneID) { return Pane(window, paneID)->GetDescriptor(); }
    static void Click(LWindow* window, const char* paneID)
    {
        Pane<LPushButton>(window, paneID)->SimulateHotSpotClick();
    }
    // Closes the window by a button, by "Escape", or by the window's close box ("").
    static void Close(LWindow* window, const std::string& how)
    {
        if (how.empty()) {
            window->AttemptClose();
        } else if (how == "Escape") {
            QKeyEvent event(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(window->GetTopLevel(), &event);
        } else {
            Click(window, how.c_str());
        }
        EXPECT_FALSE(window->GetTopLevel()->isVisible()) << "the dialog goes at once";
        // A dialog that closes itself goes once the click has been handled.
        QCoreApplication::processEvents();
        EXPECT_TRUE(LWindow::GetWindowList().empty());
    }

    // A sensor whose data file holds samples long-term samples (the first sample of the launch adds one
    // more) between 35 and 70 degrees Celsius.
    static void AddRecordedSensor(FixturePlatform& platform, const std::string& name, int32_t samples)
    {
        std::vector<int32_t> file = { 3, FixturePlatform::Fixed16(35), FixturePlatform::Fixed16(70), samples };
        for (int32_t i = 0; i < samples; ++i)
            file.push_back(FixturePlatform::Fixed16(i == 0 ? 35 : i == 1 ? 70 : 50));
        file.push_back(0);
        TestFiles::WriteBytes(platform.ProgramFolder() + "/01 " + name, TestFiles::BigEndian32(file));
        platform.AddTempSensor(name, 50);
    }

    int beeps = 0;
};

const std::string kRecordStart
    = "?Subject=Kelvara Temperature Record&Body=Kelvara\nMy name is: <FILL IN FOR CREDITS>\n";

// The record's lines from its key to the sensors.
std::string RecordHead(const std::string& label, const std::string& processors, const std::string& speed)
{
    return "Key:" + label + "_" + processors + "_" + std::to_string(std::stoi(speed))
        + "\nVersion:1.0.0\nMachine:" + label + "\nProcessors:" + processors + "\nSpeed:" + speed + "\n";
}

}

TEST(TemperatureRecordText, IsTheRecordLineByLine)
{
    // A line far beyond the 1024 bytes a fixed line buffer holds, and a sensor after it.
    const std::string longName(1100, 'n');
    const struct {
        const char* name;
        std::string label;
        uint32_t processors;
        int16_t speed;
        std::vector<RecordedSensor> sensors;
        std::string text;
    } cases[] = {
        { "speed below a thousand", "PowerMac3,6", 1, 867, { { "CPU T-Diode", 1, 95, 160, 300 } },
            RecordHead("PowerMac3,6", "1", "0867")
                + "Sensor:CPU T-Diode\n  Type:1\n  Min:95\n  Max:160\n  Samples:300\n" },
        { "no sensor", "PowerMac8,1", 1, 2000, {}, RecordHead("PowerMac8,1", "1", "2000") },
        { "long sensor name", "Workstation", 32, 5200, { { longName, 1, 71, 121, 15000 }, { "SYSTIN", 2, 72, 122, 9 } },
            RecordHead("Workstation", "32", "5200") + "Sensor:" + longName
                + "\n  Type:1\n  Min:71\n  Max:121\n  Samples:15000\nSensor:SYSTIN\n  Type:2\n  Min:72\n  Max:122\n  "
                  "Samples:9\n" },
    };
    for (const auto& row : cases) {
        TemperatureRecord record { "records@kelvara.example", "1.0.0", row.label, row.processors, row.speed,
            row.sensors };
        EXPECT_EQ(
            ComposeTemperatureRecord(record), "mailto:records@kelvara.example" + kRecordStart + row.text + "ENDDATA")
            << row.name;
    }
}

// The model identifier goes through the comparison database: PowerMac7,3 is known by a longer name. The
// record goes where the build says, unless KELVARA_RECORD_ADDRESS says otherwise.
TEST_F(ReportDialogTest, TheRecordOfThisMachineNamesTheModelAsTheDatabaseDoes)
{
    FixturePlatform platform("PowerMac7,3");
    AddRecordedSensor(platform, "CPU T-Diode", 300);
    Sampling::StartSensors();
    const std::string label = "Power Mac G5, Dual 1.8GHz (June 2004)";
    for (const std::string address : { KELVARA_TEST_RECORD_ADDRESS, "records@kelvara.org" }) {
        if (address != KELVARA_TEST_RECORD_ADDRESS)
            ::setenv("KELVARA_RECORD_ADDRESS", address.c_str(), 1);
        EXPECT_EQ(EmailDialog::ComposeMessage(),
            "mailto:" + address + kRecordStart + "Key:" + label + "_2_2400\nVersion:" KELVARA_TEST_VERSION
                + "\nMachine:" + label
                + "\nProcessors:2\nSpeed:2400\nSensor:CPU T-Diode\n  Type:1\n  Min:95\n  Max:158\n  "
                  "Samples:301\nENDDATA");
    }
}

// The e-mail dialog prepares the record's message or declines; the new version dialog stops the check,
// visits the web site or just closes.
TEST_F(ReportDialogTest, TheDialogsButtonsDoWhatTheySayAndClose)
{
    const struct {
        const char* name;
        CommandT command;
        bool mailProgram;
        bool launchSucceeds;
        std::string button; // "" closes the window
        std::vector<std::string> launched; // "record": the record's message
        int beeps;
        bool versionCheckAfter;
    } cases[] = {
        { "prepare message", cmd_SubmitRecord, true, true, "RmPr", { "record" }, 0, true },
        { "hand-off of the message fails", cmd_SubmitRecord, true, false, "RmPr", { "record" }, 1, true },
        { "closing the e-mail dialog", cmd_SubmitRecord, true, true, "", {}, 0, true },
        { "escape", cmd_SubmitRecord, true, true, "Escape", {}, 0, true },
        { "no mail program", cmd_SubmitRecord, false, true, "RmNo", {}, 0, true },
        { "don't tell me again", cmd_NewVersion, true, true, "NewI", {}, 0, false },
        { "OK", cmd_NewVersion, true, true, "OK  ", {}, 0, true },
        { "visit web site", cmd_NewVersion, true, true, "NewD", { KELVARA_TEST_WEBSITE }, 0, true },
        { "visit web site fails", cmd_NewVersion, true, false, "NewD", { KELVARA_TEST_WEBSITE }, 1, true },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        beeps = 0;
        FixturePlatform platform;
        AddRecordedSensor(platform, "Board", 10);
        Sampling::StartSensors();
        platform.Launcher().hasHandler = row.mailProgram;
        platform.Launcher().launchSucceeds = row.launchSucceeds;
        Kelvara application;
        ASSERT_TRUE(application.ObeyCommand(row.command, nullptr));
        LWindow* dialog = OnlyWindow();
        ASSERT_NE(dialog, nullptr);
        if (row.command == cmd_SubmitRecord) {
            EXPECT_EQ(dialog->GetDescriptor(), "Send Temperature Record");
            EXPECT_EQ(platform.Launcher().asked, std::vector<std::string> { "mailto" });
            EXPECT_EQ(Pane(dialog, "RmPr")->IsEnabled(), row.mailProgram);
            EXPECT_EQ(Pane(dialog, "NoMl")->IsVisible(), !row.mailProgram) << "says why it cannot prepare one";
        } else {
            EXPECT_EQ(dialog->GetDescriptor(), "New Version of Kelvara");
            bool enabled = true;
            bool usesMark = false;
            uint16_t mark = 0;
            Str255 name {};
            dialog->FindCommandStatus(cmd_NewDataWindow, enabled, usesMark, mark, name);
            EXPECT_FALSE(enabled) << "the menus are inactive while the dialog is in front";
        }
        Close(dialog, row.button);
        std::vector<std::string> launched = row.launched;
        std::replace(launched.begin(), launched.end(), std::string("record"), EmailDialog::ComposeMessage());
        EXPECT_EQ(platform.Launcher().launched, launched);
        EXPECT_EQ(beeps, row.beeps);
        EXPECT_EQ(Preferences::Get()->GetVersionCheck(), row.versionCheckAfter);
    }
}

// The commands that need an address are named for whether they can run: the record once there is enough
// data (the start-up prompt's tests hold the thresholds), and neither where the address reaches nobody.
TEST_F(ReportDialogTest, TheAddressedCommandsAreNamedForWhetherTheyCanRun)
{
    // In the order of the time since the first run.
    const struct {
        const char* name;
        CommandT command;
        const char* address; // the run-time variable's value
        uint32_t elapsed;
        bool enabled;
        std::string text;
    } cases[] = {
        { "check with an address", cmd_CheckForNewVersion, "http://127.0.0.1:8000/p", 0, true,
            "Check for New Version…" },
        { "check with a placeholder", cmd_CheckForNewVersion, "http://kelvara.example/p", 0, false,
            "Check for New Version… (no update address)" },
        { "record too early", cmd_SubmitRecord, "records@kelvara.org", 1, false,
            "Send Temperature Record (after 7 hours of use)" },
        { "record worth sending", cmd_SubmitRecord, "records@kelvara.org", 25201, true, "Send Temperature Record…" },
        { "record to a placeholder", cmd_SubmitRecord, "records@kelvara.example", 25201, false,
            "Send Temperature Record… (no record address)" },
    };
    FixturePlatform platform;
    AddRecordedSensor(platform, "Board", 300);
    Kelvara application;
    application.StartUp();
    while (application.ArePromptsWaiting())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    uint32_t elapsed = 0;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        platform.Clock().Advance(row.elapsed - std::exchange(elapsed, row.elapsed));
        ::setenv(row.command == cmd_SubmitRecord ? "KELVARA_RECORD_ADDRESS" : "KELVARA_VERSION_URL", row.address, 1);
        bool enabled = !row.enabled;
        bool usesMark = true;
        uint16_t mark = 0;
        Str255 name {};
        application.FindCommandStatus(row.command, enabled, usesMark, mark, name);
        EXPECT_EQ(enabled, row.enabled);
        EXPECT_EQ(Str255ToString(name), row.text);
    }
}

TEST_F(ReportDialogTest, TheFailureDialogShowsTheCodeAndWhatWentWrong)
{
    const struct {
        int32_t code;
        const char* says;
    } cases[] = {
        { 1, "no usable address" },
        { 2, "could not be reached, or did not answer in time" },
        { 3, "was not the product information" },
        { 4, "does not name the version published" },
        { 6, "out of memory" },
        { 42, "a reason Kelvara does not know" },
    };
    FixturePlatform platform;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.code);
        auto* dialog
            = dynamic_cast<NewVersionFailDialog*>(LWindow::CreateWindow(NewVersionFailDialog::kLayout, nullptr));
        ASSERT_NE(dialog, nullptr);
        EXPECT_FALSE(dialog->GetTopLevel()->isVisible()) << "shown once it has its code";
        dialog->SetFailureCode(row.code);
        EXPECT_EQ(Text(dialog, "Code"), std::to_string(row.code));
        EXPECT_NE(Text(dialog, "Why ").find(row.says), std::string::npos) << Text(dialog, "Why ");
        Close(dialog, "OK  ");
    }
}

// What the user sees after Check for New Version, as the server answers. The check runs beside the event
// loop: while the server holds its answer back, the check is still under way once the commands return, and
// asking again starts no second check.
TEST_F(ReportDialogTest, CheckForNewVersionShowsTheOutcome)
{
    // Without KELVARA_VERSION_URL the check asks the address the build names.
    EXPECT_EQ(UResources::GetIndString(kKelvaraStrings, kProductInformationItem), KELVARA_TEST_VERSION_URL);
    using ProductInformation::File;
    using ProductInformation::Reply;
    const struct {
        const char* name;
        LocalReplyServer::Answer answer;
        std::vector<const char*> panes;
        std::string shown; // the dialog's title and what those panes say
    } cases[] = {
        { "new version published", LocalReplyServer::Reply(Reply(File("99.0", "Faster &amp; cooler."))),
            { "Pubd", "Note" },
            "New Version of Kelvara: Version 99.0 is published; you have version " KELVARA_TEST_VERSION
            ". | Faster & cooler." },
        { "same version published", LocalReplyServer::Reply(Reply(File(KELVARA_TEST_VERSION))), { "Vers" },
            "Kelvara Is Up to Date: Version " KELVARA_TEST_VERSION " is the one published on Kelvara's web site." },
        { "server closes without answering", LocalReplyServer::Reply(""), { "Code" }, "Version Check Failed: 3" },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        FixturePlatform platform;
        // The server answers once the test lets it.
        std::promise<void> release;
        LocalReplyServer server(
            [answer = row.answer, released = release.get_future().share()](LocalReplyServer& self, int socket) {
                released.wait();
                answer(self, socket);
            });
        ::setenv("KELVARA_VERSION_URL", server.URL().c_str(), 1);
        auto shown = [&](LWindow* window) {
            std::string text = window->GetDescriptor() + ":";
            for (const char* pane : row.panes)
                text += (text.back() == ':' ? " " : " | ") + Text(window, pane);
            return text;
        };
        Kelvara application;
        // The up-to-date dialog is modal: the user confirms it, and the loop it runs keeps the timers going.
        std::vector<std::string> confirmed;
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, [&] {
            for (LWindow* window : LWindow::GetWindowList()) {
                if (window->GetDescriptor() == "Kelvara Is Up to Date" && window->GetTopLevel()->isVisible()) {
                    confirmed.push_back(shown(window));
                    Click(window, "okay");
                }
            }
        });
        user.start(10);
        EXPECT_TRUE(application.ObeyCommand(cmd_CheckForNewVersion, nullptr));
        EXPECT_TRUE(application.ObeyCommand(cmd_CheckForNewVersion, nullptr));
        EXPECT_EQ(VersionCheckWorker::ChecksRunning(), 1);
        release.set_value();
        // Until every check's thread has ended: a second check would show a second outcome.
        while (application.IsVersionCheckWaiting() || VersionCheckWorker::ChecksRunning() > 0)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        QCoreApplication::processEvents();
        user.stop();
        if (confirmed.empty()) {
            LWindow* dialog = OnlyWindow();
            ASSERT_NE(dialog, nullptr);
            EXPECT_TRUE(dialog->GetTopLevel()->isVisible());
            confirmed.push_back(shown(dialog));
        } else {
            EXPECT_TRUE(LWindow::GetWindowList().empty()) << "closed once confirmed";
        }
        EXPECT_EQ(confirmed, std::vector<std::string> { row.shown });
        LWindow::DeleteAllWindows();
    }
}
