// TCustomEdit and TEdit (StdCtrls.h): the editing shared with TMemo (StdCtrls_Memo.cpp) and the
// one-line edit.
#include "framework/gui/StdCtrls.h"

#include "framework/core/Timer.h"
#include "framework/gui/TextView.h"

#include <algorithm>
#include <utility>

namespace qel {

namespace {

uint32_t GBlinkTime = 530;

}  // namespace

TCustomEdit::TCustomEdit(TComponent* AOwner)
    : TCustomControl(AOwner), FView(std::make_unique<TTextView>()), FBlink(std::make_unique<TTimer>(nullptr))
{
    FBlink->SetEnabled(false);
    FBlink->OnTimer = [this](TObject*) { Blink(); };
}

TCustomEdit::~TCustomEdit() { FBlink->OnTimer = nullptr; }

void TCustomEdit::SetCaretBlinkTime(uint32_t Milliseconds) { GBlinkTime = Milliseconds; }

int32_t TCustomEdit::SelStart() const { return FView->Editor.SelStart(); }
int32_t TCustomEdit::SelLength() const { return FView->Editor.SelLength(); }
String TCustomEdit::SelText() const { return FView->Editor.SelText(); }

void TCustomEdit::SetSelStart(int32_t Value)
{
    FView->Editor.SetSelStart(Value);
    AfterEdit(false);
}

void TCustomEdit::SetSelLength(int32_t Value)
{
    FView->Editor.SetSelLength(Value);
    AfterEdit(false);
}

void TCustomEdit::SetSelText(const String& Value) { AfterEdit(FView->Editor.Insert(Value)); }

TPoint TCustomEdit::CaretPos() const
{
    const TTextEditor& e = FView->Editor;
    const String& t = e.Text();
    const auto line = std::count(t.begin(), t.begin() + e.Caret(), '\n');
    return Point(e.Caret() - e.LineStart(e.Caret()), static_cast<int32_t>(line));
}

void TCustomEdit::SetHideSelection(bool Value)
{
    FHideSelection = Value;
    Invalidate();
}

void TCustomEdit::SelectAll()
{
    FView->Editor.SelectAll();
    AfterEdit(false);
}

void TCustomEdit::ClearSelection()
{
    TEditRules r;
    GetRules(r);
    AfterEdit(!r.ReadOnly && FView->Editor.DeleteSelection());
}

void TCustomEdit::CopyToClipboard()
{
    TEditRules r;
    GetRules(r);
    FView->Copy(r);
}

void TCustomEdit::CutToClipboard()
{
    TEditRules r;
    GetRules(r);
    AfterEdit(FView->Cut(r));
}

void TCustomEdit::PasteFromClipboard()
{
    TEditRules r;
    GetRules(r);
    AfterEdit(FView->Paste(r));
}

bool TCustomEdit::CanUndo() const { return FView->Editor.CanUndo(); }

void TCustomEdit::Undo()
{
    TEditRules r;
    GetRules(r);
    AfterEdit(!r.ReadOnly && FView->Editor.Undo());
}

void TCustomEdit::ClearUndo() { FView->Editor.ClearUndo(); }

TRect TCustomEdit::CaretRect()
{
    PrepareView();
    return FView->CaretRect(Canvas());
}

void TCustomEdit::PrepareView()
{
    Canvas()->Font()->Assign(Font());
    FView->Area = TextArea();
    FView->Layout(Canvas());
    FView->ClampScroll();
}

void TCustomEdit::AfterEdit(bool Changed)
{
    if (Changed) {
        // The view already holds the new text: only the control's copy and OnChange follow.
        FApplying = true;
        try {
            SetText(FView->Editor.Text());
        } catch (...) {
            FApplying = false;
            throw;
        }
        FApplying = false;
    }
    TEditRules r;
    GetRules(r);
    PrepareView();
    FView->ScrollToCaret(Canvas(), r.MultiLine);
    RestartBlink();
    Invalidate();
}

void TCustomEdit::PaintText()
{
    PrepareView();
    const bool focused = Focused();
    FView->Paint(Canvas(), focused || !FHideSelection, focused && FCaretOn, Enabled() ? Font()->Color() : clGrayText);
}

void TCustomEdit::KeyDown(uint16_t& Key, TShiftState Shift)
{
    FEatPress = false;
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0) return;
    TEditRules r;
    GetRules(r);
    PrepareView();
    bool changed = false;
    if (!FView->KeyDown(Canvas(), Key, Shift, r, changed)) return;
    // A used Ctrl shortcut may still bring its letter as a character: it is not typing.
    FEatPress = Shift.Contains(ssCtrl);
    Key = 0;
    AfterEdit(changed);
}

