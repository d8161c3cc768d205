// The log window: its stored layout, execute, Log/Clear and the File menu, all headless. Every
// modal run is closed from a timer, with a watchdog that closes it after a bound.
#include "framework/core/Application.h"
#include "framework/core/Exceptions.h"
#include "framework/core/SysUtils.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/Printers.h"
#include "widgets/QELLogWindow.h"
#include "widgets/QELLogWindowForm.h"
#include "widgets/WidgetTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenuBar>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

using namespace qel;

namespace {

constexpr int WatchdogMs = 10000;

std::vector<String> LinesOf(TQELLogWindowForm* Form)
{
    std::vector<String> lines;
    for (int i = 0; i < Form->RichEdit1->Lines()->Count(); ++i) lines.push_back(Form->RichEdit1->Lines()->Get(i));
    return lines;
}

String ReadFile(const String& FileName)
{
    std::ifstream in(FileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>{}};
}

void WriteFile(const String& FileName, const String& Text)
{
    std::ofstream(FileName, std::ios::binary) << Text;
}

// Runs execute; WhileShown runs once the window's modal loop runs, then the window is closed.
// Returns execute's result; fails the test when the watchdog had to close the window.
bool RunShown(TQELLogWindow& Log, const std::function<void(TQELLogWindowForm*)>& WhileShown)
{
    bool done = false, timedOut = false;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        TQELLogWindowForm* form = TQELLogWindow::Window();
        if (!form || !form->Modal()) return;
        if (clock.elapsed() > WatchdogMs) {
            timedOut = true;
            // A real dialog left open by a missing queued answer would hold the window's loop.
            if (QWidget* stray = QApplication::activeModalWidget()) stray->close();
            form->Close();
            return;
        }
        if (done) return;
        done = true;
        WhileShown(form);
        if (TQELLogWindow::Window()) TQELLogWindow::Window()->Close();
    });
    poll.start(20);
    const bool result = Log.execute();
    EXPECT_FALSE(timedOut) << "the log window was closed by the watchdog";
    EXPECT_TRUE(done) << "the log window never ran modally";
    return result;
}

// The top-level Qt window of the form (the active modal one while it runs).
QWidget* ModalWindow() { return QApplication::activeModalWidget(); }

int VisibleMenuBarActions(QWidget* Window)
{
    int n = 0;
    for (QMenuBar* bar : Window->findChildren<QMenuBar*>())
        if (bar->isVisible() || !bar->isHidden())
            for (QAction* a : bar->actions()) n += a->isVisible() ? 1 : 0;
    return n;
}

class LogWindowTest : public ::testing::Test {
protected:
    LogWindowTest() { TDialogAnswers::Clear(); }
    ~LogWindowTest() override { TDialogAnswers::Clear(); }
    QTemporaryDir Dir;
    String PathOf(const char* Name) const { return Dir.filePath(Name).toStdString(); }
    TQELLogWindow Log{nullptr};
};

}  // namespace

// ---------------------------------------------------------------- stored layout

TEST_F(LogWindowTest, TheStoredLayoutHoldsTheFormAndItsTextArea)
{
    TQELLogWindowForm form(nullptr);
    EXPECT_EQ(325, form.Left());
    EXPECT_EQ(222, form.Top());
    EXPECT_EQ(clBtnFace, form.Color());
    EXPECT_EQ("MS Sans Serif", form.Font()->Name());
    EXPECT_EQ(-10, form.Font()->Height());
    EXPECT_FALSE(form.Icon()->Empty()) << "the form carries an icon of its own";
    EXPECT_EQ(form.MainMenu1, form.Menu());

    TRichEdit* edit = form.RichEdit1;
    EXPECT_EQ(&form, edit->Parent());
    EXPECT_EQ(alClient, edit->Align());
    EXPECT_EQ(370, edit->Width());
    EXPECT_EQ(234, edit->Height());
    EXPECT_FALSE(edit->HideSelection());
    EXPECT_TRUE(edit->PlainText());
    EXPECT_EQ(TMemo::ssBoth, edit->ScrollBars());
    EXPECT_TRUE(edit->WantTabs());
    EXPECT_FALSE(edit->ReadOnly());
}

