// Prints two pages of text through Printer() to the system's default queue and says which queues
// it saw; print_queue.sh checks what the queue made of it.
#include "framework/core/Application.h"
#include "framework/gui/Printers.h"

#include <QApplication>

#include <cstdio>
#include <exception>

using namespace qel;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication::SetQtAppFactory([](int& Argc, char** Argv) -> std::unique_ptr<QCoreApplication> {
        return std::make_unique<QApplication>(Argc, Argv);
    });
    Application->Initialize(argc, argv);
    try {
        TPrinter& p = Printer();
        for (const String& q : p.Printers()) std::printf("queue: %s\n", q.c_str());
        if (p.PrinterIndex() < 0) {
            std::fprintf(stderr, "no default queue\n");
            return 1;
        }
        std::printf("printing to: %s\n", p.Printers().at(p.PrinterIndex()).c_str());
        p.SetTitle("qel print queue test");
        p.BeginDoc();
        p.TextOut(100, 100, "Page one of the qel print queue test");
        p.NewPage();
        p.TextOut(100, 100, "Page two of the qel print queue test");
        p.EndDoc();
        std::printf("pages: %d\n", p.PageNumber());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "print failed: %s\n", e.what());
        return 1;
    }
    return 0;
}
