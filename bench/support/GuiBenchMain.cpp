// The main of the GUI benchmarks: a headless GUI application made through the framework, then
// the registered benchmarks.
#include "framework/core/Application.h"

#include <QApplication>

#include <benchmark/benchmark.h>

using namespace qel;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication::SetQtAppFactory([](int& Argc, char** Argv) -> std::unique_ptr<QCoreApplication> {
        return std::make_unique<QApplication>(Argc, Argv);
    });
    Application->Initialize(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
