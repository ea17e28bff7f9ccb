#include "prefs/PreferencesDialog.h"

#include "display/DataWindow.h"
#include "display/DataWindowGraph.h"
#include "display/DockIcon.h"
#include "display/DockTile.h"
#include "framework/LBevelButton.h"
#include "framework/LColorSwatch.h"
#include "framework/LControl.h"
#include "framework/LMemoryStream.h"
#include "framework/LRadioGroupView.h"
#include "framework/LStaticText.h"
#include "framework/URegistrar.h"
#include "platform/AutostartEntry.h"
#include "prefs/KelvaraSettings.h"
#include "prefs/Preferences.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"
#include "util/TemperatureUnits.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMainWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const PaneIDT kICN1 = FourCC("ICN1");
const PaneIDT kICN2 = FourCC("ICN2");
const PaneIDT kICN3 = FourCC("ICN3");
const PaneIDT kICN4 = FourCC("ICN4");
const char* const kTileControls[] = { "Sen1", "Dsp1", "Scal", "Sen2", "Dsp2", "Sens" };

std::string SensorName(int number)
{
    char name[32];
    std::snprintf(name, sizeof name, "Sensor %02d", number);
    return name;
}

std::vector<std::string> Names(SensorNameList* list)
{
    std::vector<std::string> names;
    for (ArrayIndexT i = 1; i <= list->GetCount(); ++i)
        names.push_back(Str255ToString((*list)[i]));
    return names;
}

void SetNames(SensorNameList* list, const std::vector<std::string>& names)
{
    list->RemoveAllItems();
    for (const std::string& name : names)
        list->AddItem(MakeStr255(name));
}

// Every setting as the preferences file would hold it.
std::vector<uint8_t> SettingsBytes()
{
    LMemoryStream stream;
    Preferences::Get()->StreamOut(stream);
    return stream.GetBytesHeld();
}

class MessageLog : public LListener {
public:
    void ListenToMessage(MessageT message, void*) override { messages.push_back(message); }
    std::vector<MessageT> messages;
};

template <typename Pane> Pane* Find(LWindow* window, PaneIDT paneID)
{
    auto* pane = dynamic_cast<Pane*>(window->FindPaneByID(paneID));
    EXPECT_NE(pane, nullptr) << FourCCToText(paneID);
    return pane;
}

void Click(LWindow* window, PaneIDT paneID)
{
    static_cast<QAbstractButton*>(Find<LPane>(window, paneID)->GetWidget())->click();
}

// A key press as the focused control passes it on.
void Press(LWindow* window, int key)
{
    QWidget* focus = window->GetTopLevel()->focusWidget();
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(focus != nullptr ? focus : window->GetTopLevel(), &event);
}

// Until the windows closed by the user are gone: a close is carried out after the event that asked.
void LetTheEventLoopRun()
{
    for (int round = 0; round < 3; ++round)
        QCoreApplication::processEvents();
}

class PreferencesDialogTest : public ::testing::Test {
protected:
    PreferencesDialogTest()
    {
        URegistrar::RegisterFrameworkClasses();
        URegistrar::RegisterClass<PreferencesDialog>(FourCC("Pref"));
        URegistrar::RegisterClass<DataWindow>(FourCC("Data"));
        URegistrar::RegisterClass<DataWindowGraph>(FourCC("Lgra"));
        Preferences::Get()->AddListener(&broadcasts);
    }
    ~PreferencesDialogTest() override
    {
        LColorSwatch::SetChooser({});
        LWindow::DeleteAllWindows();
        DockIcon::DeleteInstanceForTesting();
        DockTile::DeleteInstanceForTesting();
    }

    void InstallSensors(int count)
    {
        for (int number = 1; number <= count; ++number)
            platform.AddTempSensor(SensorName(number), 30 + number);
    }

    static PreferencesDialog* Open()
    {
        auto* dialog = dynamic_cast<PreferencesDialog*>(LWindow::CreateWindow(PreferencesDialog::kLayoutID, nullptr));
        EXPECT_NE(dialog, nullptr);
        return dialog;
    }

    int Broadcasts() const
    {
        return static_cast<int>(std::count(broadcasts.messages.begin(), broadcasts.messages.end(), msg_PrefsChanged));
    }

    FixturePlatform platform;
    MessageLog broadcasts;
};

