// Times one full redraw of a graph view plotting 12 sensors whose long-term histories are full (15000
// samples each): the image is 15047 pixels wide, drawn into a QImage as a window's update would draw it; and
// what a window shows of it, also at 30 pixels a minute (an image 450018 pixels wide, of which 700 are drawn).
#include "display/GraphWindowView.h"
#include "framework/LPaneEntry.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"

#include <QImage>
#include <QJsonArray>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kSensors = 12;

// Long-term samples (one a minute), newest first. Wandering readings change their whole degree every
// few minutes, as real ones do; alternating readings change it every minute, the costliest case.
std::vector<int32_t> History(int sensor, bool alternating)
{
    std::vector<int32_t> samples;
    for (int minute = 0; minute < TemperatureSensor::kLongTermCapacity - 1; ++minute) {
        double celsius = alternating
            ? 40 + 3 * sensor + 4 * (minute % 2)
            : 40 + 3 * sensor + 12 * std::sin((minute + 50 * sensor) / 180.0) + 0.8 * std::sin(minute / 7.0);
        samples.push_back(FixturePlatform::Fixed16(celsius));
    }
    return samples;
}

void WriteDataFile(FixturePlatform& machine, int index, const std::string& name, const std::vector<int32_t>& samples)
{
    std::vector<int32_t> file { TemperatureSensor::kDataFileVersion, 0, 0, static_cast<int32_t>(samples.size()) };
    file.insert(file.end(), samples.begin(), samples.end());
    file.push_back(0);
    char fileName[64];
    std::snprintf(fileName, sizeof fileName, "/%02d %s", index, name.c_str());
    TestFiles::WriteBytes(machine.ProgramFolder() + fileName, TestFiles::BigEndian32(file));
}

void Redraw(benchmark::State& state)
{
    bool alternating = state.range(0) != 0;
    FixturePlatform machine;
    for (int i = 1; i <= kSensors; ++i) {
        std::string name = "Sensor " + std::to_string(i);
        machine.AddTempSensor(name, 40 + 3 * i);
        WriteDataFile(machine, i, name, History(i, alternating));
    }
    SensorArray* sensors = SensorMaster::Get()->GetSensorArray();
    if (sensors->GetCount() != kSensors
        || (*sensors)[kSensors]->GetLTTempArray()->GetCount() != TemperatureSensor::kLongTermCapacity) {
        state.SkipWithError("the fixture did not give 12 sensors with full histories");
        return;
    }

    QJsonObject entry { { "class", "GViw" }, { "id", "Gviw" }, { "frame", QJsonArray { 0, 0, 700, 320 } } };
    GraphWindowView view { LPaneEntry(entry) };
    for (ArrayIndexT i = 1; i <= kSensors; ++i)
        view.AddSensor((*sensors)[i]);
    view.SetupSelf();
    view.SetTimeScale(static_cast<int32_t>(state.range(2)));
    // What a window scrolled to the newest samples shows, or the whole 250 hours.
    const bool visibleOnly = state.range(1) != 0;
    const int width = visibleOnly ? 700 : view.GetImageWidth();
    QImage image(width, view.GetImageHeight(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        painter.translate(width - view.GetImageWidth(), 0);
        view.Draw(painter);
    }
    state.SetLabel(std::to_string(width) + "x" + std::to_string(view.GetImageHeight()) + " of "
        + std::to_string(view.GetImageWidth()) + " at " + std::to_string(view.GetTimeScale()) + " px a minute, "
        + (alternating ? "readings alternating every minute" : "wandering readings"));
}
BENCHMARK(Redraw)
    ->Args({ 0, 0, 1 })
    ->Args({ 1, 0, 1 })
    ->Args({ 0, 1, 1 })
    ->Args({ 1, 1, 1 })
    ->Args({ 1, 1, 30 })
    ->Unit(benchmark::kMillisecond);

}
