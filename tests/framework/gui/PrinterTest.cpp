// Printing to a PDF file, read back with poppler's tools.
#include "framework/core/Exceptions.h"
#include "framework/gui/Printers.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace qel;

namespace {

QString RunTool(const QString& Tool, const QStringList& Args)
{
    QProcess p;
    p.start(Tool, Args);
    EXPECT_TRUE(p.waitForFinished(30000));
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct PdfPrinter {
    explicit PdfPrinter(const QString& File)
    {
        Printer().SetPrinterIndex(-1);
        Printer().SetOutputFileName(File.toStdString());
    }
    ~PdfPrinter()
    {
        Printer().Abort();
        Printer().SetOutputFileName({});
    }
};

}  // namespace

TEST(Printer, OneHundredFiftyLinesComeBackFromThePdfOnSeveralPages)
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) GTEST_SKIP() << "poppler-utils missing";
    QTemporaryDir dir;
    const QString pdf = dir.filePath("lines.pdf");
    PdfPrinter guard(pdf);
    Printer().SetTitle("Lines");
    Printer().Canvas()->Font()->SetName("Courier New");
    Printer().Canvas()->Font()->SetSize(12);
    TPrinterText prn;
    prn.Rewrite();
    Printer().Canvas()->Rectangle(0, 0, 200, 100);  // a drawing under the text
    for (int i = 1; i <= 150; ++i) prn.WriteLn("Line " + std::to_string(i) + " of the printout");
    const int32_t pages = Printer().PageNumber();
    prn.Close();
    EXPECT_FALSE(Printer().Printing());
    EXPECT_GT(pages, 1);
    EXPECT_EQ(pdf.toStdString(), Printer().PrintedFileName());

    const QStringList lines = RunTool("pdftotext", {"-layout", pdf, "-"}).split(u'\n', Qt::SkipEmptyParts);
    QStringList printed;
    for (const auto& l : lines)
        if (l.trimmed().startsWith("Line ")) printed << l.trimmed();
    ASSERT_EQ(150, printed.size());
    EXPECT_EQ("Line 1 of the printout", printed.first());
    EXPECT_EQ("Line 150 of the printout", printed.last());
    EXPECT_TRUE(RunTool("pdfinfo", {pdf}).contains(QRegularExpression("Pages:\\s+" + QString::number(pages) + "\\n")));
}

TEST(Printer, PageSizeFollowsTheResolutionAndAbortDropsTheFile)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("aborted.pdf");
    PdfPrinter guard(pdf);
    Printer().BeginDoc();
    EXPECT_TRUE(Printer().Printing());
    EXPECT_EQ(1, Printer().PageNumber());
    EXPECT_GT(Printer().PageWidth(), 7 * PrinterDpi);   // A4 or Letter less margins
    EXPECT_GT(Printer().PageHeight(), 10 * PrinterDpi);
    EXPECT_THROW(Printer().BeginDoc(), EInOutError);
    Printer().NewPage();
    EXPECT_EQ(2, Printer().PageNumber());
    Printer().Abort();
    EXPECT_TRUE(Printer().Aborted());
    EXPECT_FALSE(Printer().Printing());
    EXPECT_FALSE(QFileInfo::exists(pdf));
}

TEST(Printer, AnUnwritableDestinationRaisesEInOutError)
{
    QTemporaryDir dir;
    PdfPrinter guard(dir.filePath("no/such/dir/out.pdf"));
    try {
        Printer().BeginDoc();
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_NE(std::string::npos, std::string(e.what()).find("no/such/dir/out.pdf"));
    }
    EXPECT_FALSE(Printer().Printing());
    EXPECT_THROW(Printer().EndDoc(), EInOutError);
}
