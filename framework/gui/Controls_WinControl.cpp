// TWinControl: children, its window made on demand from CreateParams, focus and tab order.
#include "framework/gui/Controls.h"

#include "framework/gui/qt/WidgetBridge.h"

#include <algorithm>

namespace qel {

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl()
{
    Destroying();
    // Children still here belong to other owners: they only lose their parent.
    while (!FControls.empty()) FControls.back()->SetParent(nullptr);
    DestroyHandle();
}

TControl* TWinControl::Controls(int Index) const
{
    if (Index < 0 || Index >= ControlCount()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FControls[static_cast<size_t>(Index)];
}

bool TWinControl::ContainsControl(const TControl* AControl) const
{
    for (const TControl* c = AControl; c; c = c->Parent())
        if (c == this) return true;
    return false;
}

void TWinControl::InsertControl(TControl* AControl)
{
    if (auto* w = dynamic_cast<TWinControl*>(AControl); w && w->ContainsControl(this))
        throw EInvalidOperation("Control " + AControl->Name() + " cannot be a child of its own child");
    FControls.push_back(AControl);
    AControl->SetParentFields(this);
    if (auto* w = dynamic_cast<TWinControl*>(AControl)) InsertTab(w);
    if (AControl->ParentColor()) AControl->ParentColorChanged();
    if (AControl->ParentFont()) AControl->ParentFontChanged();
    if (HandleAllocated()) {
        if (auto* w = dynamic_cast<TWinControl*>(AControl))
            w->CreateHandle();
        else if (auto* g = dynamic_cast<TGraphicControl*>(AControl))
            g->CreateGraphicWindow();
    }
    Realign();
}

void TWinControl::RemoveControl(TControl* AControl)
{
    auto it = std::find(FControls.begin(), FControls.end(), AControl);
    if (it == FControls.end()) return;
    if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
        w->DestroyHandle();
        RemoveTab(w);
    } else {
        AControl->FWindow.reset();
    }
    FControls.erase(std::find(FControls.begin(), FControls.end(), AControl));
    AControl->SetParentFields(nullptr);
    Realign();
}

void TWinControl::InsertTab(TWinControl* C) { FTabList.push_back(C); }

void TWinControl::RemoveTab(TWinControl* C)
{
    auto it = std::find(FTabList.begin(), FTabList.end(), C);
    if (it != FTabList.end()) FTabList.erase(it);
}

int32_t TWinControl::TabOrder() const
{
    if (!Parent()) return -1;
    const auto& list = Parent()->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int32_t>(it - list.begin());
}

void TWinControl::SetTabOrder(int32_t Value)
{
    // Siblings read later would shift this one: the stored order is applied again once loaded.
    FStoredTabOrder = ComponentState().Contains(csLoading) ? Value : -1;
    if (!Parent()) return;
    auto& list = Parent()->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    // The others keep their order and renumber round it; out-of-range values clamp.
    const size_t pos = std::min(static_cast<size_t>(std::max(Value, 0)), list.size());
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(pos), this);
}

void TWinControl::FixupTabOrder()
{
    std::vector<size_t> places;
    std::vector<TWinControl*> stored;
    for (size_t i = 0; i < FTabList.size(); ++i)
        if (FTabList[i]->FStoredTabOrder >= 0) {
            places.push_back(i);
            stored.push_back(FTabList[i]);
        }
    std::stable_sort(stored.begin(), stored.end(),
                     [](const TWinControl* A, const TWinControl* B) { return A->FStoredTabOrder < B->FStoredTabOrder; });
    for (size_t i = 0; i < places.size(); ++i) FTabList[places[i]] = stored[i];
}

std::vector<TWinControl*> TWinControl::TabOrderList() const { return FTabList; }

void TWinControl::CreateParams(TCreateParams& Params)
{
    Params.Caption = Caption();
    Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (Visible()) Params.Style |= WS_VISIBLE;
    if (!Enabled()) Params.Style |= WS_DISABLED;
    if (FTabStop) Params.Style |= WS_TABSTOP;
    Params.ExStyle = 0;
    Params.X = Left();
    Params.Y = Top();
    Params.Width = Width();
    Params.Height = Height();
    Params.WndParent = Parent();
}

void TWinControl::HandleNeeded()
{
    if (HandleAllocated()) return;
    if (Parent()) Parent()->HandleNeeded();
    if (!HandleAllocated()) CreateHandle();
}

Bridge::TWindow* TWinControl::Handle()
{
    HandleNeeded();
    return FWindow.get();
}

