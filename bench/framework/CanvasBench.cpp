#include "framework/gui/Canvas.h"

#include <QPainter>
#include <benchmark/benchmark.h>

using namespace qel;

// A timer tick of a small animated control: a few short lines on its 200x60 retained image.
static void BM_CanvasTimerTick(benchmark::State& state)
{
    QImage img(200, 60, QImage::Format_RGB32);
    img.fill(Qt::white);
    TCanvas canvas;
    canvas.SetImage(&img);
    int damaged = 0;
    canvas.OnDamage = [&](const TRect&) { ++damaged; };
    int phase = 0;
    for (auto _ : state) {
        canvas.Pen()->SetColor(phase & 1 ? clRed : clBlack);
        for (int i = 0; i < 8; ++i) {
            canvas.MoveTo(20 * i + phase % 7, 10);
            canvas.LineTo(20 * i + 12, 50 - phase % 5);
        }
        ++phase;
    }
    benchmark::DoNotOptimize(damaged);
}
BENCHMARK(BM_CanvasTimerTick);

// The peer: the same lines through QPainter (which paints end points and differs on general slopes).
static void BM_QPainterTimerTick(benchmark::State& state)
{
    QImage img(200, 60, QImage::Format_RGB32);
    img.fill(Qt::white);
    int phase = 0;
    for (auto _ : state) {
        QPainter p(&img);
        p.setPen(phase & 1 ? Qt::red : Qt::black);
        for (int i = 0; i < 8; ++i) p.drawLine(20 * i + phase % 7, 10, 20 * i + 12, 50 - phase % 5);
        ++phase;
    }
}
BENCHMARK(BM_QPainterTimerTick);

BENCHMARK_MAIN();
