#include "prefs/PreferencesDialog.h"

#include "display/DataWindow.h"
#include "display/DataWindowGraph.h"
#include "display/DockIcon.h"
#include "display/DockTile.h"
#include "framework/LBevelButton.h"
#include "framework/LColorSwatch.h"
#include "framework/LEditText.h"
#include "framework/LMemoryStream.h"
#include "framework/LRadioGroupView.h"
#include "framework/URegistrar.h"
#include "platform/AutostartEntry.h"
#include "prefs/KelvaraSettings.h"
#include "prefs/Preferences.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"
#include "tests/support/Sampling.h"
#include "util/TemperatureUnits.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMainWindow>

#include <gtest/gtest.h>

namespace {

std::string SensorName(int number)
{
    return (number < 10 ? "Sensor 0" : "Sensor ") + std::to_string(number);
}

std::vector<std::string> Names(SensorNameList* list)
{
    std::vector<std::string> names;
    for (ArrayIndexT i = 1; i <= list->GetCount(); ++i)
        names.push_back(Str255ToString((*list)[i]));
    return names;
}

template <typename Pane = LPane> Pane* Find(LWindow* window, const std::string& paneID)
{
    auto* pane = dynamic_cast<Pane*>(window->FindPaneByID(FourCCFromText(paneID)));
    EXPECT_NE(pane, nullptr) << paneID;
    return pane;
}

void Click(LWindow* window, const std::string& paneID)
{
    static_cast<QAbstractButton*>(Find(window, paneID)->GetWidget())->click();
}

// A key press as the focused control passes it on.
void Press(LWindow* window, int key)
{
    QWidget* focus = window->GetTopLevel()->focusWidget();
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(focus != nullptr ? focus : window->GetTopLevel(), &event);
}

// The preferences as the file would hold them.
std::vector<uint8_t> Stored()
{
    LMemoryStream stream;
    Preferences::Get()->StreamOut(stream);
    return stream.GetBytesHeld();
}

class PrefsChangedCount : public LListener {
public:
    void ListenToMessage(MessageT message, void*) override { count += message == msg_PrefsChanged ? 1 : 0; }
    int count = 0;
};

class PreferencesDialogTest : public ::testing::Test {
protected:
    PreferencesDialogTest()
    {
        URegistrar::RegisterFrameworkClasses();
        URegistrar::RegisterClass<PreferencesDialog>(FourCC("Pref"));
        URegistrar::RegisterClass<DataWindow>(FourCC("Data"));
        URegistrar::RegisterClass<DataWindowGraph>(FourCC("Lgra"));
        Preferences::Get()->AddListener(&broadcasts);
        for (int number = 1; number <= 3; ++number)
            platform.AddTempSensor(SensorName(number), 30 + number);
    }
    ~PreferencesDialogTest() override
    {
        LColorSwatch::SetChooser({});
        LWindow::DeleteAllWindows();
        DockIcon::DeleteInstanceForTesting();
        DockTile::DeleteInstanceForTesting();
    }

    // The dialog, never null: a layout that makes none ends the test.
    static PreferencesDialog* Open()
    {
        auto* dialog = dynamic_cast<PreferencesDialog*>(LWindow::CreateWindow(PreferencesDialog::kLayoutID, nullptr));
        return dialog != nullptr ? dialog : throw std::runtime_error("no preferences dialog");
    }

    FixturePlatform platform;
    PrefsChangedCount broadcasts;
};

}

TEST_F(PreferencesDialogTest, TheTileControlsFollowTheRadioButtonThatIsOn)
{
    const struct {
        const char* name;
        uint32_t storedType;
        std::vector<const char*> clicks;
        // A message that reaches the dialog after the clicks, as the off message of a button can.
        const char* lateMessage;
        std::string expected; // the radio button that is on: the tile controls enabled
    } cases[] = {
        { "type 3 stored, the last known", 3, {}, "", "ICN4: Sens" },
        { "an unknown type shows the application icon, as the tile does", 7, {}, "", "ICN1:" },
        { "choosing the application icon disables all six", 2, { "ICN1" }, "", "ICN1:" },
        { "clicking the button that is on changes nothing", 1, { "ICN2" }, "", "ICN2: Sen1 Dsp1 Scal" },
        { "the old button's off message arriving last", 1, { "ICN3" }, "ICN2", "ICN3: Sen2 Dsp2" },
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        Preferences::Get()->SetDockIconType(each.storedType);
        PreferencesDialog* dialog = Open();
        for (const char* radio : each.clicks)
            Click(dialog, radio);
        if (*each.lateMessage != '\0') {
            int32_t off = 0;
            dialog->ListenToMessage(FourCCFromText(each.lateMessage), &off);
        }
        std::string state = FourCCToText(Find<LRadioGroupView>(dialog, "ICNV")->GetCurrentRadioID()) + ":";
        for (const char* id : { "Sen1", "Dsp1", "Scal", "Sen2", "Dsp2", "Sens" })
            state += Find(dialog, id)->GetWidget()->isEnabled() ? std::string(" ") + id : "";
        EXPECT_EQ(state, each.expected);
        delete dialog;
    }
}

