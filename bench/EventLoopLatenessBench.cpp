// How late the event loop answers while the sensors are sampled, with one channel stuck in the kernel for
// good (a named pipe nobody writes: its open blocks) and one whose every read takes 2 seconds, among 30
// channels of a current PC. A timer due every 10 ms records how late each firing comes; the target is that
// the loop is never held for more than 50 ms, and every other sensor gets its sample every 5 seconds.
#include "platform/SysfsFile.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"
#include "tests/support/SysfsFixture.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace {

std::string sSlowInput;

ssize_t TwoSecondPread(int fd, void* buffer, size_t count, off_t offset)
{
    std::error_code error;
    if (std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), error) == sSlowInput && !error)
        std::this_thread::sleep_for(std::chrono::seconds(2));
    return ::pread(fd, buffer, count, offset);
}

void EventLoopLateness(benchmark::State& state)
{
    SysfsFixture sysfs;
    auto cores = sysfs.AddChip(0).Name("coretemp").Device("platform/coretemp.0");
    for (int n = 2; n <= 17; ++n)
        cores.Temp(n, 40000 + 500 * n, "Core " + std::to_string(n - 2));
    auto board = sysfs.AddChip(1).Name("nct6798").Device("platform/nct6775.656");
    for (int n = 1; n <= 10; ++n)
        board.Temp(n, 30000 + 1000 * n);
    board.BlockingInput(9);
    sysfs.AddChip(2).Name("nvme").Device("pci0000:00/0000:00:1d.0/nvme/nvme0").Temp(1, 38000, "Composite");
    sysfs.AddChip(3).Name("amdgpu").Device("pci0000:00/0000:00:01.0/0000:01:00.0").Temp(1, 60000, "edge");
    sysfs.AddChip(4).Name("it8792").Device("platform/it87.2608").Temp(1, 35000).Temp(2, 36000);
    sSlowInput = std::filesystem::canonical(board.File(10, "input")).string();
    SysfsFile::SetPreadForTesting(TwoSecondPread);
    FixturePlatform platform(FixturePlatform::OnSysfs { sysfs.Root() });

    const int seconds = static_cast<int>(state.range(0));
    qint64 latest = 0;
    std::vector<qint64> lateness;
    for (auto _ : state) {
        SensorMaster* master = SensorMaster::Get();
        QElapsedTimer clock;
        clock.start();
        qint64 due = 10;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            qint64 late = clock.elapsed() - due;
            lateness.push_back(late);
            latest = std::max(latest, late);
            due = clock.elapsed() + 10;
        });
        tick.start(10);
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        // Every channel but the stuck one and the slow one (which keeps its last good value), by its samples.
        int fewest = INT32_MAX;
        SensorArray* sensors = master->GetSensorArray();
        for (ArrayIndexT i = 1; i <= sensors->GetCount(); ++i) {
            TemperatureSensor* sensor = (*sensors)[i];
            if (sensor->GetSensorName() != "nct6798 temp9")
                fewest = std::min(fewest, static_cast<int>(sensor->GetSTTempArray()->GetCount()));
        }
        state.counters["sensors"] = sensors->GetCount();
        state.counters["fewest_samples"] = fewest;
        state.counters["rounds_due"] = seconds / 5 + 1;
        master->TerminateAndSaveData();
    }
    std::sort(lateness.begin(), lateness.end());
    state.counters["max_late_ms"] = static_cast<double>(latest);
    state.counters["p99_late_ms"] = lateness.empty() ? 0 : static_cast<double>(lateness[lateness.size() * 99 / 100]);
    board.ReleaseInput(9);
    SysfsFile::SetPreadForTesting(nullptr);
}
BENCHMARK(EventLoopLateness)->Arg(31)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}
