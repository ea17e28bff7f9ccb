// The version check's dialogs, and the commands that run the check and show its outcome.
#include "framework/LDialogBox.h"
#include "prefs/Preferences.h"
#include "report/NewVersionDialog.h"
#include "report/NewVersionFailDialog.h"
#include "report/ReportResources.h"
#include "report/UpToDateDialog.h"
#include "tests/report/LocalReplyServer.h"
#include "tests/report/ProductInformation.h"
#include "tests/report/ReportDialogTest.h"
#include "tests/support/FixturePlatform.h"

#include <QTimer>

#include <cstdlib>

namespace {

class VersionDialogs : public ReportDialogTest {
protected:
    ~VersionDialogs() override { ::unsetenv("KELVARA_VERSION_URL"); }

    FixturePlatform platform;
};

struct NewVersionButtonCase {
    std::string name;
    // The button clicked; empty for closing the window.
    std::string button;
    bool launchSucceeds;
    bool versionCheckAfter;
    std::vector<std::string> launched;
    int beeps;
};

class NewVersionDialogButtons : public VersionDialogs, public ::testing::WithParamInterface<NewVersionButtonCase> { };

std::vector<NewVersionButtonCase> NewVersionButtonCases()
{
    return {
        { "DontTellMeAgain", "NewI", true, false, {}, 0 },
        { "OK", "OK  ", true, true, {}, 0 },
        { "ClosingTheWindow", "", true, true, {}, 0 },
        { "VisitWebSite", "NewD", true, true, { KELVARA_TEST_WEBSITE }, 0 },
        { "VisitWebSiteFails", "NewD", false, true, { KELVARA_TEST_WEBSITE }, 1 },
    };
}

struct FailureCase {
    std::string name;
    int32_t code;
    std::string says;
};

class VersionFailureTexts : public VersionDialogs, public ::testing::WithParamInterface<FailureCase> { };

std::vector<FailureCase> FailureCases()
{
    return {
        { "BadRequest", 1, "no usable address" },
        { "NetworkFailure", 2, "could not be reached, or did not answer in time" },
        { "NotProductInformation", 3, "was not the product information" },
        { "ValueMissing", 4, "does not name the version published" },
        { "OutOfMemory", 6, "out of memory" },
        { "UnknownCode", 42, "a reason Kelvara does not know" },
    };
}

// What the user sees after Check for New Version, as the server answers.
struct CheckCase {
    std::string name;
    // No server runs without an answer: the connection is refused.
    LocalReplyServer::Answer answer;
    std::string title;
    // What one of the dialog's panes says.
    std::string pane;
    std::string text;
};

class CheckForNewVersion : public VersionDialogs, public ::testing::WithParamInterface<CheckCase> { };

std::vector<CheckCase> CheckCases()
{
    using ProductInformation::File;
    using ProductInformation::Reply;
    return {
        { "NewVersionPublished", LocalReplyServer::Reply(Reply(File("99.0", "Faster &amp; cooler."))),
            "New Version of Kelvara", "Pubd", "Version 99.0 is published; you have version " KELVARA_TEST_VERSION "." },
        { "ReleaseNotesShown", LocalReplyServer::Reply(Reply(File("99.0", "Faster &amp; cooler."))),
            "New Version of Kelvara", "Note", "Faster & cooler." },
        { "SameVersionPublished", LocalReplyServer::Reply(Reply(File(KELVARA_TEST_VERSION))), "Kelvara Is Up to Date",
            "Vers", "Version " KELVARA_TEST_VERSION " is the one published on Kelvara's web site." },
        { "ErrorPage", LocalReplyServer::Reply("HTTP/1.0 404 Not Found\r\n\r\nNo."), "Version Check Failed", "Code",
            "3" },
        { "ServerNotRunning", {}, "Version Check Failed", "Code", "2" },
    };
}

}

TEST_F(VersionDialogs, StringListCarriesTheBuildsVersionAndAddresses)
{
    EXPECT_EQ(UResources::GetIndString(kKelvaraStrings, kVersionTextItem), KELVARA_TEST_VERSION);
    EXPECT_EQ(UResources::GetIndString(kKelvaraStrings, kProductInformationItem), KELVARA_TEST_VERSION_URL);
    EXPECT_EQ(UResources::GetIndString(kKelvaraStrings, kWebSiteItem), KELVARA_TEST_WEBSITE);
    EXPECT_EQ(UResources::GetIndString(kKelvaraStrings, kRecordAddressItem), KELVARA_TEST_RECORD_ADDRESS);
}