TEST_F(LogWindowTest, TheMenuHasItsItemsGroupsAndCaptionsInOrder)
{
    TQELLogWindowForm form(nullptr);
    TMenuItem* root = form.MainMenu1->Items();
    ASSERT_EQ(2, root->Count());
    EXPECT_EQ(form.File1, root->Items(0));
    EXPECT_EQ(form.Edit1, root->Items(1));
    EXPECT_EQ("&File", form.File1->Caption());
    EXPECT_EQ(1, form.File1->GroupIndex());
    EXPECT_EQ("&Options", form.Edit1->Caption());
    EXPECT_EQ(2, form.Edit1->GroupIndex());

    const std::vector<std::pair<TMenuItem*, String>> file{{form.New1, "&New"},   {form.Open1, "&Open.."},
                                                          {form.Save1, "&Save..."}, {form.N1, "-"},
                                                          {form.Print1, "&Print..."}, {form.N2, "-"},
                                                          {form.Exit1, "E&xit"}};
    ASSERT_EQ(static_cast<int>(file.size()), form.File1->Count());
    for (size_t i = 0; i < file.size(); ++i) {
        EXPECT_EQ(file[i].first, form.File1->Items(static_cast<int>(i)));
        EXPECT_EQ(file[i].second, file[i].first->Caption());
    }
    const std::vector<std::pair<TMenuItem*, String>> options{
        {form.WordWrap1, "&Word Wrap"}, {form.N3, "-"}, {form.Font1, "&Fonts..."}, {form.Background1, "Background..."}};
    ASSERT_EQ(static_cast<int>(options.size()), form.Edit1->Count());
    for (size_t i = 0; i < options.size(); ++i) {
        EXPECT_EQ(options[i].first, form.Edit1->Items(static_cast<int>(i)));
        EXPECT_EQ(options[i].second, options[i].first->Caption());
    }
}

TEST_F(LogWindowTest, TheDialogsCarryTheirFiltersTitlesAndOptions)
{
    TQELLogWindowForm form(nullptr);
    EXPECT_EQ(TPrintDialog::TPrintDialogOptions(TPrintDialog::poPageNums), form.PrintDialog1->Options());
    EXPECT_EQ("All Files|*.*", form.OpenDialog1->Filter());
    EXPECT_EQ("Open", form.OpenDialog1->Title());
    EXPECT_EQ("All Files|*.*", form.SaveDialog1->Filter());
    EXPECT_EQ("Save", form.SaveDialog1->Title());
    EXPECT_EQ(TOpenDialog::TOpenOptions(TOpenDialog::ofPathMustExist), form.SaveDialog1->Options());
    EXPECT_EQ("MS Sans Serif", form.FontDialog1->Font()->Name());
    EXPECT_EQ(-13, form.FontDialog1->Font()->Height());
    EXPECT_EQ(TFontDialog::fdBoth, form.FontDialog1->Device());
    EXPECT_FALSE(form.FontDialog1->Options().testFlag(TFontDialog::fdLimitSize));
    EXPECT_EQ(0, form.FontDialog1->MinFontSize());
    EXPECT_EQ(0, form.FontDialog1->MaxFontSize());
    EXPECT_EQ(TColorDialog::TColorDialogOptions(TColorDialog::cdSolidColor), form.ColorDialog1->Options());
}

TEST_F(LogWindowTest, TheFormRendersWithItsMenuBarAboveTheTextArea)
{
    TQELLogWindowForm form(nullptr);
    form.RichEdit1->Lines()->Add("First log line");
    form.RichEdit1->Lines()->Add("Second log line");
    const QImage picture = RenderForm(&form);
    ASSERT_FALSE(picture.isNull());
    EXPECT_GE(picture.width(), 370);
    EXPECT_GT(picture.height(), 234) << "the menu bar sits above the 234 pixels of text area";
    const QString out = qEnvironmentVariable("QEL_LOGWINDOW_PNG");
    if (!out.isEmpty()) picture.save(out);
}

// ---------------------------------------------------------------- the component