void TWinControl::CreateHandle()
{
    if (HandleAllocated()) return;
    if (Parent() && !Parent()->HandleAllocated()) return;  // made with the parent's
    CreateWnd();
}

void TWinControl::CreateWnd()
{
    TCreateParams params;
    CreateParams(params);
    FWindow = std::make_unique<Bridge::TWindow>(this, params, Parent() ? Parent()->FWindow.get() : nullptr);
    FWindow->SetCursor(Cursor());
    FWindow->SetToolTip(ShowHint() ? Hint() : String());
    ResizeImage();
    CreateChildWindows();
    Invalidate();
    FWindow->SetVisible((params.Style & WS_VISIBLE) != 0 || ComponentState().Contains(csDesigning));
}

void TWinControl::CreateChildWindows()
{
    for (TControl* c : FControls) {
        if (auto* w = dynamic_cast<TWinControl*>(c))
            w->CreateHandle();
        else if (auto* g = dynamic_cast<TGraphicControl*>(c))
            g->CreateGraphicWindow();
    }
    RestackWindows();
}

void TWinControl::RestackWindows()
{
    for (TControl* c : FControls)
        if (c->FWindow) c->FWindow->Raise();
}

void TWinControl::DestroyWnd()
{
    for (TControl* c : FControls) {
        if (auto* w = dynamic_cast<TWinControl*>(c))
            w->DestroyHandle();
        else
            c->FWindow.reset();
    }
    FWindow.reset();
}

void TWinControl::DestroyHandle()
{
    if (HandleAllocated()) DestroyWnd();
}

void TWinControl::RecreateWnd()
{
    if (!HandleAllocated()) return;
    const bool focused = Focused();
    DestroyHandle();
    CreateHandle();
    ResizeImage();
    Realign();
    if (focused) SetFocus();
}

void TWinControl::FrameMargins(int32_t& L, int32_t& T, int32_t& R, int32_t& B) const
{
    Bridge::TMargins m;
    if (FWindow) {
        m = FWindow->Margins();
    } else {
        TCreateParams params;
        const_cast<TWinControl*>(this)->CreateParams(params);
        m = Bridge::FrameMargins(params);
    }
    L = m.Left;
    T = m.Top;
    R = m.Right;
    B = m.Bottom;
}

TRect TWinControl::ClientRect() const
{
    int32_t l = 0, t = 0, r = 0, b = 0;
    FrameMargins(l, t, r, b);
    return Rect(0, 0, std::max(Width() - l - r, 0), std::max(Height() - t - b, 0));
}

void TWinControl::Invalidate()
{
    TControl::Invalidate();
    // Graphic children start from this control's picture: they repaint with it.
    for (TControl* c : FControls)
        if (!dynamic_cast<TWinControl*>(c)) c->Invalidate();
}

void TWinControl::PrepareImage() { TControl::PrepareImage(); }

void TWinControl::VisibleChanged()
{
    if (Visible() && Parent() && Parent()->HandleAllocated()) CreateHandle();
    TControl::VisibleChanged();
}

void TWinControl::BoundsChanged()
{
    TControl::BoundsChanged();
    Realign();
}

void TWinControl::ParentColorChanged()
{
    TControl::ParentColorChanged();
}

void TWinControl::ColorChanged()
{
    TControl::ColorChanged();
    for (TControl* c : FControls)
        if (c->ParentColor()) c->ParentColorChanged();
}

void TWinControl::ParentFontChanged() { TControl::ParentFontChanged(); }

void TWinControl::FontChanged()
{
    TControl::FontChanged();
    for (TControl* c : FControls)
        if (c->ParentFont()) c->ParentFontChanged();
}

void TWinControl::TextChanged()
{
    if (FWindow) FWindow->SetText(Caption());
    TControl::TextChanged();
}

void TWinControl::Loaded()
{
    TControl::Loaded();
    if (FStoredTabOrder >= 0 && Parent()) Parent()->FixupTabOrder();
    Realign();
}

bool TWinControl::Focused() const { return FWindow && FWindow->HasFocus(); }

bool TWinControl::CanFocus() const
{
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

void TWinControl::SetFocus()
{
    if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    Handle()->SetFocus();
}

void TWinControl::FocusOnClick()
{
    if (FTabStop && !Focused() && CanFocus()) SetFocus();
}

void TWinControl::WindowMoved(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight)
{
    TControl::WindowMoved(ALeft, ATop, AWidth, AHeight);
}

}  // namespace qel