// The radio button that is on, and the tile controls that are enabled.
std::string TileState(LWindow* dialog)
{
    std::string state = FourCCToText(Find<LRadioGroupView>(dialog, FourCC("ICNV"))->GetCurrentRadioID()) + ":";
    for (const char* id : kTileControls) {
        if (Find<LPane>(dialog, FourCCFromText(id))->GetWidget()->isEnabled())
            state += std::string(" ") + id;
    }
    return state;
}

// The names shown by the rows whose name and swatch show.
std::vector<std::string> ShownRows(LWindow* dialog)
{
    std::vector<std::string> rows;
    for (int row = 1; row <= PreferencesDialog::kRowCount; ++row) {
        auto* name = Find<LStaticText>(dialog, LPaneEntry::RowPaneID("Se", row));
        EXPECT_EQ(name->IsVisible(), Find<LColorSwatch>(dialog, LPaneEntry::RowPaneID("Co", row))->IsVisible()) << row;
        if (name->IsVisible())
            rows.push_back(name->GetDescriptor());
    }
    return rows;
}

}

TEST_F(PreferencesDialogTest, TheTileControlsFollowTheRadioButtonThatIsOn)
{
    const struct {
        const char* name;
        uint32_t storedType;
        std::vector<PaneIDT> clicks;
        // A message that reaches the dialog after the clicks, as the off message of a button can.
        PaneIDT lateMessage;
        std::string expected;
    } cases[] = {
        { "type 0 stored", 0, {}, 0, "ICN1:" },
        { "type 1 stored", 1, {}, 0, "ICN2: Sen1 Dsp1 Scal" },
        { "type 2 stored", 2, {}, 0, "ICN3: Sen2 Dsp2" },
        { "type 3 stored", 3, {}, 0, "ICN4: Sens" },
        { "an unknown type shows the application icon, as the tile does", 7, {}, 0, "ICN1:" },
        { "choosing the application icon disables all six", 2, { kICN1 }, 0, "ICN1:" },
        { "choosing graph, then picture", 0, { kICN2, kICN4 }, 0, "ICN4: Sens" },
        { "clicking the button that is on changes nothing", 1, { kICN2 }, 0, "ICN2: Sen1 Dsp1 Scal" },
        { "the old button's off message arriving last", 1, { kICN3 }, kICN2, "ICN3: Sen2 Dsp2" },
        { "the new button's on message arriving last", 1, { kICN3 }, kICN3, "ICN3: Sen2 Dsp2" },
    };
    InstallSensors(2);
    for (const auto& each : cases) {
        Preferences::Get()->SetDockIconType(each.storedType);
        PreferencesDialog* dialog = Open();
        ASSERT_NE(dialog, nullptr) << each.name;
        for (PaneIDT radio : each.clicks)
            Click(dialog, radio);
        if (each.lateMessage != 0) {
            int32_t value = each.lateMessage == kICN3 ? 1 : 0;
            dialog->ListenToMessage(each.lateMessage, &value);
        }
        EXPECT_EQ(TileState(dialog), each.expected) << each.name;
        delete dialog;
    }
}

TEST_F(PreferencesDialogTest, RowsShowTheFirstTwelveSensorsWithTheirColours)
{
    const struct {
        const char* name;
        int sensors;
    } cases[] = {
        { "five sensors hide rows 6 to 12", 5 },
        { "fourteen sensors open with twelve rows", 14 },
        { "no sensor hides every row", 0 },
    };
    for (const auto& each : cases) {
        FixturePlatform machine;
        // The hardware monitors give twelve sensors at most; processor packages come after them.
        for (int number = 1; number <= std::min(each.sensors, 12); ++number)
            machine.AddTempSensor(SensorName(number), 40);
        machine.Processors().SetReadings(std::vector<int32_t>(std::max(each.sensors - 12, 0), 50));
        for (int32_t position = 0; position < Preferences::kSensorColorCount; ++position)
            Preferences::Get()->SetSensorColor(position, RGBColor { static_cast<uint16_t>(1000 * position), 0, 7 });
        PreferencesDialog* dialog = Open();
        ASSERT_NE(dialog, nullptr) << each.name;

        std::vector<std::string> expected;
        for (int row = 1; row <= std::min(each.sensors, 12); ++row) {
            expected.push_back(SensorName(row));
            EXPECT_EQ(Find<LColorSwatch>(dialog, LPaneEntry::RowPaneID("Co", row))->GetSwatchColor(),
                (RGBColor { static_cast<uint16_t>(1000 * (row - 1)), 0, 7 }))
                << each.name << " row " << row;
        }
        EXPECT_EQ(ShownRows(dialog), expected) << each.name;
        // Every sensor can be chosen for the tile, the thirteenth and later ones too.
        EXPECT_EQ(Find<LBevelButton>(dialog, FourCC("Sens"))->CountMenuItems(), each.sensors) << each.name;

        ASSERT_EQ(SensorMaster::Get()->GetSensorCount(), each.sensors) << each.name;

        Click(dialog, FourCC("OKay"));
        LetTheEventLoopRun();
        EXPECT_TRUE(LWindow::GetWindowList().empty()) << each.name;
    }
}

