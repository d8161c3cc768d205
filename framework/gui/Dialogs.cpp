// The answer queue, the standard dialogs and the message dialogs.
#include "framework/gui/Dialogs.h"

#include "framework/core/Application.h"
#include "framework/gui/Printers.h"
#include "framework/gui/qt/DialogBridge.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPrinter>

#include <deque>

namespace qel {

namespace {

struct TAnswerQueue {
    std::deque<TDialogAnswer> Answers;
    std::vector<String> Asked;
};

TAnswerQueue& Queue()
{
    static TAnswerQueue queue;
    return queue;
}

bool Hooked(const String& What, TDialogAnswer& Answer) { return TDialogAnswers::Take(What, Answer); }

// "Text|*.txt;*.log|All|*.*" -> {"Text (*.txt *.log)", "All (*.*)"}
QStringList NameFilters(const String& Filter)
{
    const QStringList pieces = QString::fromStdString(Filter).split(u'|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < pieces.size(); i += 2)
        out << pieces[i] + " (" + QString(pieces[i + 1]).replace(u';', u' ') + ")";
    return out;
}

}  // namespace

TDialogAnswer TDialogAnswer::Cancel()
{
    TDialogAnswer a;
    a.Confirm = false;
    a.ModalResult = mrCancel;
    return a;
}

TDialogAnswer TDialogAnswer::File(const String& FileName, int32_t FilterIndex)
{
    TDialogAnswer a;
    a.Files = {FileName};
    a.FilterIndex = FilterIndex;
    return a;
}

TDialogAnswer TDialogAnswer::Result(TModalResult Result)
{
    TDialogAnswer a;
    a.ModalResult = Result;
    a.Confirm = Result != mrCancel;
    return a;
}

void TDialogAnswers::Push(const TDialogAnswer& Answer) { Queue().Answers.push_back(Answer); }

bool TDialogAnswers::Next(TDialogAnswer& Answer)
{
    if (Queue().Answers.empty()) return false;
    Answer = Queue().Answers.front();
    Queue().Answers.pop_front();
    return true;
}

bool TDialogAnswers::Take(const String& What, TDialogAnswer& Answer)
{
    if (!Next(Answer)) return false;
    Queue().Asked.push_back(What);
    return true;
}

size_t TDialogAnswers::Pending() { return Queue().Answers.size(); }

void TDialogAnswers::Clear()
{
    Queue().Answers.clear();
    Queue().Asked.clear();
}

const std::vector<String>& TDialogAnswers::Asked() { return Queue().Asked; }

TCommonDialog::TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}

TOpenDialog::TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

String TOpenDialog::WithDefaultExt(const String& FileName) const
{
    if (FDefaultExt.empty() || !QFileInfo(QString::fromStdString(FileName)).suffix().isEmpty()) return FileName;
    const String ext = FDefaultExt.front() == '.' ? FDefaultExt.substr(1) : FDefaultExt;
    return FileName + "." + ext;
}

String TOpenDialog::Refusal(const String& FileName) const
{
    const QFileInfo info(QDir(QString::fromStdString(FInitialDir)).filePath(QString::fromStdString(FileName)));
    if (FOptions.testFlag(ofPathMustExist) && !info.absoluteDir().exists())
        return "Path does not exist: " + info.absolutePath().toStdString();
    if (FOptions.testFlag(ofFileMustExist) && !info.exists())
        return "File not found: " + info.absoluteFilePath().toStdString();
    return {};
}

bool TOpenDialog::Accept(std::vector<String> Chosen, int32_t Index, bool OverwriteAnswer)
{
    if (Chosen.empty()) Chosen = {FFileName};
    if (Chosen.size() > 1 && !FOptions.testFlag(ofAllowMultiSelect)) return false;
    for (auto& name : Chosen) {
        name = WithDefaultExt(name);
        if (name.empty() || !Refusal(name).empty()) return false;
        const bool exists = QFileInfo::exists(QString::fromStdString(name));
        if (IsSave() && exists && FOptions.testFlag(ofOverwritePrompt) && !OverwriteAnswer) return false;
    }
    FFiles = std::move(Chosen);
    FFileName = FFiles.front();
    if (Index > 0) FFilterIndex = Index;
    return true;
}

bool TOpenDialog::Execute()
{
    TDialogAnswer answer;
    if (Hooked(Title().empty() ? ClassName() : Title(), answer))
        return answer.Confirm && Accept(answer.Files, answer.FilterIndex, answer.OverwriteAnswer);
    Bridge::TFileDialogRequest r;
    r.Title = QString::fromStdString(Title());
    r.Directory = QString::fromStdString(FInitialDir);
    r.FileName = QString::fromStdString(FFileName);
    r.DefaultSuffix = QString::fromStdString(FDefaultExt);
    r.NameFilters = NameFilters(FFilter);
    r.FilterIndex = std::max(0, FFilterIndex - 1);
    r.Save = IsSave();
    r.MultiSelect = FOptions.testFlag(ofAllowMultiSelect);
    r.ExistingOnly = FOptions.testFlag(ofFileMustExist);
    r.OverwritePrompt = FOptions.testFlag(ofOverwritePrompt);
    QStringList files;
    int index = 0;
    if (!Bridge::RunFileDialog(r, files, index)) return false;
    std::vector<String> chosen;
    for (const auto& f : files) chosen.push_back(f.toStdString());
    return Accept(chosen, index + 1, true);  // the real dialog has asked about overwriting
}

TSaveDialog::TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}

