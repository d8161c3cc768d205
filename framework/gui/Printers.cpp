// TPrinter and TPrinterText. A page is a white image the canvas draws on plus text kept as text,
// both painted onto the QPrinter when the page is done.
#include "framework/gui/Printers.h"

#include "framework/core/Exceptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>

namespace qel {

struct TPrinter::TImpl {
    struct TText { QPoint At; QString Text; QFont Font; QColor Color; };
    QPrinter Printer{QPrinter::ScreenResolution};
    QPainter Painter;
    QImage Page;
    TCanvas PageCanvas;
    QRect Damaged;
    std::vector<TText> Texts;

    QFont CanvasFont() const
    {
        QFont f(TFont::SubstituteFace(PageCanvas.Font()->Name()));
        f.setPointSizeF(std::max(1, PageCanvas.Font()->Size()));  // points on paper
        f.setBold(PageCanvas.Font()->Style().Contains(fsBold));
        f.setItalic(PageCanvas.Font()->Style().Contains(fsItalic));
        return f;
    }
};

TPrinter::TPrinter() : FImpl(std::make_unique<TImpl>())
{
    FImpl->Printer.setResolution(PrinterDpi);
    FImpl->PageCanvas.OnDamage = [this](const TRect& R) { FImpl->Damaged |= ToQRect(R); };
    const QString def = QPrinterInfo::defaultPrinterName();
    FPrinterIndex = def.isEmpty() ? -1 : static_cast<int32_t>(QPrinterInfo::availablePrinterNames().indexOf(def));
}

TPrinter::~TPrinter()
{
    if (FImpl->Painter.isActive()) FImpl->Painter.end();
}

std::vector<String> TPrinter::Printers() const
{
    std::vector<String> out;
    for (const auto& n : QPrinterInfo::availablePrinterNames()) out.push_back(n.toStdString());
    return out;
}

void TPrinter::SetPrinterIndex(int32_t Value)
{
    if (FPrinting) throw EInOutError("Cannot change the printer while printing");
    FPrinterIndex = Value >= 0 && Value < static_cast<int32_t>(Printers().size()) ? Value : -1;
}

TCanvas* TPrinter::Canvas() const { return &FImpl->PageCanvas; }
QPrinter* TPrinter::QtPrinter() const { return &FImpl->Printer; }

int32_t TPrinter::PageWidth() const { return FImpl->Printer.pageLayout().paintRectPixels(PrinterDpi).width(); }
int32_t TPrinter::PageHeight() const { return FImpl->Printer.pageLayout().paintRectPixels(PrinterDpi).height(); }

int32_t TPrinter::TextLineHeight() const
{
    return QFontMetrics(FImpl->CanvasFont(), &FImpl->Printer).lineSpacing();
}

int32_t TPrinter::TextWidth(const String& Text) const
{
    return QFontMetrics(FImpl->CanvasFont(), &FImpl->Printer).horizontalAdvance(QString::fromStdString(Text));
}

void TPrinter::TextOut(int32_t X, int32_t Y, const String& Text)
{
    if (!FPrinting) throw EInOutError("Printer is not printing");
    const QFontMetrics fm(FImpl->CanvasFont(), &FImpl->Printer);
    FImpl->Texts.push_back({QPoint(X, Y + fm.ascent()), QString::fromStdString(Text), FImpl->CanvasFont(),
                            ToQColor(FImpl->PageCanvas.Font()->Color())});
}

String TPrinter::Destination() const
{
    if (!FOutputFileName.empty()) return FOutputFileName;
    QString title = QString::fromStdString(FTitle.empty() ? "document" : FTitle);
    title.replace(QRegularExpression("[^A-Za-z0-9._-]"), "_");
    return QDir::home().filePath("qel-print-" + title + ".pdf").toStdString();
}

void TPrinter::BeginDoc()
{
    if (FPrinting) throw EInOutError("Printing already in progress");
    QPrinter& p = FImpl->Printer;
    p.setDocName(QString::fromStdString(FTitle));
    FPrintedFileName.clear();
    if (FPrinterIndex >= 0 && FOutputFileName.empty()) {
        p.setOutputFormat(QPrinter::NativeFormat);
        p.setPrinterName(QString::fromStdString(Printers().at(FPrinterIndex)));
    } else {
        FPrintedFileName = Destination();
        QFile probe(QString::fromStdString(FPrintedFileName));
        if (!probe.open(QIODevice::WriteOnly))
            throw EInOutError("Cannot print to " + FPrintedFileName + ": " + probe.errorString().toStdString());
        probe.close();
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(QString::fromStdString(FPrintedFileName));
    }
    if (!FImpl->Painter.begin(&p)) throw EInOutError("Cannot start printing \"" + FTitle + "\"");
    FImpl->Page = QImage(PageWidth(), PageHeight(), QImage::Format_RGB32);
    FImpl->Page.fill(Qt::white);
    FImpl->PageCanvas.SetImage(&FImpl->Page);
    FImpl->Damaged = {};
    FImpl->Texts.clear();
    FPageNumber = 1;
    FPrinting = true;
    FAborted = false;
}

void TPrinter::FlushPage()
{
    QPainter& g = FImpl->Painter;
    if (!FImpl->Damaged.isEmpty()) g.drawImage(FImpl->Damaged.topLeft(), FImpl->Page, FImpl->Damaged);
    for (const auto& t : FImpl->Texts) {
        g.setFont(t.Font);
        g.setPen(t.Color);
        g.drawText(t.At, t.Text);
    }
    FImpl->Texts.clear();
    FImpl->Page.fill(Qt::white);
    FImpl->Damaged = {};
}

void TPrinter::NewPage()
{
    if (!FPrinting) throw EInOutError("Printer is not printing");
    FlushPage();
    if (!FImpl->Printer.newPage()) throw EInOutError("Cannot start page " + std::to_string(FPageNumber + 1));
    ++FPageNumber;
}

void TPrinter::EndDoc()
{
    if (!FPrinting) throw EInOutError("Printer is not printing");
    FlushPage();
    FPrinting = false;
    const bool ended = FImpl->Painter.end();
    if (!ended || (!FPrintedFileName.empty() && QFileInfo(QString::fromStdString(FPrintedFileName)).size() == 0))
        throw EInOutError("Cannot complete printing to " +
                          (FPrintedFileName.empty() ? String("the queue") : FPrintedFileName));
}

void TPrinter::Abort()
{
    if (!FPrinting) return;
    FImpl->Texts.clear();
    FImpl->Printer.abort();
    if (FImpl->Painter.isActive()) FImpl->Painter.end();
    if (!FPrintedFileName.empty()) QFile::remove(QString::fromStdString(FPrintedFileName));
    FPrinting = false;
    FAborted = true;
}

TPrinter& Printer()
{
    static TPrinter printer;
    return printer;
}

void TPrinterText::Rewrite()
{
    if (!FPrinter.Printing()) FPrinter.BeginDoc();
    FY = 0;
}

void TPrinterText::WriteLn(const String& Line)
{
    if (!FPrinter.Printing()) Rewrite();
    const int32_t h = FPrinter.TextLineHeight();
    if (FY + h > FPrinter.PageHeight()) {
        FPrinter.NewPage();
        FY = 0;
    }
    FPrinter.TextOut(0, FY, Line);
    FY += h;
}

void TPrinterText::Close()
{
    if (FPrinter.Printing()) FPrinter.EndDoc();
}

}  // namespace qel
