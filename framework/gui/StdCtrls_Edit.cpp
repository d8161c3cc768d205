// TEdit and TMemo (StdCtrls.h): text controls painted through their canvas.
#include "framework/gui/ExtCtrls.h"
#include "framework/gui/StdCtrls.h"

namespace qel {

namespace {

void PaintSunkenBox(TCanvas* C, TRect& R, TColor Fill)
{
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Fill);
    C->FillRect(R);
    Frame3D(C, R, clBtnShadow, clBtnHighlight, 1);
    Frame3D(C, R, clWindowFrame, clBtnFace, 1);
}

}  // namespace

TEdit::TEdit(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
    SetColor(clWindow);
}

void TEdit::SetPasswordChar(int32_t Value)
{
    FPasswordChar = static_cast<char>(Value);
    Invalidate();
}

void TEdit::TextChanged()
{
    TCustomControl::TextChanged();
    if (OnChange) OnChange(this);
}

void TEdit::KeyPress(char& Key)
{
    TCustomControl::KeyPress(Key);
    if (Key == 0 || FReadOnly) return;
    String t = Text();
    if (Key == '\b') {
        if (t.empty()) return;
        t.pop_back();
        // Never leave half a UTF-8 character behind.
        while (!t.empty() && (static_cast<unsigned char>(t.back()) & 0xC0) == 0x80) t.pop_back();
        if (!t.empty() && (static_cast<unsigned char>(t.back()) & 0x80)) t.pop_back();
    } else if (static_cast<unsigned char>(Key) >= ' ') {
        if (FMaxLength > 0 && static_cast<int32_t>(t.size()) >= FMaxLength) return;
        t += Key;
    } else {
        return;
    }
    SetText(t);
}

void TEdit::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    PaintSunkenBox(c, r, Color());
    c->Brush()->SetStyle(bsClear);
    c->Font()->Assign(Font());
    if (!Enabled()) c->Font()->SetColor(clGrayText);
    const String shown = FPasswordChar ? String(Text().size(), FPasswordChar) : Text();
    r.Left += 1;
    c->DrawText(shown, r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

TMemo::TMemo(TComponent* AOwner) : TCustomControl(AOwner), FLines(std::make_unique<TStringList>())
{
    SetBounds(0, 0, 185, 89);
    SetTabStop(true);
    SetColor(clWindow);
    FLines->OnChange = [this](TObject*) { LinesChanged(); };
}

TMemo::~TMemo() { FLines->OnChange = nullptr; }

TStrings* TMemo::Lines() const { return FLines.get(); }

void TMemo::SetWordWrap(bool Value)
{
    FWordWrap = Value;
    Invalidate();
}

void TMemo::SetScrollBars(TScrollStyle Value)
{
    FScrollBars = Value;
    Invalidate();
}

void TMemo::LinesChanged()
{
    if (FSyncing) return;
    String t;
    for (int i = 0; i < FLines->Count(); ++i) t += (i ? "\n" : "") + FLines->Get(i);
    FSyncing = true;
    SetText(t);
    FSyncing = false;
}

void TMemo::TextChanged()
{
    TCustomControl::TextChanged();
    if (!FSyncing) {
        FSyncing = true;
        FLines->SetText(Text());
        FSyncing = false;
    }
    if (OnChange) OnChange(this);
}

void TMemo::KeyDown(uint16_t& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    // A memo keeps Enter for new lines, so a Default button does not see it.
    if (Key == VK_RETURN) Key = 0;
}

void TMemo::KeyPress(char& Key)
{
    TCustomControl::KeyPress(Key);
    if (Key == 0 || FReadOnly) return;
    String t = Text();
    if (Key == '\b') {
        if (!t.empty()) t.pop_back();
    } else if (Key == '\r' || Key == '\n') {
        t += '\n';
    } else if (Key == '\t' ? FWantTabs : static_cast<unsigned char>(Key) >= ' ') {
        t += Key;
    } else {
        return;
    }
    SetText(t);
}

void TMemo::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    PaintSunkenBox(c, r, Color());
    c->Brush()->SetStyle(bsClear);
    c->Font()->Assign(Font());
    r.Left += 1;
    c->DrawText(Text(), r, DT_LEFT | DT_NOPREFIX | DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0));
}

QEL_REGISTER_CLASS(TEdit);
QEL_REGISTER_CLASS(TMemo);

}  // namespace qel