TPrintDialog::TPrintDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

bool TPrintDialog::Execute()
{
    TDialogAnswer a;
    if (Hooked(Title().empty() ? ClassName() : Title(), a)) {
        if (!a.Confirm) return false;
        if (a.FromPage > 0) {
            const bool outside = FMaxPage > 0 && (a.FromPage < FMinPage || a.ToPage > FMaxPage);
            if (!FOptions.testFlag(poPageNums) || a.ToPage < a.FromPage || outside) return false;
            FFromPage = a.FromPage;
            FToPage = a.ToPage;
            FPrintRange = prPageNums;
        }
        if (a.Copies > 0) FCopies = a.Copies;
        return true;
    }
    int from = FFromPage, to = FToPage, copies = FCopies;
    QPrinter& qp = *Printer().QtPrinter();
    // Qt's dialog offers the home folder itself as the output file unless one is preset.
    qp.setOutputFileName(QString::fromStdString(Printer().Destination()));
    if (!Bridge::RunPrintDialog(qp, QString::fromStdString(Title()), FOptions.testFlag(poPageNums),
                                FOptions.testFlag(poSelection), FMinPage, FMaxPage, from, to, copies))
        return false;
    if (Printer().PrinterIndex() < 0 || qp.outputFormat() == QPrinter::PdfFormat)
        Printer().SetOutputFileName(qp.outputFileName().toStdString());
    if (from > 0) FPrintRange = prPageNums;
    FFromPage = from;
    FToPage = to;
    FCopies = copies;
    return true;
}

TFontDialog::TFontDialog(TComponent* AOwner) : TCommonDialog(AOwner), FFont(std::make_unique<TFont>()) {}

TFontDialog::~TFontDialog() = default;

bool TFontDialog::SizeAllowed(int32_t Size) const
{
    if (!FOptions.testFlag(fdLimitSize)) return true;
    return (FMinFontSize <= 0 || Size >= FMinFontSize) && (FMaxFontSize <= 0 || Size <= FMaxFontSize);
}

bool TFontDialog::ScalableOnly() const
{
    return FDevice != fdScreen || FOptions.testAnyFlags(TFontDialogOptions(fdScalableOnly) | fdTrueTypeOnly | fdWysiwyg);
}

// An answer naming a font the real dialog would not list is refused like a size past the limits.
bool TFontDialog::FamilyAllowed(const String& Name) const
{
    if (Name.empty()) return true;
    const QString family = TFont::SubstituteFace(Name);
    if (FixedPitchOnly() && !QFontDatabase::isFixedPitch(family)) return false;
    return !ScalableOnly() || QFontDatabase::isScalable(family);
}

bool TFontDialog::Execute()
{
    TDialogAnswer a;
    if (Hooked(Title().empty() ? ClassName() : Title(), a)) {
        if (!a.Confirm || (a.FontSize > 0 && !SizeAllowed(a.FontSize))) return false;
        if (!FamilyAllowed(a.FontName)) return false;
        if (!a.FontName.empty()) FFont->SetName(a.FontName);
        if (a.FontSize > 0) FFont->SetSize(a.FontSize);
        FFont->SetStyle(a.FontStyle);
        return true;
    }
    QFont f(TFont::SubstituteFace(FFont->Name()), FFont->Size());
    f.setBold(FFont->Style().Contains(fsBold));
    f.setItalic(FFont->Style().Contains(fsItalic));
    if (!Bridge::RunFontDialog(QString::fromStdString(Title()), f, ScalableOnly(), FixedPitchOnly())) return false;
    FFont->SetName(f.family().toStdString());
    FFont->SetSize(std::clamp(f.pointSize(), FMinFontSize > 0 && FOptions.testFlag(fdLimitSize) ? FMinFontSize : 1,
                              FMaxFontSize > 0 && FOptions.testFlag(fdLimitSize) ? FMaxFontSize : 1638));
    TFontStyles s;
    if (f.bold()) s.Include(fsBold);
    if (f.italic()) s.Include(fsItalic);
    if (f.underline()) s.Include(fsUnderline);
    if (f.strikeOut()) s.Include(fsStrikeOut);
    FFont->SetStyle(s);
    return true;
}

