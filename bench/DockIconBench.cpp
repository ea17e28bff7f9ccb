// Times one redraw of the application's tile: the graph tile of 12 sensors whose short-term histories
// are full (500 samples, of which the tile draws the newest 92). And, on an X display, how much the heap
// grows over 10000 redraws that each change the picture: what months of running would gather.
#include "display/DockIcon.h"
#include "display/DockTile.h"
#include "prefs/Preferences.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"
#include "tests/support/Sampling.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kSensors = 12;

void GraphTileRedraw(benchmark::State& state)
{
    FixturePlatform machine;
    std::vector<SensorRegistry::EntryID> entries;
    Preferences* prefs = Preferences::Get();
    prefs->SetDockIconType(DockIcon::kGraphIcon);
    prefs->GetDockGraphDisplayArray()->RemoveAllItems();
    for (int i = 1; i <= kSensors; ++i) {
        std::string name = "Sensor " + std::to_string(i);
        entries.push_back(machine.AddTempSensor(name, 40 + i));
        prefs->GetDockGraphDisplayArray()->AddItem(MakeStr255(name));
    }
    SensorArray* sensors = SensorMaster::Get()->GetSensorArray();
    if (sensors->GetCount() != kSensors) {
        state.SkipWithError("the fixture did not give 12 sensors");
        return;
    }
    // Readings that wander, so that every line climbs and falls across the tile.
    for (int sample = 0; sample < TemperatureSensor::kShortTermCapacity; ++sample) {
        for (int i = 0; i < kSensors; ++i) {
            double celsius = 40 + 3 * i + 10 * std::sin((sample + 7 * i) / 9.0);
            machine.Registry().SetProperty(entries[i], "current-value", FixturePlatform::Fixed16(celsius));
            Sampling::SampleNow(*(*sensors)[i + 1]);
        }
    }
    DockIcon* icon = DockIcon::Get();
    if (icon->GetSensors().GetCount() != kSensors) {
        state.SkipWithError("the tile did not find its 12 sensors");
        return;
    }
    // Temperatures and percent in turn make every redraw draw a new picture; unchanged, a redraw finds
    // that the tile already shows what it would draw.
    bool changing = state.range(0) != 0;
    int16_t format = 1;
    for (auto _ : state) {
        if (changing) {
            format = format == 1 ? 2 : 1;
            prefs->SetDockGraphDisplayFormat(format);
        }
        icon->UpdateIcon();
    }
    state.SetLabel(std::string("12 sensors, 92 points each, ") + (changing ? "a new picture" : "the same picture"));
    DockIcon::DeleteInstanceForTesting();
    DockTile::DeleteInstanceForTesting();
}
BENCHMARK(GraphTileRedraw)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

}

namespace {

size_t HeapInUse()
{
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Run it on X: QT_QPA_PLATFORM=xcb DISPLAY=:N bench_dock --benchmark_filter=Heap (Xvfb will do). A window
// is open, so that every new picture goes to the X server as its icon.
void TileRedrawsHeapGrowth(benchmark::State& state)
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb")) {
        state.SkipWithError("needs an X display: QT_QPA_PLATFORM=xcb DISPLAY=:N");
        return;
    }
    FixturePlatform machine;
    Preferences* prefs = Preferences::Get();
    prefs->SetDockIconType(DockIcon::kGraphIcon);
    prefs->GetDockGraphDisplayArray()->RemoveAllItems();
    std::vector<SensorRegistry::EntryID> entries;
    for (int i = 1; i <= 3; ++i) {
        std::string name = "Sensor " + std::to_string(i);
        entries.push_back(machine.AddTempSensor(name, 40 + i));
        prefs->GetDockGraphDisplayArray()->AddItem(MakeStr255(name));
        // Full histories, which new samples no longer make longer.
        std::vector<int32_t> file { TemperatureSensor::kDataFileVersion, 0, 0, TemperatureSensor::kLongTermCapacity };
        file.insert(file.end(), TemperatureSensor::kLongTermCapacity, FixturePlatform::Fixed16(40 + i));
        file.push_back(TemperatureSensor::kShortTermCapacity);
        file.insert(file.end(), TemperatureSensor::kShortTermCapacity, FixturePlatform::Fixed16(40 + i));
        char fileName[64];
        std::snprintf(fileName, sizeof fileName, "/%02d %s", i, name.c_str());
        TestFiles::WriteBytes(machine.ProgramFolder() + fileName, TestFiles::BigEndian32(file));
    }
    SensorArray* sensors = SensorMaster::Get()->GetSensorArray();
    QWidget window;
    window.resize(200, 100);
    window.show();
    DockIcon* icon = DockIcon::Get();
    int sample = 0;
    // Every redraw follows a new sample of readings that wander, so that every picture differs from the last.
    auto redraw = [&](int count) {
        for (int n = 0; n < count; ++n, ++sample) {
            for (size_t i = 0; i < entries.size(); ++i) {
                double celsius = 40 + 5 * static_cast<double>(i) + 10 * std::sin((sample + 11 * i) / 7.3);
                machine.Registry().SetProperty(entries[i], "current-value", FixturePlatform::Fixed16(celsius));
                Sampling::SampleNow(*(*sensors)[static_cast<ArrayIndexT>(i + 1)]);
            }
            icon->UpdateIcon();
            QCoreApplication::processEvents();
        }
    };
    // Caches of fonts and glyphs fill during the first redraws.
    redraw(1000);
    constexpr int kRedraws = 10000;
    size_t before = HeapInUse();
    for (auto _ : state)
        redraw(kRedraws);
    size_t after = HeapInUse();
    state.counters["heap_growth_KB"] = (static_cast<double>(after) - static_cast<double>(before)) / 1024;
    state.counters["bytes_per_redraw"] = (static_cast<double>(after) - static_cast<double>(before)) / kRedraws;
    state.SetLabel("10000 redraws of a changing graph tile of 3 full histories, the window icon on X");
    DockIcon::DeleteInstanceForTesting();
    DockTile::DeleteInstanceForTesting();
}
BENCHMARK(TileRedrawsHeapGrowth)->Iterations(1)->Unit(benchmark::kSecond);

}
