// TButton and the dialog keys that reach a form's Default and Cancel buttons (StdCtrls.h).
#include "framework/gui/ExtCtrls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StdCtrls.h"

namespace qel {

TButton::TButton(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
}

void TButton::SetDefault(bool Value)
{
    FDefault = Value;
    Invalidate();
}

void TButton::Click()
{
    if (FModalResult != mrNone)
        if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
    TCustomControl::Click();
}

void TButton::KeyPress(char& Key)
{
    TCustomControl::KeyPress(Key);
    if (Key == ' ') {
        Key = 0;
        Click();
    }
}

void TButton::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)
{
    if (Button == mbLeft) FPressed = true;
    Invalidate();
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TButton::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)
{
    FPressed = false;
    Invalidate();
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TButton::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    if (FDefault || Focused()) {
        c->Brush()->SetColor(clWindowFrame);
        c->FrameRect(r);
        r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    }
    if (FPressed) Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
    else Frame3D(c, r, clBtnHighlight, clBtnShadow, 1);
    PaintFace(r);
}

void TButton::PaintFace(const TRect& Face)
{
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsClear);
    c->Font()->Assign(Font());
    if (!Enabled()) c->Font()->SetColor(clGrayText);
    TRect r = Face;
    c->DrawText(Caption(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

namespace {

TButton* FindDialogButton(TCustomForm* Form, bool WantDefault)
{
    for (int i = 0; i < Form->ComponentCount(); ++i) {
        auto* b = dynamic_cast<TButton*>(Form->Components(i));
        if (b && b->Visible() && b->Enabled() && (WantDefault ? b->Default() : b->Cancel())) return b;
    }
    return nullptr;
}

}  // namespace

bool ButtonDialogKey(TWinControl* Focused, uint16_t Key)
{
    if (Key != VK_RETURN && Key != VK_ESCAPE) return false;
    TButton* target = Key == VK_RETURN ? dynamic_cast<TButton*>(Focused) : nullptr;
    TCustomForm* form = GetParentForm(Focused);
    if (!target && form) target = FindDialogButton(form, Key == VK_RETURN);
    if (target) target->Click();
    return target != nullptr;
}

QEL_REGISTER_CLASS(TButton);

}  // namespace qel