// Rows show the first twelve sensors with their colours; every sensor, the thirteenth and later ones too,
// can be chosen for the tile.
TEST_F(PreferencesDialogTest, RowsShowTheFirstTwelveSensorsWithTheirColours)
{
    for (int sensors : { 5, 14, 0 }) {
        SCOPED_TRACE(sensors);
        FixturePlatform machine;
        // The hardware monitors give twelve sensors at most; processor packages come after them.
        for (int number = 1; number <= std::min(sensors, 12); ++number)
            machine.AddTempSensor(SensorName(number), 40);
        machine.Processors().SetReadings(std::vector<int32_t>(std::max(sensors - 12, 0), 50));
        for (int32_t position = 0; position < Preferences::kSensorColorCount; ++position)
            Preferences::Get()->SetSensorColor(position, RGBColor { static_cast<uint16_t>(1000 * position), 0, 7 });
        PreferencesDialog* dialog = Open();
        for (int row = 1; row <= PreferencesDialog::kRowCount; ++row) {
            const std::string number = (row < 10 ? "0" : "") + std::to_string(row);
            auto* name = Find<LEditText>(dialog, "Se" + number);
            auto* swatch = Find<LColorSwatch>(dialog, "Co" + number);
            EXPECT_EQ(
                std::make_pair(name->IsVisible(), swatch->IsVisible()), std::make_pair(row <= sensors, row <= sensors))
                << row;
            if (row <= sensors) {
                EXPECT_EQ(name->GetDescriptor(), SensorName(row));
                EXPECT_EQ(swatch->GetSwatchColor(), (RGBColor { static_cast<uint16_t>(1000 * (row - 1)), 0, 7 }));
            }
        }
        EXPECT_EQ(Find<LBevelButton>(dialog, "Sens")->CountMenuItems(), sensors);
        delete dialog;
    }
}

