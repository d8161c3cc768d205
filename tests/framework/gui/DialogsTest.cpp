// Standard dialogs and message dialogs driven by queued answers, and one real dialog.
#include "framework/core/FormFiles.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/GuiApplication.h"
#include "framework/gui/Printers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFontDialog>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace qel;

namespace {

struct Answers {
    Answers() { TDialogAnswers::Clear(); }
    ~Answers() { TDialogAnswers::Clear(); }
};

String MakeFile(const QTemporaryDir& Dir, const QString& Name)
{
    QFile f(Dir.filePath(Name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    return f.fileName().toStdString();
}

}  // namespace

TEST(Dialogs, AnOpenDialogTakesTheQueuedNameAndFilterOrKeepsItsValuesOnCancel)
{
    Answers guard;
    TOpenDialog d(nullptr);
    d.SetTitle("Open mail");
    d.SetFilter("Mail|*.eml;*.msg|All|*.*");
    d.SetFileName("old.eml");
    TDialogAnswers::Push(TDialogAnswer::File("/tmp/new.eml", 2));
    TDialogAnswers::Push(TDialogAnswer::Cancel());
    ASSERT_TRUE(d.Execute());
    EXPECT_EQ("/tmp/new.eml", d.FileName());
    EXPECT_EQ(2, d.FilterIndex());
    EXPECT_EQ(std::vector<String>{"/tmp/new.eml"}, d.Files());
    EXPECT_FALSE(d.Execute());
    EXPECT_EQ("/tmp/new.eml", d.FileName());
    EXPECT_EQ(0u, TDialogAnswers::Pending());
    EXPECT_EQ((std::vector<String>{"Open mail", "Open mail"}), TDialogAnswers::Asked());
}

TEST(Dialogs, FileAndPathMustExistRefuseNamesLikeTheRealDialog)
{
    Answers guard;
    QTemporaryDir dir;
    const String there = MakeFile(dir, "there.txt");
    TOpenDialog d(nullptr);
    d.SetOptions(TOpenDialog::ofFileMustExist | TOpenDialog::ofPathMustExist);
    TDialogAnswers::Push(TDialogAnswer::File(dir.filePath("missing.txt").toStdString()));
    TDialogAnswers::Push(TDialogAnswer::File(there));
    EXPECT_FALSE(d.Execute());
    EXPECT_EQ("", d.FileName());
    EXPECT_TRUE(d.Execute());
    EXPECT_EQ(there, d.FileName());

    d.SetOptions(TOpenDialog::ofPathMustExist);
    TDialogAnswers::Push(TDialogAnswer::File(dir.filePath("nodir/new.txt").toStdString()));
    TDialogAnswers::Push(TDialogAnswer::File(dir.filePath("new.txt").toStdString()));
    EXPECT_FALSE(d.Execute());
    EXPECT_TRUE(d.Execute());
}

TEST(Dialogs, MultiSelectNeedsItsOption)
{
    Answers guard;
    TOpenDialog d(nullptr);
    TDialogAnswer two;
    two.Files = {"/tmp/a", "/tmp/b"};
    TDialogAnswers::Push(two);
    EXPECT_FALSE(d.Execute());
    d.SetOptions(d.Options() | TOpenDialog::ofAllowMultiSelect);
    TDialogAnswers::Push(two);
    ASSERT_TRUE(d.Execute());
    EXPECT_EQ(two.Files, d.Files());
    EXPECT_EQ("/tmp/a", d.FileName());
}

TEST(Dialogs, ASaveDialogAddsTheDefaultExtensionAndAsksBeforeOverwriting)
{
    Answers guard;
    QTemporaryDir dir;
    MakeFile(dir, "report.txt");
    TSaveDialog d(nullptr);
    d.SetDefaultExt("txt");
    d.SetOptions(TOpenDialog::ofOverwritePrompt);
    TDialogAnswer keep = TDialogAnswer::File(dir.filePath("report").toStdString());
    keep.OverwriteAnswer = false;
    TDialogAnswers::Push(keep);
    EXPECT_FALSE(d.Execute());
    TDialogAnswers::Push(TDialogAnswer::File(dir.filePath("report").toStdString()));
    ASSERT_TRUE(d.Execute());
    EXPECT_EQ(dir.filePath("report.txt").toStdString(), d.FileName());

    d.SetOptions({});
    TDialogAnswers::Push(keep);
    EXPECT_TRUE(d.Execute());  // without the prompt nobody is asked
}

TEST(Dialogs, APrintDialogReturnsPagesWithinItsLimitsAndCopies)
{
    Answers guard;
    TPrintDialog d(nullptr);
    d.SetMinPage(1);
    d.SetMaxPage(10);
    TDialogAnswer pages;
    pages.FromPage = 2;
    pages.ToPage = 4;
    pages.Copies = 3;
    TDialogAnswers::Push(pages);
    EXPECT_FALSE(d.Execute());  // page numbers not offered
    d.SetOptions(TPrintDialog::poPageNums);
    TDialogAnswers::Push(pages);
    ASSERT_TRUE(d.Execute());
    EXPECT_EQ(2, d.FromPage());
    EXPECT_EQ(4, d.ToPage());
    EXPECT_EQ(3, d.Copies());
    EXPECT_EQ(TPrintDialog::prPageNums, d.PrintRange());
    pages.ToPage = 11;
    TDialogAnswers::Push(pages);
    EXPECT_FALSE(d.Execute());
    TDialogAnswers::Push(TDialogAnswer::Cancel());
    EXPECT_FALSE(d.Execute());
    EXPECT_EQ(4, d.ToPage());
}

TEST(Dialogs, AFontDialogSetsItsFontWithinTheSizeLimits)
{
    Answers guard;
    TFontDialog d(nullptr);
    d.SetOptions(d.Options() | TFontDialog::fdLimitSize);
    d.SetMaxFontSize(24);
    TDialogAnswer a;
    a.FontName = "Courier New";
    a.FontSize = 12;
    a.FontStyle = TFontStyles{fsBold};
    TDialogAnswers::Push(a);
    ASSERT_TRUE(d.Execute());
    EXPECT_EQ("Courier New", d.Font()->Name());
    EXPECT_EQ(12, d.Font()->Size());
    EXPECT_TRUE(d.Font()->Style().Contains(fsBold));
    a.FontSize = 30;
    TDialogAnswers::Push(a);
    EXPECT_FALSE(d.Execute());
    EXPECT_EQ(12, d.Font()->Size());
}

TEST(Dialogs, AColorDialogReturnsTheChosenColourOrKeepsItsOwn)
{
    Answers guard;
    TColorDialog d(nullptr);
    d.SetColor(clRed);
    TDialogAnswer a;
    a.Color = clNavy;
    TDialogAnswers::Push(TDialogAnswer::Cancel());
    TDialogAnswers::Push(a);
    EXPECT_FALSE(d.Execute());
    EXPECT_EQ(clRed, d.Color());
    EXPECT_TRUE(d.Execute());
    EXPECT_EQ(clNavy, d.Color());
}

TEST(Dialogs, AFontDialogsDeviceAndOptionsLimitTheFontsItAccepts)
{
    Answers guard;
    TFontDialog d(nullptr);
    EXPECT_FALSE(d.ScalableOnly());
    for (auto device : {TFontDialog::fdPrinter, TFontDialog::fdBoth}) {
        d.SetDevice(device);
        EXPECT_TRUE(d.ScalableOnly());
        EXPECT_EQ(device, d.Device());
    }
    d.SetDevice(TFontDialog::fdScreen);
    d.SetOptions(TFontDialog::fdTrueTypeOnly);
    EXPECT_TRUE(d.ScalableOnly());
    d.SetOptions(TFontDialog::fdFixedPitchOnly | TFontDialog::fdNoStyleSel);
    EXPECT_FALSE(d.ScalableOnly());
    TDialogAnswer a;
    a.FontName = "DejaVu Sans";
    TDialogAnswers::Push(a);
    EXPECT_FALSE(d.Execute());
    a.FontName = "DejaVu Sans Mono";
    TDialogAnswers::Push(a);
    ASSERT_TRUE(d.Execute());
    EXPECT_EQ("DejaVu Sans Mono", d.Font()->Name());
    EXPECT_TRUE(d.Options().testFlag(TFontDialog::fdNoStyleSel));
}

TEST(Dialogs, ARealFontDialogListsOnlyTheFontsTheOptionsAllow)
{
    Answers guard;
    TFontDialog d(nullptr);
    std::vector<QFontDialog::FontDialogOptions> seen;
    const auto closeLater = [&] {
        QTimer::singleShot(50, [&] {
            auto* dlg = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
            if (!dlg) return;
            seen.push_back(dlg->options());
            dlg->reject();
        });
    };
    closeLater();
    EXPECT_FALSE(d.Execute());
    d.SetDevice(TFontDialog::fdBoth);
    d.SetOptions(TFontDialog::fdFixedPitchOnly);
    closeLater();
    EXPECT_FALSE(d.Execute());
    ASSERT_EQ(2u, seen.size());
    EXPECT_FALSE(seen[0].testFlag(QFontDialog::ScalableFonts));
    EXPECT_FALSE(seen[0].testFlag(QFontDialog::MonospacedFonts));
    EXPECT_TRUE(seen[1].testFlag(QFontDialog::ScalableFonts));
    EXPECT_TRUE(seen[1].testFlag(QFontDialog::MonospacedFonts));
    EXPECT_TRUE(seen[1].testFlag(QFontDialog::DontUseNativeDialog));
}

TEST(Dialogs, ASolidColorDialogReturnsPlainRgb)
{
    Answers guard;
    TColorDialog d(nullptr);
    TDialogAnswer a;
    a.Color = clBtnFace;
    TDialogAnswers::Push(a);
    ASSERT_TRUE(d.Execute());
    EXPECT_EQ(clBtnFace, d.Color());
    d.SetOptions(TColorDialog::cdSolidColor | TColorDialog::cdFullOpen);
    TDialogAnswers::Push(a);
    ASSERT_TRUE(d.Execute());
    EXPECT_EQ(ColorToRGB(clBtnFace), d.Color());
    EXPECT_EQ(0, d.Color() & 0xFF000000);
}

TEST(Dialogs, ARealColorDialogShowsAndHandsBackTheCustomColours)
{
    Answers guard;
    TColorDialog d(nullptr);
    d.SetOptions(TColorDialog::cdSolidColor);
    d.CustomColors()->Add("ColorA=0000FF");  // TColor order: red
    d.CustomColors()->Add("colorc=ff0000");  // blue
    QColor shownA, shownC;
    bool alpha = true;
    QTimer::singleShot(50, [&] {
        auto* dlg = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        if (!dlg) return;
        shownA = QColorDialog::customColor(0);
        shownC = QColorDialog::customColor(2);
        alpha = dlg->testOption(QColorDialog::ShowAlphaChannel);
        QColorDialog::setCustomColor(1, QColor(0, 128, 0));  // the person adds a colour
        dlg->setCurrentColor(QColor(10, 20, 30, 40));
        dlg->accept();
    });
    ASSERT_TRUE(d.Execute());
    EXPECT_EQ(QColor(Qt::red), shownA);
    EXPECT_EQ(QColor(Qt::blue), shownC);
    EXPECT_FALSE(alpha);
    EXPECT_EQ(TColor(10 | (20 << 8) | (30 << 16)), d.Color());
    ASSERT_EQ(3, d.CustomColors()->Count());
    EXPECT_EQ("ColorA=0000FF", d.CustomColors()->Get(0));
    EXPECT_EQ("ColorC=FF0000", d.CustomColors()->Get(1));
    EXPECT_EQ("ColorB=008000", d.CustomColors()->Get(2));
    for (int i = 0; i < 3; ++i) QColorDialog::setCustomColor(i, Qt::white);

    TComponent root(nullptr);
    auto* stored = new TColorDialog(&root);
    stored->SetName("ColorDialog1");
    stored->CustomColors()->Add("ColorA=123456");
    TComponent copy(nullptr);
    TextToComponent(ComponentToText(&root), &copy);
    EXPECT_EQ("ColorA=123456", As<TColorDialog>(copy.FindComponent("ColorDialog1"))->CustomColors()->Get(0));
}

TEST(Dialogs, MessageDialogsReturnTheQueuedResultOrTheirFirstButton)
{
    Answers guard;
    TDialogAnswers::Push(TDialogAnswer::Result(mrNo));
    TDialogAnswers::Push(TDialogAnswer());
    TDialogAnswers::Push(TDialogAnswer());
    EXPECT_EQ(mrNo, MessageDlg("Delete?", mtConfirmation, mbYes | mbNo | mbCancel));
    EXPECT_EQ(mrAbort, MessageDlg("Failed", mtError, mbRetry | mbAbort | mbIgnore));  // first in button order
    ShowMessage("Done");
    EXPECT_EQ((std::vector<String>{"Delete?", "Failed", "Done"}), TDialogAnswers::Asked());
    EXPECT_EQ(0u, TDialogAnswers::Pending());
}

TEST(Dialogs, TheApplicationsMessageBoxTakesQueuedAnswersToo)
{
    Answers guard;
    TDialogAnswers::Push(TDialogAnswer::Result(mrNo));
    TDialogAnswers::Push(TDialogAnswer());
    EXPECT_EQ(IDNO, GuiApplication().MessageBox("Save?", "Editor", MB_YESNOCANCEL));
    EXPECT_EQ(IDRETRY, GuiApplication().MessageBox("Busy", "Editor", MB_RETRYCANCEL));
    EXPECT_EQ((std::vector<String>{"Save?", "Busy"}), TDialogAnswers::Asked());
}

TEST(Dialogs, WithoutAQueuedAnswerTheRealDialogRuns)
{
    Answers guard;
    bool seen = false;
    QTimer::singleShot(50, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen = box->text() == "Really?";
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(mrNo, MessageDlg("Really?", mtConfirmation, mbYes | mbNo));
    EXPECT_TRUE(seen);
    EXPECT_TRUE(TDialogAnswers::Asked().empty());
}

TEST(Dialogs, ARealOpenDialogClosedWithoutChoosingKeepsTheName)
{
    Answers guard;
    TOpenDialog d(nullptr);
    d.SetFileName("kept.txt");
    d.SetTitle("Pick one");
    QString title;
    QTimer::singleShot(50, [&] {
        auto* w = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!w) return;
        title = w->windowTitle();
        w->reject();
    });
    EXPECT_FALSE(d.Execute());
    EXPECT_EQ("Pick one", title);
    EXPECT_EQ("kept.txt", d.FileName());
}

TEST(Dialogs, ARealPrintDialogAcceptedFromATimerKeepsThePresetOutputFile)
{
    Answers guard;
    if (!Printer().Printers().empty()) GTEST_SKIP() << "a print queue exists";
    QTemporaryDir dir;
    const String out = dir.filePath("dialog.pdf").toStdString();
    Printer().SetOutputFileName(out);
    TPrintDialog d(nullptr);
    QTimer::singleShot(50, [] {
        if (auto* w = qobject_cast<QDialog*>(QApplication::activeModalWidget())) w->accept();
    });
    const bool accepted = d.Execute();
    const String chosen = Printer().OutputFileName();
    Printer().SetOutputFileName({});
    EXPECT_TRUE(accepted);
    EXPECT_EQ(out, chosen);
}

TEST(Dialogs, DialogsOnAFormGoThroughAFormFile)
{
    TComponent root(nullptr);
    root.SetName("Holder");
    auto* open = new TOpenDialog(&root);
    open->SetName("OpenDialog1");
    open->SetFilter("Text|*.txt");
    open->SetOptions(TOpenDialog::ofFileMustExist | TOpenDialog::ofAllowMultiSelect);
    auto* font = new TFontDialog(&root);
    font->SetName("FontDialog1");
    font->Font()->SetName("Arial");
    font->SetDevice(TFontDialog::fdBoth);
    auto* color = new TColorDialog(&root);
    color->SetName("ColorDialog1");
    color->SetColor(clTeal);
    auto* print = new TPrintDialog(&root);
    print->SetName("PrintDialog1");
    print->SetOptions(TPrintDialog::poPageNums);
    print->SetMaxPage(9);
    (new TSaveDialog(&root))->SetName("SaveDialog1");

    const String text = ComponentToText(&root);
    TComponent copy(nullptr);
    TextToComponent(text, &copy);
    auto* open2 = As<TOpenDialog>(copy.FindComponent("OpenDialog1"));
    EXPECT_EQ("Text|*.txt", open2->Filter());
    EXPECT_EQ(TOpenDialog::TOpenOptions(TOpenDialog::ofFileMustExist | TOpenDialog::ofAllowMultiSelect),
              open2->Options());
    auto* font2 = As<TFontDialog>(copy.FindComponent("FontDialog1"));
    EXPECT_EQ("Arial", font2->Font()->Name());
    EXPECT_EQ(TFontDialog::fdBoth, font2->Device());
    EXPECT_EQ(clTeal, As<TColorDialog>(copy.FindComponent("ColorDialog1"))->Color());
    auto* print2 = As<TPrintDialog>(copy.FindComponent("PrintDialog1"));
    EXPECT_EQ(TPrintDialog::TPrintDialogOptions(TPrintDialog::poPageNums), print2->Options());
    EXPECT_EQ(9, print2->MaxPage());
    EXPECT_NE(nullptr, As<TSaveDialog>(copy.FindComponent("SaveDialog1")));
    EXPECT_EQ(String::npos, text.find("TCommonDialog"));
}