TEST_P(NewVersionDialogButtons, DoWhatTheySayAndClose)
{
    const NewVersionButtonCase& row = GetParam();
    platform.Launcher().launchSucceeds = row.launchSucceeds;
    Kelvara application;
    ASSERT_TRUE(application.ObeyCommand(cmd_NewVersion, nullptr));
    LWindow* dialog = OnlyWindow();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetDescriptor(), "New Version of Kelvara");
    EXPECT_EQ(Text(dialog, "NewI"), "Don't Tell Me Again");
    EXPECT_EQ(Text(dialog, "NewD"), "Visit Web Site");
    bool enabled = true;
    bool usesMark = false;
    uint16_t mark = 0;
    Str255 name {};
    dialog->FindCommandStatus(cmd_NewDataWindow, enabled, usesMark, mark, name);
    EXPECT_FALSE(enabled) << "the menus are inactive while the dialog is in front";

    if (row.button.empty())
        dialog->AttemptClose();
    else
        Click(dialog, row.button.c_str());
    EXPECT_FALSE(Shown(dialog)) << "the dialog goes at once";
    LetClicksFinish();
    EXPECT_TRUE(LWindow::GetWindowList().empty());
    EXPECT_EQ(Preferences::Get()->GetVersionCheck(), row.versionCheckAfter);
    EXPECT_EQ(platform.Launcher().launched, row.launched);
    EXPECT_EQ(beeps, row.beeps);
}

INSTANTIATE_TEST_SUITE_P(Buttons, NewVersionDialogButtons, ::testing::ValuesIn(NewVersionButtonCases()),
    [](const ::testing::TestParamInfo<NewVersionButtonCase>& info) { return info.param.name; });

TEST_P(VersionFailureTexts, ShowTheCodeAndWhatWentWrong)
{
    const FailureCase& row = GetParam();
    auto* dialog = dynamic_cast<NewVersionFailDialog*>(LWindow::CreateWindow(NewVersionFailDialog::kLayout, nullptr));
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(Shown(dialog)) << "shown once it has its code";
    dialog->SetFailureCode(row.code);
    EXPECT_EQ(Text(dialog, "Code"), std::to_string(row.code));
    EXPECT_NE(Text(dialog, "Why ").find(row.says), std::string::npos) << Text(dialog, "Why ");
    Click(dialog, "OK  ");
    LetClicksFinish();
    EXPECT_TRUE(LWindow::GetWindowList().empty());
}

INSTANTIATE_TEST_SUITE_P(Codes, VersionFailureTexts, ::testing::ValuesIn(FailureCases()),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST_P(CheckForNewVersion, ShowsTheOutcome)
{
    const CheckCase& row = GetParam();
    std::optional<LocalReplyServer> server;
    std::string url = "http://127.0.0.1:" + std::to_string(LocalReplyServer::ClosedPort()) + "/p/info.plist";
    if (row.answer)
        url = server.emplace(row.answer).URL();
    ::setenv("KELVARA_VERSION_URL", url.c_str(), 1);

    Kelvara application;
    // The up-to-date dialog is modal: the user confirms it while the command waits.
    std::string confirmed;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        for (LWindow* window : LWindow::GetWindowList()) {
            if (window->GetDescriptor() == "Kelvara Is Up to Date" && confirmed.empty()) {
                confirmed = Text(window, row.pane.c_str());
                Click(window, "okay");
            }
        }
    });
    user.start(10);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(application.ObeyCommand(cmd_CheckForNewVersion, nullptr));
    testing::internal::GetCapturedStderr();
    user.stop();

    if (row.title == "Kelvara Is Up to Date") {
        EXPECT_EQ(confirmed, row.text);
        EXPECT_TRUE(LWindow::GetWindowList().empty()) << "closed once confirmed";
        return;
    }
    LWindow* dialog = OnlyWindow();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetDescriptor(), row.title);
    EXPECT_TRUE(Shown(dialog));
    EXPECT_EQ(Text(dialog, row.pane.c_str()), row.text);
}

INSTANTIATE_TEST_SUITE_P(Servers, CheckForNewVersion, ::testing::ValuesIn(CheckCases()),
    [](const ::testing::TestParamInfo<CheckCase>& info) { return info.param.name; });