TEST_F(LogWindowTest, CreateSetsTheInitialValues)
{
    EXPECT_EQ("", Log.LogWindowCaption());
    EXPECT_EQ("", Log.OpenFilename());
    EXPECT_EQ(RGB(255, 255, 255), Log.LogWindowColor());
    ASSERT_NE(nullptr, Log.LogWindowFonts());
    EXPECT_TRUE(Log.FileMenu());
    EXPECT_FALSE(Log.OpenFileOnExecute());
    EXPECT_EQ(poDesigned, Log.WindowPosition());
    EXPECT_EQ(300, Log.WindowHeight());
    EXPECT_EQ(300, Log.WindowWidth());
    EXPECT_EQ(TBorderIcons(), Log.BorderIcons());
    EXPECT_FALSE(Log.Readonly());
    ASSERT_NE(nullptr, Log.LogWindowIcon());
    EXPECT_TRUE(Log.LogWindowIcon()->Empty());
    EXPECT_EQ(wsNormal, Log.Windowstate());
    EXPECT_FALSE(Log.OnExecute || Log.OnExit || Log.OnSaveFile);
}

TEST_F(LogWindowTest, FontAndIconSettersCopyTheirValue)
{
    TFont font;
    font.SetName("Courier New");
    font.SetHeight(-17);
    Log.Setfont(&font);
    font.SetName("Arial");
    EXPECT_EQ("Courier New", Log.LogWindowFonts()->Name());
    EXPECT_EQ(-17, Log.LogWindowFonts()->Height());
    EXPECT_NE(&font, Log.LogWindowFonts());

    TIcon icon;
    QImage img(16, 16, QImage::Format_ARGB32);
    img.fill(Qt::red);
    icon.SetIcon(QIcon(QPixmap::fromImage(img)));
    Log.SetIco(&icon);
    EXPECT_FALSE(Log.LogWindowIcon()->Empty());
    EXPECT_NE(&icon, Log.LogWindowIcon());
}

TEST_F(LogWindowTest, LogAndClearDoNothingBeforeTheFirstExecuteAndAfterTheWindowClosed)
{
    EXPECT_EQ(nullptr, TQELLogWindow::Window());
    Log.Log("nobody listens");
    Log.Clear();

    TQELLogWindowForm* seen = nullptr;
    EXPECT_TRUE(RunShown(Log, [&](TQELLogWindowForm* Form) { seen = Form; }));
    EXPECT_NE(nullptr, seen);
    EXPECT_EQ(nullptr, TQELLogWindow::Window()) << "the reference is cleared when the window is freed";
    Log.Log("after the window closed");
    Log.Clear();
    TQELLogWindow other(nullptr);
    other.Log("through another component");
}

TEST_F(LogWindowTest, ExecuteShowsAStayOnTopModalWindowAndReturnsTrue)
{
    Log.SetLogWindowCaption("My log");
    Log.SetWindowWidth(420);
    Log.SetWindowHeight(260);
    Log.SetReadonly(true);
    Log.SetWindowPosition(poScreenCenter);
    bool checked = false;
    EXPECT_TRUE(RunShown(Log, [&](TQELLogWindowForm* Form) {
        checked = true;
        EXPECT_TRUE(Form->Modal());
        EXPECT_EQ(fsStayOnTop, Form->FormStyle());
        EXPECT_EQ("My log", Form->Caption());
        EXPECT_EQ(420, Form->Width());
        EXPECT_EQ(260, Form->Height());
        EXPECT_TRUE(Form->RichEdit1->ReadOnly());
        EXPECT_EQ(poScreenCenter, Form->Position());
        EXPECT_EQ(wsNormal, Form->WindowState());
        EXPECT_EQ("&Clear", Form->New1->Caption());
        EXPECT_EQ(static_cast<TComponent*>(Application), Form->Owner());
        QWidget* w = ModalWindow();
        ASSERT_NE(nullptr, w);
        EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    }));
    EXPECT_TRUE(checked);
}

