// Real dialogs; not reached while answers are queued.
#include "framework/gui/qt/DialogBridge.h"

#include <QAbstractPrintDialog>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace qel::Bridge {

bool RunFileDialog(const TFileDialogRequest& Request, QStringList& Files, int& FilterIndex)
{
    // Qt's own dialog behaves the same on every platform and headless.
    QFileDialog d(nullptr, Request.Title, Request.Directory);
    d.setOption(QFileDialog::DontUseNativeDialog);
    d.setAcceptMode(Request.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    d.setFileMode(Request.Save ? QFileDialog::AnyFile
                  : Request.MultiSelect ? QFileDialog::ExistingFiles
                  : Request.ExistingOnly ? QFileDialog::ExistingFile
                                         : QFileDialog::AnyFile);
    d.setOption(QFileDialog::DontConfirmOverwrite, !Request.OverwritePrompt);
    d.setDefaultSuffix(Request.DefaultSuffix);
    if (!Request.NameFilters.isEmpty()) {
        d.setNameFilters(Request.NameFilters);
        d.selectNameFilter(Request.NameFilters.value(Request.FilterIndex));
    }
    if (!Request.FileName.isEmpty()) d.selectFile(Request.FileName);
    if (d.exec() != QDialog::Accepted) return false;
    Files = d.selectedFiles();
    FilterIndex = std::max(0, static_cast<int>(Request.NameFilters.indexOf(d.selectedNameFilter())));
    return true;
}

bool RunFontDialog(const QString& Title, QFont& Font, bool ScalableOnly, bool FixedPitchOnly)
{
    QFontDialog::FontDialogOptions o = QFontDialog::DontUseNativeDialog;
    o.setFlag(QFontDialog::ScalableFonts, ScalableOnly);
    o.setFlag(QFontDialog::MonospacedFonts, FixedPitchOnly);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, Font, nullptr, Title, o);
    if (ok) Font = chosen;
    return ok;
}

bool RunColorDialog(const QString& Title, QColor& Color, QList<QColor>& CustomColors)
{
    // Custom colours are process-wide in Qt: set before the dialog exists, read after it closed.
    for (int i = 0; i < std::min<int>(CustomColors.size(), QColorDialog::customCount()); ++i)
        if (CustomColors[i].isValid()) QColorDialog::setCustomColor(i, CustomColors[i]);
    QColorDialog d(Color);
    d.setWindowTitle(Title);
    d.setOption(QColorDialog::DontUseNativeDialog);
    d.setOption(QColorDialog::NoButtons, false);
    d.setOption(QColorDialog::ShowAlphaChannel, false);
    if (d.exec() != QDialog::Accepted) return false;
    Color = d.selectedColor();
    for (int i = 0; i < std::min<int>(CustomColors.size(), QColorDialog::customCount()); ++i)
        CustomColors[i] = QColorDialog::customColor(i);
    return true;
}

bool RunPrintDialog(QPrinter& Printer, const QString& Title, bool PageNums, bool Selection, int MinPage,
                    int MaxPage, int& FromPage, int& ToPage, int& Copies)
{
    QPrintDialog d(&Printer);
    if (!Title.isEmpty()) d.setWindowTitle(Title);
    QAbstractPrintDialog::PrintDialogOptions o = d.options();
    o.setFlag(QAbstractPrintDialog::PrintPageRange, PageNums);
    o.setFlag(QAbstractPrintDialog::PrintSelection, Selection);
    d.setOptions(o);
    if (MaxPage > 0) d.setMinMax(MinPage, MaxPage);
    if (FromPage > 0 && ToPage >= FromPage) Printer.setFromTo(FromPage, ToPage);
    if (Copies > 0) Printer.setCopyCount(Copies);
    if (d.exec() != QDialog::Accepted) return false;
    FromPage = Printer.fromPage();
    ToPage = Printer.toPage();
    Copies = Printer.copyCount();
    return true;
}

namespace {

struct TButtonMap { uint32_t Bit; QMessageBox::StandardButton Button; int Result; };
constexpr TButtonMap Buttons[] = {
    {0x1, QMessageBox::Yes, 6},     {0x2, QMessageBox::No, 7},       {0x4, QMessageBox::Ok, 1},
    {0x8, QMessageBox::Cancel, 2},  {0x10, QMessageBox::Abort, 3},   {0x20, QMessageBox::Retry, 4},
    {0x40, QMessageBox::Ignore, 5}, {0x80, QMessageBox::YesToAll, 8}};

QMessageBox::Icon IconOf(int Type)
{
    switch (Type) {
    case 0: return QMessageBox::Warning;
    case 1: return QMessageBox::Critical;
    case 2: return QMessageBox::Information;
    case 3: return QMessageBox::Question;
    default: return QMessageBox::NoIcon;
    }
}

}  // namespace

int RunMessageDialog(const QString& Text, const QString& Caption, int Type, uint32_t ButtonSet)
{
    QMessageBox box(IconOf(Type), Caption, Text);
    QMessageBox::StandardButtons set;
    for (const auto& b : Buttons)
        if (ButtonSet & b.Bit) set |= b.Button;
    box.setStandardButtons(set ? set : QMessageBox::StandardButtons(QMessageBox::Ok));
    const int pressed = box.exec();
    for (const auto& b : Buttons)
        if (pressed == b.Button) return b.Result;
    return 2;  // closed without a button: cancel
}

}  // namespace qel::Bridge
