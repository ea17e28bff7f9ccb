// Times one redraw of the application's tile: the graph tile of 12 sensors whose short-term histories
// are full (500 samples, of which the tile draws the newest 92).
#include "display/DockIcon.h"
#include "display/DockTile.h"
#include "prefs/Preferences.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"

#include <benchmark/benchmark.h>

#include <cmath>
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
            (*sensors)[i + 1]->CreateNewEvent();
        }
    }
    DockIcon* icon = DockIcon::Get();
    if (icon->GetSensors().GetCount() != kSensors) {
        state.SkipWithError("the tile did not find its 12 sensors");
        return;
    }
    for (auto _ : state)
        icon->UpdateIcon();
    state.SetLabel("12 sensors, 92 points each");
    DockIcon::DeleteInstanceForTesting();
    DockTile::DeleteInstanceForTesting();
}
BENCHMARK(GraphTileRedraw)->Unit(benchmark::kMicrosecond);

}