TEST_F(LogWindowTest, DefaultBorderIconsLeaveNoSystemMenuAndNoButtons)
{
    EXPECT_TRUE(RunShown(Log, [&](TQELLogWindowForm* Form) {
        EXPECT_EQ(TBorderIcons(), Form->BorderIcons());
        QWidget* w = ModalWindow();
        ASSERT_NE(nullptr, w);
        const Qt::WindowFlags f = w->windowFlags();
        EXPECT_FALSE(f & Qt::WindowSystemMenuHint);
        EXPECT_FALSE(f & Qt::WindowCloseButtonHint);
        EXPECT_FALSE(f & Qt::WindowMinimizeButtonHint);
        EXPECT_FALSE(f & Qt::WindowMaximizeButtonHint);
    }));
    Log.SetBordericons(TBorderIcons(biSystemMenu) | biMinimize);
    EXPECT_TRUE(RunShown(Log, [&](TQELLogWindowForm*) {
        QWidget* w = ModalWindow();
        ASSERT_NE(nullptr, w);
        EXPECT_TRUE(w->windowFlags() & Qt::WindowSystemMenuHint);
        EXPECT_TRUE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
        EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    }));
}

TEST_F(LogWindowTest, FileMenuTrueShowsTheFileItemsButNeverTheOptionsOrOpen)
{
    EXPECT_TRUE(RunShown(Log, [&](TQELLogWindowForm* Form) {
        for (TMenuItem* item : {Form->File1, Form->New1, Form->Save1, Form->Print1, Form->Exit1})
            EXPECT_TRUE(item->Visible()) << item->Name();
        for (TMenuItem* item : {Form->Edit1, Form->Open1, Form->N1, Form->N2})
            EXPECT_FALSE(item->Visible()) << item->Name();
        EXPECT_EQ(1, VisibleMenuBarActions(ModalWindow())) << "only File shows in the bar";
        EXPECT_LT(Form->ClientHeight(), Form->Height()) << "the bar sits above the text area";
        EXPECT_EQ(Form->ClientHeight(), Form->RichEdit1->Height());
        const QString out = qEnvironmentVariable("QEL_LOGWINDOW_SHOWN_PNG");
        if (!out.isEmpty()) RenderForm(Form).save(out);
        const QString menu = qEnvironmentVariable("QEL_LOGWINDOW_MENU_PNG");
        if (!menu.isEmpty()) RenderMenu(Form->File1).save(menu);
    }));
}

TEST_F(LogWindowTest, FileMenuFalseLeavesNoVisibleMenuAtAll)
{
    Log.SetMenuFile(false);
    EXPECT_TRUE(RunShown(Log, [&](TQELLogWindowForm* Form) {
        TMenuItem* root = Form->MainMenu1->Items();
        for (int i = 0; i < root->Count(); ++i) EXPECT_FALSE(root->Items(i)->Visible()) << root->Items(i)->Name();
        for (TMenuItem* item : {Form->New1, Form->Save1, Form->Print1, Form->Exit1}) EXPECT_FALSE(item->Visible());
        EXPECT_EQ(0, VisibleMenuBarActions(ModalWindow()));
        EXPECT_EQ(Form->Height(), Form->ClientHeight()) << "no bar takes room from the text area";
        EXPECT_EQ(Form->ClientHeight(), Form->RichEdit1->Height());
        EXPECT_EQ(Form->ClientWidth(), Form->RichEdit1->Width());
        const QString out = qEnvironmentVariable("QEL_LOGWINDOW_NOMENU_PNG");
        if (!out.isEmpty()) RenderForm(Form).save(out);
    }));
}

TEST_F(LogWindowTest, FontAndColourReachTheTextArea)
{
    TFont font;
    font.SetName("DejaVu Sans Mono");
    font.SetHeight(-15);
    font.SetColor(clNavy);
    Log.Setfont(&font);
    Log.SetLogWindowColor(RGB(255, 255, 192));
    EXPECT_TRUE(RunShown(Log, [&](TQELLogWindowForm* Form) {
        EXPECT_EQ("DejaVu Sans Mono", Form->RichEdit1->Font()->Name());
        EXPECT_EQ(-15, Form->RichEdit1->Font()->Height());
        EXPECT_EQ(clNavy, Form->RichEdit1->Font()->Color());
        EXPECT_NE(Log.LogWindowFonts(), Form->RichEdit1->Font()) << "a copy, not the component's font";
        EXPECT_EQ(RGB(255, 255, 192), Form->RichEdit1->Color());
    }));
}

