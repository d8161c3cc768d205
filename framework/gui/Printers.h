#pragma once
// The process-wide printer: a page canvas and text, to the system's queue or to a PDF file.
#include "framework/gui/Canvas.h"

#include <memory>
#include <vector>

class QPrinter;

namespace qel {

// Pages are drawn at this many dots per inch, on a canvas the size of the printable area.
inline constexpr int32_t PrinterDpi = 300;

class QEL_GUI_EXPORT TPrinter {
public:
    TPrinter();
    ~TPrinter();

    std::vector<String> Printers() const;  // the system's queues
    int32_t PrinterIndex() const { return FPrinterIndex; }
    void SetPrinterIndex(int32_t Value);   // -1: no queue, print to OutputFileName
    String Title() const { return FTitle; }
    void SetTitle(const String& Value) { FTitle = Value; }
    // Where a document goes without a queue; empty means $HOME/qel-print-<title>.pdf.
    String OutputFileName() const { return FOutputFileName; }
    void SetOutputFileName(const String& Value) { FOutputFileName = Value; }
    // The PDF the last document went to (empty after printing to a queue).
    String PrintedFileName() const { return FPrintedFileName; }

    void BeginDoc();  // EInOutError when no destination can be written
    void NewPage();
    void EndDoc();    // EInOutError when the document could not be completed
    void Abort();     // drops the document (and its file)

    TCanvas* Canvas() const;
    // Text drawn as text (searchable in the output) with the canvas font, at page pixels.
    void TextOut(int32_t X, int32_t Y, const String& Text);
    int32_t TextLineHeight() const;
    int32_t TextWidth(const String& Text) const;  // in page pixels, canvas font
    int32_t PageWidth() const;
    int32_t PageHeight() const;
    int32_t PageNumber() const { return FPageNumber; }
    bool Printing() const { return FPrinting; }
    bool Aborted() const { return FAborted; }

    QPrinter* QtPrinter() const;  // for the print dialog
    String Destination() const;   // the PDF file a document goes to without a queue

private:
    struct TImpl;
    void FlushPage();
    std::unique_ptr<TImpl> FImpl;
    int32_t FPrinterIndex = -1, FPageNumber = 0;
    String FTitle, FOutputFileName, FPrintedFileName;
    bool FPrinting = false, FAborted = false;
};

QEL_GUI_EXPORT TPrinter& Printer();

// A text device on the printer: lines in the canvas font, a new page as a page fills.
class QEL_GUI_EXPORT TPrinterText {
public:
    explicit TPrinterText(TPrinter& Target = Printer()) : FPrinter(Target) {}
    void Rewrite();  // starts a document unless one is printing
    void WriteLn(const String& Line = {});
    void Close();    // ends the document

private:
    TPrinter& FPrinter;
    int32_t FY = 0;
};

}  // namespace qel
