#pragma once
// The Qt Widgets side of the application: the QApplication and message boxes.
#include "framework/core/Types.h"

#include <QCoreApplication>
#include <QImage>
#include <memory>

namespace qel::Bridge {

std::unique_ptr<QCoreApplication> MakeGuiApplication(int& argc, char** argv);
bool IsGuiApplication();  // a QApplication runs
int ShowMessageBox(const String& Text, const String& Caption, uint32_t Flags);
// The icon of every window that has none of its own (a null image: none); needs a QApplication.
void SetApplicationIcon(const QImage& Image);

}  // namespace qel::Bridge
