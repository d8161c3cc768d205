#pragma once
// The Qt Widgets side of the application: the QApplication and message boxes.
#include "framework/core/Types.h"

#include <QCoreApplication>
#include <memory>

namespace qel::Bridge {

std::unique_ptr<QCoreApplication> MakeGuiApplication(int& argc, char** argv);
bool IsGuiApplication();  // a QApplication runs
int ShowMessageBox(const String& Text, const String& Caption, uint32_t Flags);

}  // namespace qel::Bridge
