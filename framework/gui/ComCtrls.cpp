// TStatusBar and TProgressBar (ComCtrls.h).
#include "framework/gui/ComCtrls.h"

#include "framework/gui/ExtCtrls.h"

#include <algorithm>

namespace qel {

TStatusPanel::TStatusPanel(TCollection* Collection) : TCollectionItem(Collection) {}

void TStatusPanel::SetText(const String& Value)
{
    FText = Value;
    Changed(false);
}

void TStatusPanel::SetWidth(int32_t Value)
{
    FWidth = Value;
    Changed(false);
}

void TStatusPanel::SetAlignment(TControl::TAlignment Value)
{
    FAlignment = Value;
    Changed(false);
}

void TStatusPanel::Assign(TPersistent* Source)
{
    if (auto* p = dynamic_cast<TStatusPanel*>(Source)) {
        FText = p->FText;
        FWidth = p->FWidth;
        FAlignment = p->FAlignment;
        return Changed(false);
    }
    TCollectionItem::Assign(Source);
}

void TStatusPanels::Update(TCollectionItem*)
{
    if (Owner()) Owner()->Invalidate();
}

TStatusBar::TStatusBar(TComponent* AOwner) : TCustomControl(AOwner), FPanels(std::make_unique<TStatusPanels>(this))
{
    SetBounds(0, 0, 200, 19);
    SetAlign(alBottom);
}

TStatusBar::~TStatusBar() = default;

void TStatusBar::SetSimplePanel(bool Value)
{
    FSimplePanel = Value;
    Invalidate();
}

void TStatusBar::SetSimpleText(const String& Value)
{
    FSimpleText = Value;
    Invalidate();
}

void TStatusBar::SetSizeGrip(bool Value)
{
    FSizeGrip = Value;
    Invalidate();
}

TRect TStatusBar::PanelRect(int Index) const
{
    const TRect client = ClientRect();
    int32_t left = 0;
    for (int i = 0; i < Index; ++i) left += FPanels->Items(i)->Width();
    const bool last = Index == FPanels->Count() - 1;
    const int32_t right = last ? client.Right : left + FPanels->Items(Index)->Width();
    return Rect(std::min(left, client.Right), client.Top, std::min(right, client.Right), client.Bottom);
}

void TStatusBar::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(ClientRect());
    c->Font()->Assign(Font());
    if (FSimplePanel || FPanels->Count() == 0) {
        TRect r = ClientRect();
        c->Brush()->SetStyle(bsClear);
        r.Left += 2;
        c->DrawText(FSimpleText, r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        return;
    }
    for (int i = 0; i < FPanels->Count(); ++i) {
        TRect r = PanelRect(i);
        r.Right -= 2;
        Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
        const TStatusPanel* p = FPanels->Items(i);
        const uint32_t align = p->Alignment() == taCenter ? DT_CENTER : p->Alignment() == taRightJustify ? DT_RIGHT : DT_LEFT;
        c->Brush()->SetStyle(bsClear);
        r.Left += 1;
        c->DrawText(p->Text(), r, align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        c->Brush()->SetStyle(bsSolid);
    }
}

TProgressBar::TProgressBar(TComponent* AOwner) : TCustomControl(AOwner) { SetBounds(0, 0, 150, 16); }

void TProgressBar::SetMin(int32_t Value)
{
    FMin = Value;
    if (FMax < FMin) FMax = FMin;
    SetPosition(FPosition);
    Invalidate();
}

void TProgressBar::SetMax(int32_t Value)
{
    FMax = Value;
    if (FMin > FMax) FMin = FMax;
    SetPosition(FPosition);
    Invalidate();
}

void TProgressBar::SetPosition(int32_t Value)
{
    const int32_t v = std::clamp(Value, FMin, FMax);
    if (v == FPosition) return;
    FPosition = v;
    Invalidate();
}

void TProgressBar::StepBy(int32_t Delta) { SetPosition(FPosition + Delta); }

void TProgressBar::StepIt()
{
    const int64_t next = int64_t(FPosition) + FStep;
    SetPosition(next > FMax ? FMin : static_cast<int32_t>(next));
}

void TProgressBar::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
    const int64_t range = int64_t(FMax) - FMin;
    if (range <= 0) return;
    const int32_t w = static_cast<int32_t>((int64_t(r.Right - r.Left) * (FPosition - FMin)) / range);
    c->Brush()->SetColor(clHighlight);
    c->FillRect(Rect(r.Left, r.Top, r.Left + w, r.Bottom));
}

QEL_REGISTER_CLASS(TStatusPanel);
QEL_REGISTER_CLASS(TStatusBar);
QEL_REGISTER_CLASS(TProgressBar);

}  // namespace qel