TEST_F(LogWindowTest, TheWindowIconIsACopyOfLogWindowIcon)
{
    TIcon icon;
    QImage img(16, 16, QImage::Format_ARGB32);
    img.fill(Qt::green);
    icon.SetIcon(QIcon(QPixmap::fromImage(img)));
    Log.SetIco(&icon);
    EXPECT_TRUE(RunShown(Log, [&](TQELLogWindowForm* Form) {
        ASSERT_FALSE(Form->Icon()->Empty());
        EXPECT_EQ(QColor(Qt::green).rgb(), Form->Icon()->ToImage().pixel(4, 4));
    }));
}

// ---------------------------------------------------------------- Log, Clear and the file at execute

TEST_F(LogWindowTest, AFileLoadedAtExecuteReplacesOnExecuteLinesAndLaterLinesFollowIt)
{
    const String file = PathOf("start.txt");
    WriteFile(file, "file line 1\r\nfile line 2\r\n");
    Log.SetOpenFileOnExecute(true);
    Log.SetOpenFilename(file);
    bool senderWasComponent = false;
    Log.OnExecute = [&](TObject* Sender) {
        senderWasComponent = Sender == &Log;
        ASSERT_NE(nullptr, TQELLogWindow::Window());
        Log.Log("from OnExecute 1");
        Log.Log("from OnExecute 2");
        EXPECT_EQ(2, TQELLogWindow::Window()->RichEdit1->Lines()->Count());
    };
    std::vector<String> shown;
    EXPECT_TRUE(RunShown(Log, [&](TQELLogWindowForm* Form) {
        Log.Log("after showing");
        shown = LinesOf(Form);
    }));
    EXPECT_TRUE(senderWasComponent);
    EXPECT_EQ((std::vector<String>{"file line 1", "file line 2", "after showing"}), shown);
    EXPECT_TRUE(TDialogAnswers::Asked().empty()) << "no message for an existing file";
}

TEST_F(LogWindowTest, ClearInOnExecuteAndAnyComponentLogsIntoTheOpenWindow)
{
    TQELLogWindow other(nullptr);
    Log.OnExecute = [&](TObject*) {
        Log.Log("dropped");
        Log.Clear();
        other.Log("kept");
    };
    std::vector<String> shown;
    EXPECT_TRUE(RunShown(Log, [&](TQELLogWindowForm* Form) { shown = LinesOf(Form); }));
    EXPECT_EQ(std::vector<String>{"kept"}, shown);
}

TEST_F(LogWindowTest, ExecuteWithoutAFileNameShowsTheMessageAndOpensTheWindowAnyway)
{
    Log.SetOpenFileOnExecute(true);
    TDialogAnswers::Push(TDialogAnswer::Result(mrOk));
    Log.OnExecute = [&](TObject*) { Log.Log("logged"); };
    std::vector<String> shown;
    EXPECT_TRUE(RunShown(Log, [&](TQELLogWindowForm* Form) { shown = LinesOf(Form); }));
    EXPECT_EQ(std::vector<String>{"Please specify a File to open"}, TDialogAnswers::Asked());
    EXPECT_EQ(std::vector<String>{"logged"}, shown);
}

TEST_F(LogWindowTest, ExecuteWithAMissingFileShowsTheMessageAndOpensTheWindowAnyway)
{
    Log.SetOpenFileOnExecute(true);
    Log.SetOpenFilename(PathOf("missing.txt"));
    TDialogAnswers::Push(TDialogAnswer::Result(mrOk));
    EXPECT_TRUE(RunShown(Log, [&](TQELLogWindowForm*) {}));
    EXPECT_EQ(std::vector<String>{"File to open does not exist"}, TDialogAnswers::Asked());
}

TEST_F(LogWindowTest, AFileNameIsIgnoredWhileOpenFileOnExecuteIsFalse)
{
    const String file = PathOf("ignored.txt");
    WriteFile(file, "not loaded\n");
    Log.SetOpenFilename(file);
    Log.OnExecute = [&](TObject*) { Log.Log("only line"); };
    std::vector<String> shown;
    EXPECT_TRUE(RunShown(Log, [&](TQELLogWindowForm* Form) { shown = LinesOf(Form); }));
    EXPECT_EQ(std::vector<String>{"only line"}, shown);
}

