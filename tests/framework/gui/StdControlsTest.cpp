// Buttons, edits, memos, rich edits, status bars and progress bars.
#include "framework/core/FormFiles.h"
#include "framework/core/Timer.h"
#include "framework/gui/Buttons.h"
#include "framework/gui/ComCtrls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StdCtrls.h"
#include "framework/gui/qt/WidgetBridge.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

using namespace qel;

namespace {

template <class T>
T* Add(TForm& Form, TWinControl* Parent, const char* Name)
{
    auto* c = new T(&Form);
    c->SetName(Name);
    c->SetParent(Parent);
    return c;
}

void ClickWidget(TControl* C)
{
    C->Update();
    QTest::mouseClick(C->Window()->ClientWidget(), Qt::LeftButton, {}, QPoint(5, 5));
}

String ReadBytes(const String& Path)
{
    std::ifstream in(Path, std::ios::binary);
    return String(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class TFramedChild : public TCustomControl {
public:
    explicit TFramedChild(TComponent* AOwner) : TCustomControl(AOwner) {}

protected:
    void CreateParams(TCreateParams& Params) override
    {
        TCustomControl::CreateParams(Params);
        Params.Style |= WS_CAPTION | WS_THICKFRAME;
    }
};

}  // namespace

TEST(Buttons, AClickedButtonEndsTheModalRunWithItsResult)
{
    TForm form(nullptr);
    form.SetBounds(40, 40, 240, 120);
    auto* ok = Add<TButton>(form, &form, "OkButton");
    ok->SetModalResult(mrYes);
    int clicks = 0;
    ok->OnClick = [&](TObject*) { ++clicks; };
    TTimer timer(nullptr);
    timer.SetInterval(20);
    timer.OnTimer = [&](TObject*) {
        timer.SetEnabled(false);
        ClickWidget(ok);
    };
    EXPECT_EQ(mrYes, form.ShowModal());
    EXPECT_EQ(1, clicks);
    // Without a modal result a click leaves the form's alone.
    ok->SetModalResult(mrNone);
    form.SetModalResult(mrNone);
    ok->Click();
    EXPECT_EQ(mrNone, form.ModalResult());
    EXPECT_EQ(2, clicks);
}

TEST(Buttons, EnterAndEscapeReachDefaultAndCancelButtonsUnlessAMemoKeepsEnter)
{
    TForm form(nullptr);
    auto* edit = Add<TEdit>(form, &form, "Edit1");
    auto* memo = Add<TMemo>(form, &form, "Memo1");
    auto* ok = Add<TButton>(form, &form, "OkButton");
    auto* cancel = Add<TButton>(form, &form, "CancelButton");
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    form.Show();
    QTest::keyClick(edit->Handle()->ClientWidget(), Qt::Key_Return);
    EXPECT_EQ(mrOk, form.ModalResult());
    form.SetModalResult(mrNone);
    QTest::keyClick(edit->Handle()->ClientWidget(), Qt::Key_Escape);
    EXPECT_EQ(mrCancel, form.ModalResult());
    form.SetModalResult(mrNone);
    QTest::keyClick(memo->Handle()->ClientWidget(), Qt::Key_Return);
    EXPECT_EQ(mrNone, form.ModalResult());
    // Enter on a focused button clicks that button, not the default one.
    QTest::keyClick(cancel->Handle()->ClientWidget(), Qt::Key_Return);
    EXPECT_EQ(mrCancel, form.ModalResult());
}

TEST(Buttons, BitBtnKindsSetCaptionAndResultAndCloseClosesTheForm)
{
    TForm form(nullptr);
    auto* b = Add<TBitBtn>(form, &form, "BitBtn1");
    const std::vector<std::pair<TBitBtn::TBitBtnKind, TModalResult>> kinds = {
        {bkOK, mrOk}, {bkCancel, mrCancel}, {bkYes, mrYes}, {bkNo, mrNo}, {bkAbort, mrAbort},
        {bkRetry, mrRetry}, {bkIgnore, mrIgnore}, {bkAll, mrAll}, {bkHelp, mrNone}};
    for (auto [kind, result] : kinds) {
        b->SetKind(kind);
        EXPECT_EQ(result, b->ModalResult()) << kind;
        EXPECT_FALSE(b->Caption().empty()) << kind;
    }
    b->SetKind(bkCancel);
    EXPECT_EQ("Cancel", b->Caption());
    EXPECT_TRUE(b->Cancel());
    b->SetKind(bkClose);
    form.Show();
    b->Click();
    EXPECT_FALSE(form.Visible());
}

TEST(Buttons, SpeedButtonsOfOneGroupInOneParentAreMutuallyExclusive)
{
    TForm form(nullptr);
    auto* a = Add<TSpeedButton>(form, &form, "A");
    auto* b = Add<TSpeedButton>(form, &form, "B");
    auto* other = Add<TSpeedButton>(form, &form, "Other");
    auto* loose = Add<TSpeedButton>(form, &form, "Loose");
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    other->SetGroupIndex(2);
    other->SetDown(true);
    a->Click();
    EXPECT_TRUE(a->Down());
    b->Click();
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    EXPECT_TRUE(other->Down());
    b->Click();  // the last one down stays down
    EXPECT_TRUE(b->Down());
    a->SetAllowAllUp(true);
    EXPECT_TRUE(b->AllowAllUp());
    b->Click();
    EXPECT_FALSE(b->Down());
    int clicks = 0;
    loose->OnClick = [&](TObject*) { ++clicks; };
    form.Show();
    ClickWidget(loose);
    EXPECT_EQ(1, clicks);
    EXPECT_FALSE(loose->Down());
}

TEST(Edits, TypingFollowsMaxLengthReadOnlyAndReportsChanges)
{
    TForm form(nullptr);
    auto* edit = Add<TEdit>(form, &form, "Edit1");
    int changes = 0;
    edit->OnChange = [&](TObject*) { ++changes; };
    edit->SetMaxLength(4);
    form.Show();
    QTest::keyClicks(edit->Handle()->ClientWidget(), "abcdef");
    EXPECT_EQ("abcd", edit->Text());
    EXPECT_EQ(4, changes);
    QTest::keyClick(edit->Handle()->ClientWidget(), Qt::Key_Backspace);
    EXPECT_EQ("abc", edit->Text());
    edit->SetReadOnly(true);
    QTest::keyClicks(edit->Handle()->ClientWidget(), "x");
    EXPECT_EQ("abc", edit->Text());
    edit->SetText("set");
    EXPECT_EQ(6, changes);
}

TEST(Edits, APasswordEditShowsOnlyItsPasswordCharacter)
{
    TForm form(nullptr);
    auto* secret = Add<TEdit>(form, &form, "Secret");
    auto* stars = Add<TEdit>(form, &form, "Stars");
    secret->SetText("abc");
    secret->SetPasswordChar('*');
    stars->SetText("***");
    secret->Update();
    stars->Update();
    EXPECT_EQ(stars->RetainedImage(), secret->RetainedImage());
    EXPECT_EQ("abc", secret->Text());
}

TEST(Edits, AMemosLinesAndTextFollowEachOther)
{
    TForm form(nullptr);
    auto* memo = Add<TMemo>(form, &form, "Memo1");
    int changes = 0;
    memo->OnChange = [&](TObject*) { ++changes; };
    memo->Lines()->Add("first");
    memo->Lines()->Add("second");
    EXPECT_EQ("first\nsecond", memo->Text());
    memo->SetText("one\r\ntwo\nthree");
    ASSERT_EQ(3, memo->Lines()->Count());
    EXPECT_EQ("two", memo->Lines()->Get(1));
    memo->Lines()->Delete(0);
    EXPECT_EQ("two\nthree", memo->Text());
    EXPECT_EQ(4, changes);
}

TEST(Edits, AMemoInAFramedChildWindowFillsItsClientAreaAndTakesKeys)
{
    TForm form(nullptr);
    form.SetBounds(30, 30, 400, 300);
    auto* frame = new TFramedChild(&form);
    frame->SetCaption("Notes");
    frame->SetBounds(10, 10, 200, 150);
    frame->SetParent(&form);
    auto* memo = Add<TMemo>(form, frame, "Memo1");
    memo->SetAlign(alClient);
    form.Show();
    EXPECT_EQ(Bridge::TFrameKind::Caption, frame->Handle()->FrameKind());
    EXPECT_EQ(frame->ClientWidth(), memo->Width());
    EXPECT_EQ(frame->ClientHeight(), memo->Height());
    EXPECT_LT(memo->Height(), 150);
    QTest::keyClicks(memo->Handle()->ClientWidget(), "ab");
    QTest::keyClick(memo->Handle()->ClientWidget(), Qt::Key_Return);
    QTest::keyClicks(memo->Handle()->ClientWidget(), "c");
    ASSERT_EQ(2, memo->Lines()->Count());
    EXPECT_EQ("c", memo->Lines()->Get(1));
}

TEST(RichEdits, APlainTextFileIsSavedBackByteForByte)
{
    QTemporaryDir dir;
    const String in = QDir(dir.path()).filePath("in.txt").toStdString();
    const String out = QDir(dir.path()).filePath("out.txt").toStdString();
    const String bytes = "caf\xC3\xA9\r\nsecond line\r\n\r\n\ttabbed\nmixed end";
    std::ofstream(in, std::ios::binary) << bytes;
    TForm form(nullptr);
    auto* rich = Add<TRichEdit>(form, &form, "RichEdit1");
    rich->SetPlainText(true);
    rich->Lines()->LoadFromFile(in);
    ASSERT_EQ(5, rich->Lines()->Count());
    EXPECT_EQ("\ttabbed", rich->Lines()->Get(3));
    rich->Lines()->SaveToFile(out);
    EXPECT_EQ(bytes, ReadBytes(out));
    // An edited line keeps the file's line breaks.
    rich->Lines()->Put(1, "2nd");
    EXPECT_EQ("caf\xC3\xA9\r\n2nd\r\n", rich->Text().substr(0, 12));
    EXPECT_THROW(rich->Lines()->LoadFromFile(QDir(dir.path()).filePath("none").toStdString()), EFOpenError);
}

TEST(StatusBars, PanelsSitSideBySideAndShowTheirText)
{
    TForm form(nullptr);
    form.SetBounds(20, 20, 300, 200);
    auto* bar = Add<TStatusBar>(form, &form, "StatusBar1");
    bar->Panels()->Add()->SetWidth(80);
    bar->Panels()->Add()->SetText("Ready");
    form.Show();
    EXPECT_EQ(form.ClientHeight(), bar->Top() + bar->Height());
    EXPECT_EQ(Rect(0, 0, 80, bar->ClientHeight()), bar->PanelRect(0));
    EXPECT_EQ(bar->ClientWidth(), bar->PanelRect(1).Right);
    bar->Update();
    const QImage& img = bar->RetainedImage();
    auto inkIn = [&](int32_t x0, int32_t x1) {
        int ink = 0;
        for (int32_t y = 3; y < img.height() - 3; ++y)
            for (int32_t x = x0; x < x1; ++x) ink += qGray(img.pixel(x, y)) < 80;
        return ink;
    };
    EXPECT_EQ(0, inkIn(3, 75));
    EXPECT_GT(inkIn(83, 140), 10);
    bar->SetSimplePanel(true);
    bar->SetSimpleText("Simple");
    bar->Update();
    EXPECT_GT(inkIn(3, 60), 10);
}

TEST(ProgressBars, PositionStaysWithinMinAndMaxAndStepItWraps)
{
    TProgressBar bar(nullptr);
    bar.SetPosition(150);
    EXPECT_EQ(100, bar.Position());
    bar.SetPosition(-5);
    EXPECT_EQ(0, bar.Position());
    bar.SetMin(20);
    EXPECT_EQ(20, bar.Position());
    bar.SetPosition(95);
    bar.SetStep(10);
    bar.StepIt();
    EXPECT_EQ(20, bar.Position());
    bar.StepIt();
    EXPECT_EQ(30, bar.Position());
    bar.SetMax(25);
    EXPECT_EQ(25, bar.Position());
}

TEST(StdControlsFormFiles, AFormWithTheseControlsComesBackUnchanged)
{
    TForm form(nullptr);
    form.SetName("Form1");
    auto* ok = Add<TBitBtn>(form, &form, "OkButton");
    ok->SetKind(bkOK);
    auto* button = Add<TButton>(form, &form, "Button1");
    button->SetCaption("Go");
    button->SetCancel(true);
    auto* edit = Add<TEdit>(form, &form, "Edit1");
    edit->SetText("hello");
    edit->SetPasswordChar('*');
    auto* memo = Add<TMemo>(form, &form, "Memo1");
    memo->Lines()->SetText("a\nb\n");
    memo->SetScrollBars(ssVertical);
    auto* speed = Add<TSpeedButton>(form, &form, "Speed1");
    speed->SetGroupIndex(3);
    speed->SetDown(true);
    auto* rich = Add<TRichEdit>(form, &form, "RichEdit1");
    rich->SetPlainText(true);
    rich->Lines()->Add("rich");
    auto* bar = Add<TStatusBar>(form, &form, "StatusBar1");
    bar->Panels()->Add()->SetText("one");
    bar->Panels()->Items(0)->SetAlignment(taCenter);
    auto* progress = Add<TProgressBar>(form, &form, "Progress1");
    progress->SetPosition(42);
    const String text = ComponentToText(&form);
    EXPECT_EQ(String::npos, text.find("\"Caption\": \"a"));  // a memo stores its lines only
    std::unique_ptr<TComponent> copy(TextToComponent(text));
    auto* f = As<TForm>(copy.get());
    EXPECT_EQ(mrOk, As<TBitBtn>(f->FindComponent("OkButton"))->ModalResult());
    EXPECT_EQ(bkOK, As<TBitBtn>(f->FindComponent("OkButton"))->Kind());
    EXPECT_TRUE(As<TButton>(f->FindComponent("Button1"))->Cancel());
    EXPECT_EQ("hello", As<TEdit>(f->FindComponent("Edit1"))->Text());
    EXPECT_EQ('*', As<TEdit>(f->FindComponent("Edit1"))->PasswordChar());
    EXPECT_EQ("a\nb", As<TMemo>(f->FindComponent("Memo1"))->Text());
    EXPECT_EQ(ssVertical, As<TMemo>(f->FindComponent("Memo1"))->ScrollBars());
    EXPECT_TRUE(As<TSpeedButton>(f->FindComponent("Speed1"))->Down());
    EXPECT_EQ("rich", As<TRichEdit>(f->FindComponent("RichEdit1"))->Lines()->Get(0));
    auto* bar2 = As<TStatusBar>(f->FindComponent("StatusBar1"));
    ASSERT_EQ(1, bar2->Panels()->Count());
    EXPECT_EQ("one", bar2->Panels()->Items(0)->Text());
    EXPECT_EQ(taCenter, bar2->Panels()->Items(0)->Alignment());
    EXPECT_EQ(42, As<TProgressBar>(f->FindComponent("Progress1"))->Position());
    EXPECT_EQ(text, ComponentToText(f));
}
