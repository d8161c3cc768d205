#include "framework/core/Application.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

using namespace qel;

// The mail components call ProcessMessages per line and per byte group: its idle cost matters.
static void BM_ProcessMessagesIdle(benchmark::State& state)
{
    Application->Initialize();
    for (auto _ : state) Application->ProcessMessages();
}
BENCHMARK(BM_ProcessMessagesIdle);

// What an unthrottled pump would cost: the reason ProcessMessages rate-limits itself.
static void BM_QtProcessEventsIdle(benchmark::State& state)
{
    Application->Initialize();
    for (auto _ : state) QCoreApplication::processEvents();
}
BENCHMARK(BM_QtProcessEventsIdle);

BENCHMARK_MAIN();
