#include "display/TrayPicture.h"

#include "display/DockIcon.h"
#include "display/DockTile.h"
#include "prefs/Preferences.h"
#include "sensors/SensorMaster.h"
#include "tests/support/FixturePlatform.h"
#include "tests/support/Sampling.h"
#include "util/TemperatureUnits.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kTraySize = 22;

const auto IsValueColor = [](QRgb p) { return qRed(p) < 90 && qGreen(p) < 90 && qBlue(p) < 90; };
const auto IsLimitColor = [](QRgb p) { return qRed(p) > 150 && qGreen(p) < 90 && qBlue(p) < 90; };

struct Ink {
    int value = 0; // pixels in the value colour, inside the frame
    int limit = 0; // pixels in the limit colour
    int height = 0; // rows from the first to the last with ink
};

Ink InkOf(const QImage& picture)
{
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    Ink ink;
    int first = -1;
    int last = -1;
    for (int y = 1; y < image.height() - 1; ++y) {
        for (int x = 1; x < image.width() - 1; ++x) {
            QRgb p = image.pixel(x, y);
            ink.value += IsValueColor(p);
            ink.limit += IsLimitColor(p);
            if (IsValueColor(p) || IsLimitColor(p)) {
                first = first < 0 ? y : first;
                last = y;
            }
        }
    }
    ink.height = first < 0 ? 0 : last - first + 1;
    return ink;
}

}

// At 22 pixels the number fills the icon: two digits 17 pixels tall or more, three 13, in the value colour,
// or in the limit colour when a sensor is at its limit.
TEST(TrayPicture, DigitsAreAsTallAsTheIconAllows)
{
    const struct {
        const char* name;
        std::string value;
        bool atLimit;
        int leastHeight; // of the 22 pixels; the scaled tile's text was 5 pixels tall
    } cases[] = {
        { "TwoDigits", "47", false, 17 },
        { "ThreeDigits", "104", false, 13 },
        { "OverTheLimit", "95", true, 17 },
        { "Negative", "-5", false, 17 },
    };
    for (const auto& each : cases) {
        Ink ink = InkOf(TrayPicture(each.value, each.atLimit).Image(kTraySize));
        EXPECT_GE(ink.height, each.leastHeight) << each.name;
        EXPECT_GT(each.atLimit ? ink.limit : ink.value, 40) << each.name;
        EXPECT_EQ(each.atLimit ? ink.value : ink.limit, 0) << each.name;
    }
}

namespace {

class TrayTile : public ::testing::Test {
protected:
    void SetUp() override { Preferences::Get()->SetTemperatureScale(kScaleCelsius); }
    void TearDown() override
    {
        DockIcon::DeleteInstanceForTesting();
        DockTile::DeleteInstanceForTesting();
    }

    SensorRegistry::EntryID AddSensor(const std::string& name, double celsius, std::optional<double> limit = {})
    {
        auto entry = mMachine.AddTempSensor(name, celsius);
        if (limit)
            mMachine.Registry().SetProperty(entry, "high-threshold", FixturePlatform::Fixed16(*limit));
        return entry;
    }

    static void Show(uint32_t type, const std::vector<std::string>& names)
    {
        Sampling::StartSensors();
        Preferences* prefs = Preferences::Get();
        prefs->SetDockIconType(type);
        for (SensorNameList* list : { prefs->GetDockGraphDisplayArray(), prefs->GetDockTextDisplayArray() }) {
            list->RemoveAllItems();
            for (const std::string& name : names)
                list->AddItem(MakeStr255(name));
        }
        DockIcon::Get();
        prefs->NotifySubscribers();
    }

    FixturePlatform mMachine;
};

}

// The tray shows the hottest sensor the tile shows, in whole degrees; any sensor at or above its limit, shown
// or not, turns it to the limit colour; the tool tip lists every shown sensor.
TEST_F(TrayTile, ShowsTheHottestChosenSensorAndAnySensorAtItsLimit)
{
    AddSensor("Board", 41.4);
    AddSensor("CPU", 57.4, 90);
    auto gpu = AddSensor("GPU", 99, 100);
    const struct {
        const char* name;
        std::vector<std::string> shown;
        double gpu;
        std::string value;
        bool atLimit;
        std::string toolTip;
    } cases[] = {
        { "Hottest", { "Board", "CPU" }, 99, "57", false, "Kelvara\nBoard: 41C\nCPU: 57C" },
        { "AtTheLimitUnshown", { "Board", "CPU" }, 100, "57", true, "Kelvara\nBoard: 41C\nCPU: 57C" },
        { "OverTheLimitShown", { "GPU" }, 104.4, "104", true, "Kelvara\nGPU: 104C" },
    };
    for (const auto& each : cases) {
        mMachine.Registry().SetProperty(gpu, "current-value", FixturePlatform::Fixed16(each.gpu));
        Sampling::SampleNow(*(*SensorMaster::Get()->GetSensorArray())[3]);
        Show(DockIcon::kGraphIcon, each.shown);
        QImage tray = DockTile::Get()->TrayImage(kTraySize);
        EXPECT_EQ(tray, TrayPicture(each.value, each.atLimit).Image(kTraySize)) << each.name;
        EXPECT_EQ(DockTile::Get()->GetTrayToolTip(), each.toolTip) << each.name;
    }
    // A sensor at its limit is named once, with its limit, as the limit watch words it.
    DockTile::Get()->SetToolTip("Kelvara\nGPU: 104C (limit 100C)");
    EXPECT_EQ(DockTile::Get()->GetTrayToolTip(), "Kelvara\nGPU: 104C (limit 100C)");
}

// A Text tile's tray shows one sensor at a time, taking turns; with no sensor, the tray shows the tile.
TEST_F(TrayTile, ATextTileShowsOneSensorAtATime)
{
    AddSensor("Board", 41);
    AddSensor("CPU", 57);
    Show(DockIcon::kTextIcon, { "Board", "CPU" });
    std::vector<QImage> shown { DockTile::Get()->TrayImage(kTraySize) };
    for (int tick = 0; tick < 2; ++tick) {
        DockIcon::Get()->SpendTime(EventRecord {});
        shown.push_back(DockTile::Get()->TrayImage(kTraySize));
    }
    QImage board = TrayPicture("41", false).Image(kTraySize);
    QImage cpu = TrayPicture("57", false).Image(kTraySize);
    EXPECT_EQ(shown, (std::vector<QImage> { board, cpu, board }));

    Show(0, {});
    EXPECT_EQ(DockTile::Get()->TrayImage(kTraySize),
        DockTile::Get()->GetShownImage().scaled(kTraySize, kTraySize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}
