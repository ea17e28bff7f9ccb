// Times the sensors' own work: one sampling round of 12 sensors read from a sysfs tree on the reading
// threads (the CPU time of the whole process), and loading and saving 12 data files that hold full histories
// (15000 long-term and 500 short-term samples).
#include "platform/LinuxSensorRegistry.h"
#include "platform/Platform.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"
#include "tests/support/Sampling.h"
#include "tests/support/SysfsFixture.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kSensors = 12;

// A machine with 12 channels on three chips, read through the real hwmon registry.
struct TwelveSensorMachine {
    TwelveSensorMachine()
    {
        for (int chip = 0; chip < 3; ++chip) {
            auto hwmon = sysfs.AddChip(chip).Name("chip" + std::to_string(chip));
            for (int channel = 1; channel <= 4; ++channel)
                hwmon.Temp(channel, 40000 + 1000 * channel, "Sensor " + std::to_string(channel));
        }
        PlatformServices services;
        services.registry = std::make_unique<LinuxSensorRegistry>(sysfs.Root());
        services.processors = std::make_unique<FixtureProcessorTemperatures>();
        services.smc = std::make_unique<FixtureSMCUserClient>();
        services.machine = std::make_unique<FixtureMachineInfo>("Bench1,1");
        services.folders = std::make_unique<FixtureUserFolders>(home / "config");
        services.clock = std::make_unique<FixtureClock>();
        Platform::Install(std::move(services));
    }
    ~TwelveSensorMachine()
    {
        FixturePlatform::ResetSingletons();
        Platform::Install(PlatformServices {});
    }

    // Fills every sensor's histories to capacity, so that each sample also drops the oldest.
    void FillHistories()
    {
        SensorArray* sensors = SensorMaster::Get()->GetSensorArray();
        for (ArrayIndexT i = 1; i <= sensors->GetCount(); ++i) {
            TemperatureSensor* sensor = (*sensors)[i];
            Sampling::SampleNow(*sensor);
            while (sensor->GetLTTempArray()->GetCount() < TemperatureSensor::kLongTermCapacity)
                sensor->CreateNewEvent();
        }
    }

    SysfsFixture sysfs;
    TemporaryFolder home;
};

void SamplingTick(benchmark::State& state)
{
    TwelveSensorMachine machine;
    SensorArray* sensors = SensorMaster::Get()->GetSensorArray();
    if (sensors->GetCount() != kSensors) {
        state.SkipWithError("the fixture did not give 12 sensors");
        return;
    }
    machine.FillHistories();
    SensorMaster& master = *SensorMaster::Get();
    for (auto _ : state) {
        if (!Sampling::RecordRound(master)) {
            state.SkipWithError("a round was not recorded");
            return;
        }
    }
    state.SetLabel("12 sensors, full histories, read on the reading threads");
}
BENCHMARK(SamplingTick)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

void LoadAndSaveFullFiles(benchmark::State& state)
{
    bool flush = state.range(0) != 0;
    TwelveSensorMachine machine;
    machine.FillHistories();
    SensorArray* sensors = SensorMaster::Get()->GetSensorArray();
    for (ArrayIndexT i = 1; i <= kSensors; ++i)
        (*sensors)[i]->SaveData(false);
    std::vector<std::unique_ptr<TemperatureSensor>> loaded;
    for (auto _ : state) {
        state.PauseTiming();
        loaded.clear();
        state.ResumeTiming();
        // Constructing a sensor loads its file; then it is saved.
        for (ArrayIndexT i = 1; i <= kSensors; ++i) {
            TemperatureSensor* original = (*sensors)[i];
            loaded.push_back(std::make_unique<TemperatureSensor>(
                original->GetSource(), original->GetSensorType(), original->GetSensorIndex()));
        }
        for (auto& sensor : loaded)
            sensor->SaveData(flush);
    }
    // The destructors save once more, after the timed loop.
    loaded.clear();
    state.SetLabel(flush ? "12 files of 15500 samples, flushed to disk" : "12 files of 15500 samples, no flush");
}
BENCHMARK(LoadAndSaveFullFiles)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}
