// The clock's 100 ms tick offscreen: with nothing changed (should draw nothing) and with one
// changed pair (erase two cells, draw two), and a clock left running 3 s in a real event loop.
#include "framework/core/Application.h"
#include "framework/core/DateUtils.h"
#include "framework/gui/Forms.h"
#include "widgets/QELClock.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <memory>

using namespace qel;

namespace {

struct TClockOnForm {
    std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
    TQELClock* Clock = new TQELClock(Form.get());

    explicit TClockOnForm(bool Running)
    {
        Clock->SetParent(Form.get());
        Clock->SetBounds(0, 0, 100, 40);
        if (!Running) dynamic_cast<TTimer*>(Clock->Components(0))->SetEnabled(false);
        Form->Show();
        QCoreApplication::processEvents();
        Clock->Update();
    }
};

void BM_ClockTickUnchanged(benchmark::State& state)
{
    SetClockOverride(EncodeDate(2024, 5, 17) + EncodeTime(12, 34, 56, 0));
    TClockOnForm c(false);
    c.Clock->Setclock(c.Clock);
    for (auto _ : state) c.Clock->Setclock(c.Clock);
    ClearClockOverride();
}
BENCHMARK(BM_ClockTickUnchanged)->Unit(benchmark::kMicrosecond);

// Includes handing the changed area to the window and the blit that shows it.
void BM_ClockTickOnePairChanged(benchmark::State& state)
{
    const TDateTime day = EncodeDate(2024, 5, 17);
    TClockOnForm c(false);
    int second = 0;
    for (auto _ : state) {
        SetClockOverride(day + EncodeTime(12, 34, second, 0));
        second = 1 - second;
        c.Clock->Setclock(c.Clock);
        QCoreApplication::processEvents();
    }
    ClearClockOverride();
}
BENCHMARK(BM_ClockTickOnePairChanged)->Unit(benchmark::kMicrosecond);

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Real time, real timer: CPU used while the clock runs by itself, as a share of one core.
void BM_ClockRunningThreeSeconds(benchmark::State& state)
{
    TClockOnForm c(true);
    for (auto _ : state) {
        QEventLoop loop;
        QTimer::singleShot(3000, &loop, &QEventLoop::quit);
        QElapsedTimer wall;
        wall.start();
        const double cpu0 = CpuSeconds();
        loop.exec();
        const double cpu = CpuSeconds() - cpu0;
        state.counters["cpu_ms"] = cpu * 1000;
        state.counters["core_pct"] = 100 * cpu / (static_cast<double>(wall.elapsed()) / 1000);
    }
}
BENCHMARK(BM_ClockRunningThreeSeconds)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
