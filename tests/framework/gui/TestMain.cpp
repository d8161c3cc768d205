#include "framework/core/Application.h"

#include <QApplication>

#include <gtest/gtest.h>

using namespace qel;

// Fonts, palettes and pixmaps need a GUI application; the framework makes it through its factory.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Headless unless told otherwise: the build lists the tests on machines without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication::SetQtAppFactory([](int& Argc, char** Argv) -> std::unique_ptr<QCoreApplication> {
        return std::make_unique<QApplication>(Argc, Argv);
    });
    Application->Initialize(argc, argv);
    return RUN_ALL_TESTS();
}
