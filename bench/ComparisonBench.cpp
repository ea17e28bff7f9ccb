// Times the two costs of the machine comparison: building the whole database from its token arrays (once,
// at start-up), and one full redraw of its widest model, the Dual 2.0 GHz Power Mac G5 (entry 51: seven
// columns of 254 measurements, an image 25292 pixels wide), into a QImage as a window's update draws it.
#include "compare/ComparisonMaster.h"
#include "compare/ComparisonWindowView.h"
#include "framework/LPaneEntry.h"
#include "tests/support/FixturePlatform.h"

#include <QImage>
#include <QJsonArray>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

void BuildDatabase(benchmark::State& state)
{
    for (auto _ : state) {
        auto database = std::make_unique<ComparisonMaster>();
        benchmark::DoNotOptimize(database->GetSystemCount());
    }
}
BENCHMARK(BuildDatabase)->Unit(benchmark::kMillisecond);

// Arguments: the view's height, and whether only a window's width of it is exposed (as when a window
// paints what it shows, or the user scrolls) rather than the whole image.
void RedrawWidestModel(benchmark::State& state)
{
    FixturePlatform machine("PowerMac7,2");
    const int height = static_cast<int>(state.range(0));
    const bool exposedPart = state.range(1) != 0;
    QJsonObject entry { { "class", "CViw" }, { "id", "Cviw" }, { "frame", QJsonArray { 0, 0, 1080, height } } };
    ComparisonWindowView view { LPaneEntry(entry) };
    view.SetSystem((*ComparisonMaster::Get()->GetSystemArray())[51]);
    QImage image(view.GetImageWidth(), view.GetImageHeight(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    for (auto _ : state) {
        QPainter painter(&image);
        if (exposedPart)
            painter.setClipRect(12000, 0, 1080, height);
        view.Draw(painter);
    }
    state.SetLabel(std::to_string(view.GetImageWidth()) + "x" + std::to_string(view.GetImageHeight())
        + (exposedPart ? ", 1080 pixels exposed" : ", whole image"));
}
BENCHMARK(RedrawWidestModel)->Args({ 314, 0 })->Args({ 800, 0 })->Args({ 314, 1 })->Unit(benchmark::kMillisecond);

}
