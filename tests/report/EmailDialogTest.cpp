// The temperature record e-mail: the record of this machine, the dialog's buttons, and the command that
// opens it once there is enough data.
#include "report/EmailDialog.h"
#include "sensors/SensorMaster.h"
#include "tests/report/ReportDialogTest.h"
#include "tests/support/FixturePlatform.h"

namespace {

class TemperatureRecordEmail : public ReportDialogTest {
protected:
    // A sensor whose data file holds samples long-term samples (the first sample at discovery adds one
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
};

struct MachineCase {
    std::string name;
    std::string model;
    std::string label;
};

class RecordOfThisMachine : public TemperatureRecordEmail, public ::testing::WithParamInterface<MachineCase> { };

std::vector<MachineCase> MachineCases()
{
    return {
        { "ModelInTheDatabase", "PowerMac8,1", "iMac G5, 1.6GHz" },
        { "FirstOfSeveralEntries", "PowerMac7,3", "Power Mac G5, Dual 1.8GHz (June 2004)" },
        { "ModelNotInTheDatabase", "ThinkStation8,2", "ThinkStation8,2" },
    };
}

struct ButtonCase {
    std::string name;
    bool mailProgram;
    bool launchSucceeds;
    std::string button;
    size_t launches;
    int beeps;
};

class EmailDialogButtons : public TemperatureRecordEmail, public ::testing::WithParamInterface<ButtonCase> { };

std::vector<ButtonCase> ButtonCases()
{
    return {
        { "PrepareMessage", true, true, "RmPr", 1, 0 },
        { "HandOffFails", true, false, "RmPr", 1, 1 },
        { "NotNow", true, true, "RmNo", 0, 0 },
        { "ClosingTheWindow", true, true, "", 0, 0 },
        { "Escape", true, true, "Escape", 0, 0 },
        { "NoMailProgram", false, true, "RmNo", 0, 0 },
    };
}

struct OfferCase {
    std::string name;
    int32_t samples;
    uint32_t elapsed;
    bool enabled;
};

class RecordCommand : public TemperatureRecordEmail, public ::testing::WithParamInterface<OfferCase> { };

std::vector<OfferCase> OfferCases()
{
    return {
        { "TooFewSamples", 300, 25201, false },
        { "TooEarly", 301, 25200, false },
        { "EnoughOfBoth", 301, 25201, true },
        { "NoSensor", 0, 99999, false },
    };
}

}

TEST_P(RecordOfThisMachine, NamesTheModelAsTheDatabaseDoes)
{
    FixturePlatform platform(GetParam().model);
    AddRecordedSensor(platform, "CPU T-Diode", 300);
    const std::string& label = GetParam().label;
    EXPECT_EQ(EmailDialog::ComposeMessage(),
        "mailto:" KELVARA_TEST_RECORD_ADDRESS "?Subject=Kelvara Temperature Record&Body=Kelvara\n"
        "My name is: <FILL IN FOR CREDITS>\nKey:"
            + label + "_2_2400\nVersion:" KELVARA_TEST_VERSION "\nMachine:" + label
            + "\nProcessors:2\nSpeed:2400\n"
              "Sensor:CPU T-Diode\n  Type:1\n  Min:95\n  Max:158\n  Samples:301\nENDDATA");
}

INSTANTIATE_TEST_SUITE_P(Models, RecordOfThisMachine, ::testing::ValuesIn(MachineCases()),
    [](const ::testing::TestParamInfo<MachineCase>& info) { return info.param.name; });

TEST_P(EmailDialogButtons, PrepareOrDeclineAndClose)
{
    const ButtonCase& row = GetParam();
    FixturePlatform platform;
    AddRecordedSensor(platform, "Board", 10);
    platform.Launcher().hasHandler = row.mailProgram;
    platform.Launcher().launchSucceeds = row.launchSucceeds;
    Kelvara application;
    ASSERT_TRUE(application.ObeyCommand(cmd_SubmitRecord, nullptr));
    LWindow* dialog = OnlyWindow();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetDescriptor(), "Send Temperature Record");
    EXPECT_EQ(platform.Launcher().asked, std::vector<std::string> { "mailto" });
    EXPECT_EQ(Text(dialog, "RmPr"), "Prepare Message…");
    EXPECT_EQ(Text(dialog, "RmNo"), "Not Now");
    EXPECT_EQ(Pane(dialog, "RmPr")->IsEnabled(), row.mailProgram);
    EXPECT_EQ(Pane(dialog, "NoMl")->IsVisible(), !row.mailProgram) << "says why the message cannot be prepared";

    if (row.button.empty())
        dialog->AttemptClose();
    else if (row.button == "Escape")
        PressKey(dialog, Qt::Key_Escape);
    else
        Click(dialog, row.button.c_str());
    EXPECT_FALSE(Shown(dialog)) << "the dialog goes at once";
    LetClicksFinish();
    EXPECT_TRUE(LWindow::GetWindowList().empty());
    ASSERT_EQ(platform.Launcher().launched.size(), row.launches);
    if (row.launches > 0) {
        EXPECT_EQ(platform.Launcher().launched.front(), EmailDialog::ComposeMessage());
    }
    EXPECT_EQ(beeps, row.beeps);
}

INSTANTIATE_TEST_SUITE_P(Buttons, EmailDialogButtons, ::testing::ValuesIn(ButtonCases()),
    [](const ::testing::TestParamInfo<ButtonCase>& info) { return info.param.name; });

TEST_P(RecordCommand, IsOfferedOnceThereIsEnoughData)
{
    const OfferCase& row = GetParam();
    FixturePlatform platform;
    if (row.samples > 0)
        AddRecordedSensor(platform, "Board", row.samples - 1);
    Kelvara application;
    application.StartUp();
    ASSERT_EQ(SensorMaster::Get()->GetSamplesOfFirstSensor(), static_cast<uint32_t>(row.samples));
    platform.Clock().Advance(row.elapsed);

    bool enabled = !row.enabled;
    bool usesMark = true;
    uint16_t mark = 0;
    Str255 name {};
    application.FindCommandStatus(cmd_SubmitRecord, enabled, usesMark, mark, name);
    EXPECT_EQ(enabled, row.enabled);
    EXPECT_EQ(Str255ToString(name),
        row.enabled ? "Send Temperature Record…" : "Send Temperature Record (after 7 hours of use)");
}

INSTANTIATE_TEST_SUITE_P(Data, RecordCommand, ::testing::ValuesIn(OfferCases()),
    [](const ::testing::TestParamInfo<OfferCase>& info) { return info.param.name; });