// OK stores only what the user changed: a stored value that its control cannot show, and so shows as
// something else, is kept as it was (regression: OK wrote back what the control showed in its place).
TEST_F(PreferencesDialogTest, OKKeepsAStoredValueItsControlCannotShow)
{
    const struct {
        const char* name;
        void (*store)(Preferences& prefs);
    } cases[] = {
        { "an unknown tile type, shown as the application icon", [](Preferences& p) { p.SetDockIconType(7); } },
        { "graph time scale 0, shown as the first", [](Preferences& p) { p.SetDockGraphTimescale(0); } },
        { "graph format past the menu", [](Preferences& p) { p.SetDockGraphDisplayFormat(9); } },
        { "text format 0", [](Preferences& p) { p.SetDockTextDisplayFormat(0); } },
        { "picture sensor past the sensors", [](Preferences& p) { p.SetDockPictSensorIndex(5); } },
        { "an unknown temperature scale, shown as Celsius", [](Preferences& p) { p.SetTemperatureScale(9); } },
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        Preferences::DeleteInstanceForTesting();
        each.store(*Preferences::Get());
        const std::vector<uint8_t> before = Stored();
        PreferencesDialog* dialog = Open();
        dialog->ListenToMessage(msg_PrefsOK, nullptr);
        EXPECT_EQ(Stored(), before);
        delete dialog;
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
    Sampling::StartSensors();
    Preferences* prefs = Preferences::Get();
    prefs->SetDockIconType(1);
    prefs->SetTemperatureScale(9); // unknown: the scale menu shows Celsius
    prefs->GetDockGraphDisplayArray()->AddItem(MakeStr255(SensorName(2)));
    prefs->GetDockTextDisplayArray()->AddItem(MakeStr255(SensorName(3)));
    prefs->GetDockTextDisplayArray()->AddItem(MakeStr255("Unplugged Drive"));
    auto* window = dynamic_cast<DataWindow*>(LWindow::CreateWindow(DataWindow::kLayoutID, nullptr));
    ASSERT_NE(window, nullptr);
    DockIcon* tile = DockIcon::Get();
    const std::vector<uint8_t> before = Stored();
    const std::string rowBefore = Find(window, "Tc01")->GetDescriptor();

    PreferencesDialog* dialog = Open();
    std::string chooserTitle;
    LColorSwatch::SetChooser([&](RGBColor& color, const std::string& title, QWidget*) {
        chooserTitle = title;
        color = RGBColor { 0xABAB, 0x1212, 0xCDCD };
        return true;
    });
    Find<LBevelButton>(dialog, "Sen1")->UserChoseItem(2);
    Click(dialog, "ICN1");
    Click(dialog, "ICN3");
    Find<LBevelButton>(dialog, "Sen2")->UserChoseItem(1);
    Find<LBevelButton>(dialog, "Sens")->SetCurrentMenuItem(3);
    Find<LBevelButton>(dialog, "Scal")->SetCurrentMenuItem(2);
    auto* scale = static_cast<QComboBox*>(Find(dialog, "Temp")->GetWidget());
    EXPECT_EQ(scale->currentText().toStdString(), "Celsius");
    scale->activated(kScaleKelvin - 1);
    Click(dialog, "Co03");
    Click(dialog, "SenL");
    Click(dialog, "Chek");
    // Outside the preferences: the autostart entry appears, and the notifications go off in their key file;
    // sharing with Prometheus goes on, the check box and the address together.
    Click(dialog, "Logn");
    Click(dialog, "Warn");
    Click(dialog, "Prom");
    EXPECT_EQ(Find(dialog, "Addr")->GetDescriptor(), "127.0.0.1:9947");
    Find(dialog, "Addr")->SetDescriptor(" 0.0.0.0:9100 \n");
    GetParam().close(dialog);
    // A close is carried out after the event that asked.
    for (int round = 0; round < 3; ++round)
        QCoreApplication::processEvents();
    EXPECT_EQ(LWindow::GetWindowList().size(), 1u) << "the dialog is gone";
    EXPECT_EQ(chooserTitle, "Colour of " + SensorName(3));
    const bool autostart = AutostartEntry(platform.Home() / "config").IsEnabled();
    const std::vector<uint8_t> keyBytes = TestFiles::ReadBytes(platform.ProgramFolder() + "/Kelvara Settings.ini");
    const std::string keys(keyBytes.begin(), keyBytes.end());
    if (!GetParam().confirms) {
        EXPECT_EQ(Stored(), before);
        EXPECT_EQ(std::make_tuple(broadcasts.count, autostart, Find(window, "Tc01")->GetDescriptor()),
            std::make_tuple(0, false, rowBefore));
        EXPECT_TRUE(keys.find("Notifications") == std::string::npos && keys.find("Metrics") == std::string::npos)
            << keys;
        return;
    }
    EXPECT_EQ(prefs->GetDockIconType(), 2u) << "the last radio button chosen";
    // The name arrays hold what the menus showed (no mark leaves none), and a sensor missing at this launch
    // keeps its place after the names before it, to come back with the sensor (regression: it dropped out).
    EXPECT_EQ(Names(prefs->GetDockGraphDisplayArray()), std::vector<std::string>());
    EXPECT_EQ(Names(prefs->GetDockTextDisplayArray()),
        std::vector<std::string>({ SensorName(1), SensorName(3), "Unplugged Drive" }));
    EXPECT_EQ(std::make_tuple(prefs->GetDockPictSensorIndex(), prefs->GetDockGraphTimescale(),
                  prefs->GetTemperatureScale(), prefs->GetVersionCheck(), prefs->GetDisplayLegend()),
        std::make_tuple(3, 2, kScaleKelvin, false, false));
    RGBColor stored;
    prefs->GetSensorColor(2, stored);
    EXPECT_EQ(stored, (RGBColor { 0xABAB, 0x1212, 0xCDCD }));
    // Rows show the new scale at once; the text tile shows the checked sensors that are present.
    std::string tileSensors;
    for (ArrayIndexT i = 1; i <= tile->GetSensors().GetCount(); ++i)
        tileSensors += tile->GetSensors()[i]->GetSensorName() + ";";
    EXPECT_EQ(std::make_tuple(broadcasts.count, autostart, Find(window, "Tc01")->GetDescriptor(), tileSensors),
        std::make_tuple(1, true, "304K", SensorName(1) + ";" + SensorName(3) + ";"));
    EXPECT_TRUE(keys.starts_with("[Metrics]\nListen=0.0.0.0:9100\nShareReadings=true\n\n"
                                 "[Notifications]\nWarnAtLimits=false\n\n"))
        << keys;
    KelvaraSettings::DeleteInstanceForTesting();
    EXPECT_FALSE(KelvaraSettings::Get()->GetWarnAtLimits()) << "read back at the next start";
    EXPECT_TRUE(KelvaraSettings::Get()->GetShareReadings());
    EXPECT_EQ(KelvaraSettings::Get()->GetMetricsListen(), "0.0.0.0:9100");
}

INSTANTIATE_TEST_SUITE_P(Ways, ClosingTheDialog,
    ::testing::Values(CloseCase { "OK", true, [](LWindow* dialog) { Click(dialog, "OKay"); } },
        CloseCase { "Return", true, [](LWindow* dialog) { Press(dialog, Qt::Key_Return); } },
        CloseCase { "Cancel", false, [](LWindow* dialog) { Click(dialog, "Cncl"); } },
        CloseCase { "Escape", false, [](LWindow* dialog) { Press(dialog, Qt::Key_Escape); } },
        CloseCase { "WindowClosed", false, [](LWindow* dialog) { dialog->GetTopLevel()->close(); } }),
    [](const ::testing::TestParamInfo<CloseCase>& info) { return info.param.name; });
