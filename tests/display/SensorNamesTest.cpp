// Names the user gives sensors, kept across restarts, and the tool tips that name each sensor's device; on a
// sysfs tree with two identical NVMe drives and a graphics card.
#include "display/DataWindow.h"
#include "display/DataWindowGraph.h"
#include "display/GraphWindow.h"
#include "display/GraphWindowView.h"
#include "framework/LBevelButton.h"
#include "framework/LEditText.h"
#include "framework/LStaticText.h"
#include "framework/URegistrar.h"
#include "prefs/DataWindowPrefs.h"
#include "prefs/KelvaraSettings.h"
#include "prefs/PreferencesDialog.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"
#include "tests/support/Sampling.h"
#include "tests/support/SysfsFixture.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using Names = std::vector<std::string>;

const std::string kDriveA = "pci0000:00/0000:00:01.1/0000:01:00.0/nvme/nvme0";
const std::string kDriveB = "pci0000:00/0000:00:01.2/0000:02:00.0/nvme/nvme1";
const std::string kCard = "pci0000:00/0000:00:03.1/0000:0a:00.0";
const Names kHardwareNames { "nvme Composite", "nvme Composite 2", "amdgpu edge" };

class SensorNamesTest : public ::testing::Test {
protected:
    SensorNamesTest()
    {
        URegistrar::RegisterFrameworkClasses();
        URegistrar::RegisterClass<DataWindow>(FourCC("Data"));
        URegistrar::RegisterClass<DataWindowGraph>(FourCC("Lgra"));
        URegistrar::RegisterClass<GraphWindow>(FourCC("Graf"));
        URegistrar::RegisterClass<GraphWindowView>(FourCC("GViw"));
        URegistrar::RegisterClass<PreferencesDialog>(FourCC("Pref"));
        const std::tuple<int, std::string, const char*, const char*> chips[] = { { 0, kDriveA, "nvme", "Composite" },
            { 1, kDriveB, "nvme", "Composite" }, { 2, kCard, "amdgpu", "edge" } };
        for (const auto& [hwmon, device, chip, label] : chips)
            sysfs.AddChip(hwmon).Device(device).Name(chip).Temp(1, 40000, label);
        // Two drives of one model, told apart by their serials.
        for (const auto& [device, serial] :
            { std::pair { kDriveA, "S5GXNF0R123456A" }, { kDriveB, "S5GXNF0R123789B" } }) {
            sysfs.Write("sys/devices/" + device + "/model", "Samsung SSD 980 PRO 1TB                 \n");
            sysfs.Write("sys/devices/" + device + "/serial", std::string(serial) + "     \n");
        }
        sysfs.Write("sys/devices/" + kCard + "/vendor", "0x1002\n");
        sysfs.Write("sys/devices/" + kCard + "/device", "0x73bf\n");
        sysfs.Write("usr/share/misc/pci.ids",
            "1002  Advanced Micro Devices, Inc. [AMD/ATI]\n\t73bf  Navi 21 [Radeon RX 6800/6800 XT / 6900 XT]\n");
        Sampling::StartSensors();
    }
    ~SensorNamesTest() override { LWindow::DeleteAllWindows(); }

    // Quits and starts again, as a new launch does: the sensors, the settings and the windows anew.
    void Restart()
    {
        LWindow::DeleteAllWindows();
        SensorMaster::DeleteInstanceForTesting();
        KelvaraSettings::DeleteInstanceForTesting();
        Sampling::StartSensors();
    }

    static TemperatureSensor& Sensor(int position) { return *(*SensorMaster::Get()->GetSensorArray())[position]; }

    // A data window's name in a row ("Na"), or a graph window's legend entry ("Tx").
    static LStaticText* Text(LWindow* window, const char* prefix, int row)
    {
        return dynamic_cast<LStaticText*>(window->FindPaneByID(LPaneEntry::RowPaneID(prefix, row)));
    }

    // A double click on a data window's row, then the keys in the field it opens.
    static void RenameInRow(int row, const std::string& typed, int finalKey)
    {
        LWindow* window = LWindow::CreateWindow(DataWindow::kLayoutID, nullptr);
        window->Show();
        QTest::mouseDClick(Text(window, "Na", row)->GetWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        auto* field = window->GetTopLevel()->findChild<QLineEdit*>();
        ASSERT_NE(field, nullptr);
        ASSERT_TRUE(field->isVisible());
        EXPECT_EQ(field->text().toStdString(), Sensor(row).GetShownName());
        QTest::keyClick(field, Qt::Key_Backspace); // the name comes selected
        field->insert(QString::fromStdString(typed));
        QTest::keyClick(field, static_cast<Qt::Key>(finalKey));
        delete window;
    }

    // The preferences' name field of a row, then OK.
    static void RenameInPreferences(int row, const std::string& typed)
    {
        LWindow* dialog = LWindow::CreateWindow(PreferencesDialog::kLayoutID, nullptr);
        auto* field = dynamic_cast<LEditText*>(dialog->FindPaneByID(LPaneEntry::RowPaneID("Se", row)));
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->GetDescriptor(), Sensor(row).GetShownName());
        field->GetLineEdit()->selectAll();
        QTest::keyClick(field->GetLineEdit(), Qt::Key_Backspace);
        field->GetLineEdit()->insert(QString::fromStdString(typed));
        static_cast<QAbstractButton*>(dialog->FindPaneByID(FourCC("OKay"))->GetWidget())->click();
        delete dialog;
    }