namespace {

constexpr int CustomColorCount = 16;

String CustomColorName(int Index) { return "Color" + String(1, static_cast<char>('A' + Index)); }

// The line "ColorX=..." of slot Index, or -1.
int CustomColorLine(const TStrings& Lines, int Index)
{
    const QString name = QString::fromStdString(CustomColorName(Index) + "=");
    for (int i = 0; i < Lines.Count(); ++i)
        if (QString::fromStdString(Lines.Get(i)).startsWith(name, Qt::CaseInsensitive)) return i;
    return -1;
}

QList<QColor> CustomColorsOf(const TStrings& Lines)
{
    QList<QColor> out(CustomColorCount);
    for (int k = 0; k < CustomColorCount; ++k) {
        const int line = CustomColorLine(Lines, k);
        if (line < 0) continue;
        bool ok = false;
        const String text = Lines.Get(line);
        const uint value = QString::fromStdString(text.substr(text.find('=') + 1)).trimmed().toUInt(&ok, 16);
        if (ok) out[k] = ToQColor(static_cast<TColor>(value));
    }
    return out;
}

// Slots the list names are updated; others only once they hold a colour (Qt's empty slot is white).
void StoreCustomColors(TStrings& Lines, const QList<QColor>& Colors)
{
    for (int k = 0; k < std::min<int>(CustomColorCount, Colors.size()); ++k) {
        const QColor& c = Colors[k];
        const int line = CustomColorLine(Lines, k);
        if (!c.isValid() || (line < 0 && c == Qt::white)) continue;
        const uint value = static_cast<uint>(c.red() | (c.green() << 8) | (c.blue() << 16));
        const QString hex = QString::number(value, 16).toUpper().rightJustified(6, u'0');
        const String text = CustomColorName(k) + "=" + hex.toStdString();
        if (line < 0) Lines.Add(text);
        else Lines.Put(line, text);
    }
}

}  // namespace

TColorDialog::TColorDialog(TComponent* AOwner)
    : TCommonDialog(AOwner), FCustomColors(std::make_unique<TStringList>())
{
}

TColorDialog::~TColorDialog() = default;

bool TColorDialog::Execute()
{
    TDialogAnswer a;
    if (Hooked(Title().empty() ? ClassName() : Title(), a)) {
        if (!a.Confirm) return false;
        if (a.Color != clNone) FColor = FOptions.testFlag(cdSolidColor) ? ColorToRGB(a.Color) : a.Color;
        return true;
    }
    QColor c = ToQColor(FColor);
    QList<QColor> custom = CustomColorsOf(*FCustomColors);
    if (!Bridge::RunColorDialog(QString::fromStdString(Title()), c, custom)) return false;
    StoreCustomColors(*FCustomColors, custom);
    FColor = static_cast<TColor>(c.red() | (c.green() << 8) | (c.blue() << 16));
    return true;
}

namespace {

String CaptionOf(TMsgDlgType Type)
{
    switch (Type) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirm";
    default: return Application->Title();
    }
}

TModalResult FirstButtonResult(TMsgDlgButtons Buttons)
{
    constexpr TModalResult results[] = {mrYes, mrNo, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrAll};
    for (int i = 0; i < 8; ++i)
        if (Buttons & (1u << i)) return results[i];
    return mrOk;
}

}  // namespace

void ShowMessage(const String& Text) { MessageDlg(Text, mtCustom, mbOK); }

TModalResult MessageDlg(const String& Text, TMsgDlgType Type, TMsgDlgButtons Buttons, int32_t HelpCtx)
{
    Q_UNUSED(HelpCtx);  // no help system to open
    TDialogAnswer a;
    if (Hooked(Text, a)) return a.ModalResult != mrNone ? a.ModalResult : FirstButtonResult(Buttons);
    return Bridge::RunMessageDialog(QString::fromStdString(Text), QString::fromStdString(CaptionOf(Type)), Type,
                                    Buttons ? Buttons : uint32_t(mbOK));
}

QEL_REGISTER_CLASS(TOpenDialog);
QEL_REGISTER_CLASS(TSaveDialog);
QEL_REGISTER_CLASS(TPrintDialog);
QEL_REGISTER_CLASS(TFontDialog);
QEL_REGISTER_CLASS(TColorDialog);

}  // namespace qel