// ---------------------------------------------------------------- menu commands

TEST_F(LogWindowTest, ClearEmptiesTheLinesAndTheCaption)
{
    Log.SetLogWindowCaption("Caption to lose");
    Log.OnExecute = [&](TObject*) {
        Log.Log("a");
        Log.Log("b");
    };
    EXPECT_TRUE(RunShown(Log, [&](TQELLogWindowForm* Form) {
        Form->New1->Click();
        EXPECT_EQ(0, Form->RichEdit1->Lines()->Count());
        EXPECT_EQ("", Form->Caption());
    }));
}

TEST_F(LogWindowTest, SaveWritesTheLinesAndUpperCasesTheCaption)
{
    const String file = PathOf("saved log.txt");
    Log.SetLogWindowCaption("preset name");
    TObject* saveSender = nullptr;
    Log.OnSaveFile = [&](TObject* Sender) { saveSender = Sender; };
    TQELLogWindowForm* window = nullptr;
    TDialogAnswers::Push(TDialogAnswer::File(file));
    EXPECT_TRUE(RunShown(Log, [&](TQELLogWindowForm* Form) {
        window = Form;
        Log.Log("line one");
        Log.Log("line two");
        Form->Save1->Click();
        EXPECT_EQ(UpperCase(file), Form->Caption());
    }));
    EXPECT_EQ(std::vector<String>{"Save"}, TDialogAnswers::Asked());
    EXPECT_EQ(window, saveSender);
    const String text = ReadFile(file);
    EXPECT_NE(String::npos, text.find("line one"));
    EXPECT_LT(text.find("line one"), text.find("line two"));
}

TEST_F(LogWindowTest, ACancelledSaveStillUpperCasesTheCaptionAndPresetsTheFileName)
{
    Log.SetLogWindowCaption("mixed Case caption");
    bool saved = false;
    Log.OnSaveFile = [&](TObject*) { saved = true; };
    TDialogAnswers::Push(TDialogAnswer::Cancel());
    EXPECT_TRUE(RunShown(Log, [&](TQELLogWindowForm* Form) {
        Form->Save1->Click();
        EXPECT_EQ("mixed Case caption", Form->SaveDialog1->FileName());
        EXPECT_EQ("MIXED CASE CAPTION", Form->Caption());
    }));
    EXPECT_FALSE(saved);
}

TEST_F(LogWindowTest, ASaveOrPrintThatFailsRaisesTheFrameworksErrorAndTheWindowStaysOpen)
{
    // A folder of that name exists, so the dialog accepts the name and the write fails.
    ASSERT_TRUE(QDir(Dir.path()).mkdir("taken"));
    TDialogAnswers::Push(TDialogAnswer::File(PathOf("taken")));
    TDialogAnswers::Push(TDialogAnswer{});
    Printer().SetPrinterIndex(-1);
    Printer().SetOutputFileName(PathOf("no/such/folder/out.pdf"));
    EXPECT_TRUE(RunShown(Log, [&](TQELLogWindowForm* Form) {
        Log.Log("unsaved");
        EXPECT_THROW(Form->Save1->Click(), EFCreateError);
        EXPECT_THROW(Form->Print1->Click(), EInOutError);
        EXPECT_FALSE(Printer().Printing());
        EXPECT_TRUE(Form->Modal());
        EXPECT_EQ(Form, TQELLogWindow::Window());
        EXPECT_EQ(std::vector<String>{"unsaved"}, LinesOf(Form));
    }));
    Printer().SetOutputFileName({});
}