// Every way to close the dialog after the same changes: OK and Return store what the controls show and
// reach the data windows and the tile at once; Cancel, Escape and closing the window change and tell nothing.
struct CloseCase {
    const char* name;
    bool confirms;
    void (*close)(LWindow* dialog);
};

class ClosingTheDialog : public PreferencesDialogTest, public ::testing::WithParamInterface<CloseCase> { };

TEST_P(ClosingTheDialog, StoresAndTellsOnlyWhenConfirmed)
{
    InstallSensors(3);
    for (ArrayIndexT i = 1; i <= 3; ++i) {
        TemperatureSensor* sensor = (*SensorMaster::Get()->GetSensorArray())[i];
        sensor->CreateNewEvent();
        sensor->CreateNewEvent();
    }
    Preferences* prefs = Preferences::Get();
    prefs->SetDockIconType(1);
    prefs->SetTemperatureScale(9); // unknown: the scale menu shows Celsius
    SetNames(prefs->GetDockGraphDisplayArray(), { SensorName(2) });
    SetNames(prefs->GetDockTextDisplayArray(), { SensorName(3), "Unplugged Drive" });
    auto* window = dynamic_cast<DataWindow*>(LWindow::CreateWindow(DataWindow::kLayoutID, nullptr));
    ASSERT_NE(window, nullptr);
    DockIcon* tile = DockIcon::Get();
    const RGBColor chosen { 0xABAB, 0x1212, 0xCDCD };
    auto graphShowsChosen = [&] {
        QImage image = window->FindPaneByID(FourCC("GraV"))->RenderImage().convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) == qRgb(0xAB, 0x12, 0xCD))
                    return true;
            }
        }
        return false;
    };
    ASSERT_FALSE(graphShowsChosen());
    const std::vector<uint8_t> before = SettingsBytes();
    const std::string rowBefore = Find<LStaticText>(window, FourCC("Tc01"))->GetDescriptor();

    PreferencesDialog* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    std::string chooserTitle;
    LColorSwatch::SetChooser([&](RGBColor& color, const std::string& title, QWidget*) {
        chooserTitle = title;
        color = chosen;
        return true;
    });
    Find<LBevelButton>(dialog, FourCC("Sen1"))->UserChoseItem(2);
    Click(dialog, kICN1);
    Click(dialog, kICN3);
    Find<LBevelButton>(dialog, FourCC("Sen2"))->UserChoseItem(1);
    Find<LBevelButton>(dialog, FourCC("Sens"))->SetCurrentMenuItem(3);
    Find<LBevelButton>(dialog, FourCC("Scal"))->SetCurrentMenuItem(2);
    auto* scale = static_cast<QComboBox*>(Find<LPane>(dialog, FourCC("Temp"))->GetWidget());
    EXPECT_EQ(scale->currentText().toStdString(), "Celsius");
    scale->activated(kScaleKelvin - 1);
    Click(dialog, FourCC("Co03"));
    Click(dialog, FourCC("SenL"));
    Click(dialog, FourCC("Chek"));
    // Outside the preferences: the autostart entry appears, and the notifications go off in their key file.
    EXPECT_EQ(Find<LControl>(dialog, FourCC("Logn"))->GetValue(), 0);
    EXPECT_EQ(Find<LControl>(dialog, FourCC("Warn"))->GetValue(), 1);
    Click(dialog, FourCC("Logn"));
    Click(dialog, FourCC("Warn"));
    EXPECT_FALSE(graphShowsChosen()) << "nothing changes before the dialog closes";
    GetParam().close(dialog);
    LetTheEventLoopRun();
    EXPECT_EQ(LWindow::GetWindowList().size(), 1u) << "the dialog is gone";
    EXPECT_EQ(chooserTitle, "Colour of " + SensorName(3));
    const std::string autostartPath = platform.Home() / "config/autostart/kelvara.desktop";
    const std::string keyFile = platform.ProgramFolder() + "/Kelvara Settings.ini";
    if (!GetParam().confirms) {
        EXPECT_EQ(SettingsBytes(), before);
        EXPECT_EQ(Broadcasts(), 0);
        EXPECT_FALSE(TestFiles::Exists(autostartPath));
        EXPECT_FALSE(TestFiles::Exists(keyFile));
        EXPECT_EQ(Find<LStaticText>(window, FourCC("Tc01"))->GetDescriptor(), rowBefore);
        EXPECT_FALSE(graphShowsChosen());
        return;
    }
    EXPECT_EQ(prefs->GetDockIconType(), 2u) << "the last radio button chosen";
    // The name arrays hold what the menus showed (no mark leaves none), and a sensor missing at this launch
    // keeps its place after the names before it, to come back with the sensor (regression: it dropped out).
    EXPECT_EQ(Names(prefs->GetDockGraphDisplayArray()), std::vector<std::string>());
    EXPECT_EQ(Names(prefs->GetDockTextDisplayArray()),
        std::vector<std::string>({ SensorName(1), SensorName(3), "Unplugged Drive" }));
    EXPECT_EQ(prefs->GetDockPictSensorIndex(), 3);
    EXPECT_EQ(prefs->GetDockGraphTimescale(), 2);
    EXPECT_EQ(prefs->GetTemperatureScale(), kScaleKelvin);
    EXPECT_FALSE(prefs->GetVersionCheck());
    EXPECT_FALSE(prefs->GetDisplayLegend());
    RGBColor stored;
    prefs->GetSensorColor(2, stored);
    EXPECT_EQ(stored, chosen);
    EXPECT_EQ(Broadcasts(), 1);
    EXPECT_TRUE(graphShowsChosen());
    EXPECT_EQ(Find<LStaticText>(window, FourCC("Tc01"))->GetDescriptor(), "304K") << "rows show the new scale at once";
    ASSERT_EQ(tile->GetSensors().GetCount(), 2) << "the text tile shows the checked sensors that are present";
    EXPECT_EQ(tile->GetSensors()[1]->GetSensorName(), SensorName(1));
    EXPECT_EQ(tile->GetSensors()[2]->GetSensorName(), SensorName(3));
    AutostartEntry autostart(platform.Home() / "config");
    EXPECT_TRUE(autostart.IsEnabled());
    std::vector<uint8_t> entry = TestFiles::ReadBytes(autostart.GetPath());
    EXPECT_EQ(std::string(entry.begin(), entry.end()), AutostartEntry::MakeEntryText(AutostartEntry::RunningProgram()));
    std::vector<uint8_t> keys = TestFiles::ReadBytes(keyFile);
    EXPECT_EQ(std::string(keys.begin(), keys.end()), "[Notifications]\nWarnAtLimits=false\n");
    KelvaraSettings::DeleteInstanceForTesting();
    EXPECT_FALSE(KelvaraSettings::Get()->GetWarnAtLimits()) << "read back at the next start";
}

INSTANTIATE_TEST_SUITE_P(Ways, ClosingTheDialog,
    ::testing::Values(CloseCase { "OK", true, [](LWindow* dialog) { Click(dialog, FourCC("OKay")); } },
        CloseCase { "Return", true, [](LWindow* dialog) { Press(dialog, Qt::Key_Return); } },
        CloseCase { "Cancel", false, [](LWindow* dialog) { Click(dialog, FourCC("Cncl")); } },
        CloseCase { "Escape", false, [](LWindow* dialog) { Press(dialog, Qt::Key_Escape); } },
        CloseCase { "WindowClosed", false, [](LWindow* dialog) { dialog->GetTopLevel()->close(); } }),
    [](const ::testing::TestParamInfo<CloseCase>& info) { return info.param.name; });