void TCustomEdit::KeyPress(char& Key)
{
    if (std::exchange(FEatPress, false)) return;
    TCustomControl::KeyPress(Key);
    if (Key == 0) return;
    TEditRules r;
    GetRules(r);
    bool changed = false;
    if (FView->KeyPress(Key, r, changed)) AfterEdit(changed);
}

void TCustomEdit::TextInput(const String& Utf8)
{
    FEatPress = false;
    TEditRules r;
    GetRules(r);
    bool changed = false;
    if (FView->TextInput(Utf8, r, changed)) AfterEdit(changed);
}

void TCustomEdit::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    PrepareView();
    const int32_t pos = FView->PosAtPoint(Canvas(), Point(X, Y));
    const bool word = Shift.Contains(ssDouble);
    if (word) FView->Editor.SelectWordAt(pos);
    else FView->Editor.MoveCaret(pos, Shift.Contains(ssShift));
    FSelecting = !word;
    AfterEdit(false);
}

void TCustomEdit::MouseMove(TShiftState Shift, int32_t X, int32_t Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    if (!FSelecting || !Shift.Contains(ssLeft)) return;
    PrepareView();
    FView->Editor.MoveCaret(FView->PosAtPoint(Canvas(), Point(X, Y)), true);
    AfterEdit(false);
}

void TCustomEdit::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft) FSelecting = false;
}

void TCustomEdit::DoEnter()
{
    TCustomControl::DoEnter();
    RestartBlink();
    Invalidate();
}

void TCustomEdit::DoExit()
{
    TCustomControl::DoExit();
    FBlink->SetEnabled(false);
    FSelecting = false;
    Invalidate();
}

void TCustomEdit::TextChanged()
{
    TCustomControl::TextChanged();
    if (!FApplying) {
        FView->Editor.SetText(Text());
        FView->TopLine = FView->LeftPx = 0;
    }
    if (OnChange) OnChange(this);
}

void TCustomEdit::RestartBlink()
{
    FCaretOn = true;
    FBlink->SetEnabled(false);
    if (GBlinkTime == 0 || !Focused()) return;
    FBlink->SetInterval(GBlinkTime);
    FBlink->SetEnabled(true);
}

void TCustomEdit::Blink()
{
    FCaretOn = !FCaretOn;
    Invalidate();
}

TEdit::TEdit(TComponent* AOwner) : TCustomEdit(AOwner)
{
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
    SetColor(clWindow);
    View().SingleLine = true;
    View().WordWrap = false;
}

void TEdit::SetPasswordChar(int32_t Value)
{
    FPasswordChar = static_cast<char>(Value);
    View().Mask = FPasswordChar;
    Invalidate();
}

void TEdit::GetRules(TEditRules& Rules) const
{
    Rules.ReadOnly = FReadOnly;
    Rules.MultiLine = false;
    Rules.MayCopy = FPasswordChar == 0;
    Rules.MaxChars = FMaxLength;
}

TRect TEdit::TextArea()
{
    TRect r = ClientRect();
    r.Left += 3;
    r.Right -= 2;
    // One line, centred in the frame as a single-line text is.
    const int32_t inner = r.Bottom - r.Top - 4, h = Canvas()->TextHeight("Wg");
    r.Top += 2 + std::max(0, (inner - h) / 2);
    r.Bottom = std::min(r.Top + h, ClientRect().Bottom - 2);
    return r;
}

void TEdit::Paint()
{
    TRect r = ClientRect();
    PaintEditFrame(Canvas(), r, Color());
    PaintText();
}

QEL_REGISTER_CLASS(TEdit);

}  // namespace qel