TEST_F(LogWindowTest, OpenReplacesTheLinesSetsTheCaptionAndCallsOpenHandler)
{
    const String file = PathOf("opened.txt");
    WriteFile(file, "opened 1\nopened 2\n");
    TDialogAnswers::Push(TDialogAnswer::File(file));
    TDialogAnswers::Push(TDialogAnswer::File(PathOf("gone.txt")));
    EXPECT_TRUE(RunShown(Log, [&](TQELLogWindowForm* Form) {
        EXPECT_FALSE(Form->OpenHandler) << "execute leaves OpenHandler unassigned";
        TObject* sender = nullptr;
        Form->OpenHandler = [&](TObject* Sender) { sender = Sender; };
        Log.Log("old");
        Form->Open1->Click();
        EXPECT_EQ((std::vector<String>{"opened 1", "opened 2"}), LinesOf(Form));
        EXPECT_EQ(UpperCase(file), Form->Caption());
        EXPECT_EQ(Form, sender);
        EXPECT_ANY_THROW(Form->Open1->Click()) << "a missing file raises the framework's file error";
        EXPECT_TRUE(Form->Modal());
    }));
}

TEST_F(LogWindowTest, ExitCallsOnExitWithTheWindowAndClosesIt)
{
    TObject* sender = nullptr;
    Log.OnExit = [&](TObject* Sender) { sender = Sender; };
    TQELLogWindowForm* window = nullptr;
    EXPECT_TRUE(RunShown(Log, [&](TQELLogWindowForm* Form) {
        window = Form;
        Form->Exit1->Click();
        EXPECT_NE(mrNone, Form->ModalResult()) << "Exit closes the window";
    }));
    EXPECT_EQ(window, sender);
}

TEST_F(LogWindowTest, OptionsCommandsToggleWrapAndTakeTheChosenFontAndColour)
{
    TDialogAnswer font;
    font.FontName = "DejaVu Serif";
    font.FontSize = 14;
    TDialogAnswers::Push(font);
    TDialogAnswer colour;
    colour.Color = RGB(10, 20, 30);
    TDialogAnswers::Push(colour);
    TDialogAnswers::Push(TDialogAnswer::Cancel());
    EXPECT_TRUE(RunShown(Log, [&](TQELLogWindowForm* Form) {
        // The item starts unchecked: the first click checks it and wraps, the second undoes both.
        ASSERT_FALSE(Form->WordWrap1->Checked());
        Form->WordWrap1->Click();
        EXPECT_TRUE(Form->WordWrap1->Checked());
        EXPECT_TRUE(Form->RichEdit1->WordWrap());
        Form->WordWrap1->Click();
        EXPECT_FALSE(Form->WordWrap1->Checked());
        EXPECT_FALSE(Form->RichEdit1->WordWrap());
        Form->Font1->Click();
        EXPECT_EQ("DejaVu Serif", Form->RichEdit1->Font()->Name());
        EXPECT_EQ(14, Form->RichEdit1->Font()->Size());
        Form->Background1->Click();
        EXPECT_EQ(RGB(10, 20, 30), Form->RichEdit1->Color());
        Form->Background1->Click();  // cancelled
        EXPECT_EQ(RGB(10, 20, 30), Form->RichEdit1->Color());
    }));
}

TEST_F(LogWindowTest, PrintWritesEveryLineInTheTextAreaFontToThePrinter)
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) GTEST_SKIP() << "poppler-utils missing";
    const QString pdf = Dir.filePath("log.pdf");
    Printer().SetPrinterIndex(-1);
    Printer().SetOutputFileName(pdf.toStdString());
    TDialogAnswers::Push(TDialogAnswer{});
    TDialogAnswers::Push(TDialogAnswer::Cancel());
    String printedFont;
    EXPECT_TRUE(RunShown(Log, [&](TQELLogWindowForm* Form) {
        Form->RichEdit1->Font()->SetName("DejaVu Sans Mono");
        for (int i = 1; i <= 5; ++i) Log.Log("printed line " + std::to_string(i));
        Form->Print1->Click();
        printedFont = Printer().Canvas()->Font()->Name();
        Form->Print1->Click();  // cancelled: nothing printed
    }));
    Printer().SetOutputFileName({});
    EXPECT_EQ("DejaVu Sans Mono", printedFont);
    EXPECT_FALSE(Printer().Printing());
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    ASSERT_TRUE(p.waitForFinished(30000));
    QStringList printed;
    for (const QString& l : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts))
        if (l.trimmed().startsWith("printed line")) printed << l.trimmed();
    EXPECT_EQ((QStringList{"printed line 1", "printed line 2", "printed line 3", "printed line 4", "printed line 5"}),
              printed);
}
