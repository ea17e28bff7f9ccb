// What the watch over the limits adds to a sampling tick: 12 sensors with high limits, four of them past
// theirs (so the tray's tool tip is made again at each of their samples), with and without the watch.
#include "display/DockTile.h"
#include "platform/Notifier.h"
#include "sensors/LimitWatch.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"
#include "tests/support/Sampling.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

class CountingNotifier : public Notifier {
public:
    void Notify(const std::string&, const std::string&) override { ++count; }
    int count = 0;
};

void SamplingTickWithLimits(benchmark::State& state)
{
    bool watched = state.range(0) != 0;
    FixturePlatform machine;
    for (int i = 1; i <= 12; ++i) {
        SensorRegistry::EntryID entry = machine.AddTempSensor("chip Sensor " + std::to_string(i), i <= 4 ? 105 : 60);
        machine.Registry().SetProperty(entry, "high-threshold", FixturePlatform::Fixed16(100));
    }
    SensorArray* sensors = SensorMaster::Get()->GetSensorArray();
    CountingNotifier notifier;
    std::unique_ptr<LimitWatch> watch;
    if (watched)
        watch = std::make_unique<LimitWatch>(
            *SensorMaster::Get(), notifier, [](const std::string& summary) { DockTile::Get()->SetToolTip(summary); });
    for (auto _ : state) {
        for (ArrayIndexT i = 1; i <= sensors->GetCount(); ++i)
            Sampling::SampleNow(*(*sensors)[i]);
        // What the watch does after each round of samples.
        if (watch)
            watch->CheckAll();
    }
    watch.reset();
    DockTile::DeleteInstanceForTesting();
    state.SetLabel(watched ? "12 sensors, 4 past their limits, watched" : "12 sensors, not watched");
}
BENCHMARK(SamplingTickWithLimits)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}