    SysfsFixture sysfs;
    FixturePlatform platform { FixturePlatform::OnSysfs { sysfs.Root() } };
};

}

TEST_F(SensorNamesTest, ARenameIsKeptAcrossRestarts)
{
    enum How { InRow, InPreferences };
    // Sensor 2's name from an earlier run, where and what the user types, the key that ends a row's field (Return
    // keeps, Escape leaves), and the name shown after a restart; the settings file keeps any other than the
    // hardware's.
    const std::tuple<const char*, std::string, How, std::string, int, std::string> cases[] = {
        { "typed in a data window row", "", InRow, "Backup drive", Qt::Key_Return, "Backup drive" },
        { "Escape leaves the name as it was", "Backup drive", InRow, "Other", Qt::Key_Escape, "Backup drive" },
        { "typed in the preferences' row, white space around it dropped", "", InPreferences, "  Système\t",
            Qt::Key_Return, "Système" },
        { "an empty name gives back the hardware's", "Backup drive", InRow, "", Qt::Key_Return, "nvme Composite 2" },
        { "the hardware's name is no name of the user's", "Backup drive", InPreferences, "nvme Composite 2",
            Qt::Key_Return, "nvme Composite 2" },
    };
    for (const auto& [name, givenBefore, how, typed, finalKey, shown] : cases) {
        SCOPED_TRACE(name);
        SensorMaster::Get()->RenameSensor(Sensor(2), givenBefore);
        if (how == InRow)
            RenameInRow(2, typed, finalKey);
        else
            RenameInPreferences(2, typed);
        Restart();
        LWindow* data = LWindow::CreateWindow(DataWindow::kLayoutID, nullptr);
        EXPECT_EQ(Text(data, "Na", 2)->GetDescriptor(), shown);
        LWindow* graph = LWindow::CreateWindow(128, nullptr);
        EXPECT_EQ(Text(graph, "Tx", 2)->GetDescriptor(), shown);
        // The menus show the name; the records keep the hardware's, as do the data files.
        auto* menu = dynamic_cast<LBevelButton*>(data->FindPaneByID(FourCC("Show")));
        EXPECT_EQ(Str255ToString(menu->GetMenuItemLabel(2)), shown);
        DataWindowPrefs record;
        dynamic_cast<DataWindow*>(data)->GetWindowPrefs(&record);
        Names recorded;
        for (ArrayIndexT i = 1; i <= record.GetSensorNames()->GetCount(); ++i)
            recorded.push_back(Str255ToString((*record.GetSensorNames())[i]));
        EXPECT_EQ(recorded, kHardwareNames);
        EXPECT_TRUE(std::filesystem::exists(platform.ProgramFolder() + "/02 nvme Composite 2"));
        std::vector<uint8_t> bytes = TestFiles::ReadBytes(platform.ProgramFolder() + "/" + kSettingsFileName);
        std::string settings(bytes.begin(), bytes.end());
        bool named = shown != kHardwareNames[1];
        EXPECT_EQ(settings.find(named ? "givenName=" + shown : "givenName") != std::string::npos, named) << settings;
        LWindow::DeleteAllWindows();
    }
}

TEST_F(SensorNamesTest, ToolTipsNameTheDevice)
{
    SensorMaster::Get()->RenameSensor(Sensor(3), "Graphics card");
    const Names expected {
        "nvme Composite\nSamsung SSD 980 PRO 1TB, serial …456A",
        "nvme Composite 2\nSamsung SSD 980 PRO 1TB, serial …789B",
        "Graphics card (amdgpu edge)\nAdvanced Micro Devices, Inc. [AMD/ATI] Navi 21 [Radeon RX 6800/6800 XT / 6900 "
        "XT] (0000:0a:00.0)",
    };
    LWindow* data = LWindow::CreateWindow(DataWindow::kLayoutID, nullptr);
    LWindow* graph = LWindow::CreateWindow(128, nullptr);
    for (int row = 1; row <= 3; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(Text(data, "Na", row)->GetToolTip(), expected[row - 1]);
        EXPECT_EQ(Text(graph, "Tx", row)->GetToolTip(), expected[row - 1]);
    }
}
