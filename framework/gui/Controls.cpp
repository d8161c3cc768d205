// TControl: bounds, appearance, parent, input and drag (painting is in Controls_Paint.cpp).
#include "framework/gui/Controls.h"

#include "framework/gui/Menus.h"
#include "framework/gui/qt/WidgetBridge.h"

namespace qel {

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FColor(clBtnFace), FFont(std::make_unique<TFont>())
{
    FFont->OnChange = [this](TObject*) {
        // A font read from a form file is the stored one; ParentFont is read on its own.
        if (!FFontFromParent && !ComponentState().Contains(csLoading)) FParentFont = false;
        FontChanged();
    };
}

TControl::~TControl()
{
    Destroying();
    if (FParent) FParent->RemoveControl(this);
    FWindow.reset();
}

void TControl::SetParent(TWinControl* AParent)
{
    if (AParent == FParent) return;
    if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (FParent) FParent->RemoveControl(this);
    if (AParent) AParent->InsertControl(this);
}

void TControl::SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight)
{
    AWidth = std::max(AWidth, 0);
    AHeight = std::max(AHeight, 0);
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
    const bool resized = AWidth != FWidth || AHeight != FHeight;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    BoundsChanged();
    if (resized) Resize();
}

void TControl::BoundsChanged()
{
    if (FWindow) FWindow->SetBounds(FLeft, FTop, FWidth, FHeight);
    ResizeImage();
    if (FParent && FAlign != alNone) FParent->Realign();
}

TRect TControl::ClientRect() const { return Rect(0, 0, FWidth, FHeight); }

int32_t TControl::ClientWidth() const { return ClientRect().Right; }

int32_t TControl::ClientHeight() const { return ClientRect().Bottom; }

void TControl::SetClientWidth(int32_t Value) { SetWidth(FWidth - ClientWidth() + Value); }

void TControl::SetClientHeight(int32_t Value) { SetHeight(FHeight - ClientHeight() + Value); }

TPoint TControl::ClientOrigin() const
{
    if (FWindow) return FWindow->ClientOrigin();
    if (!FParent) return Point(FLeft, FTop);
    const TPoint p = FParent->ClientOrigin();
    return Point(p.X + FLeft, p.Y + FTop);
}

TPoint TControl::ClientToScreen(TPoint P) const
{
    const TPoint o = ClientOrigin();
    return Point(P.X + o.X, P.Y + o.Y);
}

TPoint TControl::ScreenToClient(TPoint P) const
{
    const TPoint o = ClientOrigin();
    return Point(P.X - o.X, P.Y - o.Y);
}

void TControl::SetAlign(TAlign Value)
{
    if (Value == FAlign) return;
    FAlign = Value;
    if (FParent) FParent->Realign();
}

void TControl::SetVisible(bool Value)
{
    if (Value == FVisible) return;
    FVisible = Value;
    VisibleChanged();
}

void TControl::VisibleChanged()
{
    if (FWindow) FWindow->SetVisible(FVisible || ComponentState().Contains(csDesigning));
    if (FParent) FParent->Realign();
}

void TControl::SetEnabled(bool Value)
{
    if (Value == FEnabled) return;
    FEnabled = Value;
    EnabledChanged();
}

void TControl::EnabledChanged()
{
    if (FWindow) FWindow->SetEnabled(FEnabled);
    Invalidate();
}

void TControl::SetText(const String& Value)
{
    if (Value == FText) return;
    FText = Value;
    TextChanged();
}

void TControl::SetColor(TColor Value)
{
    FParentColor = false;
    if (Value == FColor) return;
    FColor = Value;
    ColorChanged();
}

void TControl::SetParentColor(bool Value)
{
    FParentColor = Value;
    if (Value && FParent) ParentColorChanged();
}

void TControl::ParentColorChanged()
{
    if (!FParentColor || !FParent || FParent->Color() == FColor) return;
    FColor = FParent->Color();
    ColorChanged();
}

void TControl::SetFont(TFont* Value)
{
    if (Value) FFont->Assign(Value);
}

void TControl::SetParentFont(bool Value)
{
    FParentFont = Value;
    if (Value && FParent) ParentFontChanged();
}

void TControl::ParentFontChanged()
{
    if (!FParentFont || !FParent) return;
    FFontFromParent = true;
    FFont->Assign(FParent->Font());
    FFontFromParent = false;
    FParentFont = true;
}

void TControl::SetHint(const String& Value)
{
    FHint = Value;
    if (FWindow) FWindow->SetToolTip(FShowHint ? FHint : String());
}

void TControl::SetShowHint(bool Value)
{
    FShowHint = Value;
    FParentShowHint = false;
    SetHint(FHint);
}

void TControl::SetParentShowHint(bool Value)
{
    FParentShowHint = Value;
    if (Value && FParent) FShowHint = FParent->ShowHint();
}

void TControl::SetPopupMenu(TPopupMenu* Value)
{
    if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
    FPopupMenu = Value;
    if (Value) Value->FreeNotification(this);
}

void TControl::SetCursor(TCursor Value)
{
    FCursor = Value;
    if (FWindow) FWindow->SetCursor(Value);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TControl::Loaded()
{
    TComponent::Loaded();
    if (FParent) {
        if (FParentColor) ParentColorChanged();
        if (FParentFont) ParentFontChanged();
        FParent->Realign();
    }
    Invalidate();
}

void TControl::BringToFront()
{
    if (!FParent) return;
    auto& list = FParent->FControls;
    list.erase(std::find(list.begin(), list.end(), this));
    list.push_back(this);
    FParent->RestackWindows();
}

void TControl::SendToBack()
{
    if (!FParent) return;
    auto& list = FParent->FControls;
    list.erase(std::find(list.begin(), list.end(), this));
    list.insert(list.begin(), this);
    FParent->RestackWindows();
}

void TControl::Click()
{
    if (OnClick) OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick) OnDblClick(this);
}

void TControl::Resize()
{
    if (OnResize) OnResize(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)
{
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int32_t X, int32_t Y)
{
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)
{
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::WindowMouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, bool Double)
{
    if (ComponentState().Contains(csDesigning)) return;
    FMousePressed = Button == mbLeft;
    if (Double) DblClick();
    if (Button == mbLeft && FDragMode == dmAutomatic && !Double) BeginDrag(true);
    if (Button == mbLeft) FocusOnClick();
    MouseDown(Button, Shift, X, Y);
}

void TControl::WindowMouseMove(TShiftState Shift, int32_t X, int32_t Y)
{
    if (ComponentState().Contains(csDesigning)) return;
    if (FDragging) {
        const TPoint screen = ClientToScreen(Point(X, Y));
        TControl* target = DragTargetAt(screen);
        if (FDragTarget && FDragTarget != target) {
            bool accept = false;
            const TPoint p = FDragTarget->ScreenToClient(screen);
            FDragTarget->DoDragOver(this, p.X, p.Y, dsDragLeave, accept);
        }
        if (target) {
            bool accept = false;
            const TPoint p = target->ScreenToClient(screen);
            target->DoDragOver(this, p.X, p.Y, target == FDragTarget ? dsDragMove : dsDragEnter, accept);
        }
        FDragTarget = target;
    }
    MouseMove(Shift, X, Y);
}

void TControl::WindowMouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)
{
    if (ComponentState().Contains(csDesigning)) return;
    const bool wasPressed = FMousePressed && Button == mbLeft;
    FMousePressed = false;
    if (FDragging) {
        FDragPoint = ClientToScreen(Point(X, Y));
        FDragTarget = DragTargetAt(FDragPoint);
        EndDrag(true);
    }
    MouseUp(Button, Shift, X, Y);
    if (Button == mbRight && FPopupMenu) {
        const TPoint p = ClientToScreen(Point(X, Y));
        FPopupMenu->SetPopupComponent(this);
        FPopupMenu->Popup(p.X, p.Y);
    }
    if (wasPressed && X >= 0 && Y >= 0 && X < ClientWidth() && Y < ClientHeight()) Click();
}

void TControl::WindowMoved(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight)
{
    SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TControl::BeginDrag(bool Immediate)
{
    (void)Immediate;  // drags start at once; there is no drag threshold
    if (FDragging) return;
    TObject* dragObject = nullptr;
    if (OnStartDrag) OnStartDrag(this, dragObject);
    FDragging = true;
    FDragTarget = nullptr;
    if (FWindow) FWindow->SetCursor(FDragCursor);
}

void TControl::EndDrag(bool Drop)
{
    if (!FDragging) return;
    FDragging = false;
    if (FWindow) FWindow->SetCursor(FCursor);
    TControl* target = FDragTarget;
    FDragTarget = nullptr;
    const TPoint screen = FDragPoint;
    TPoint p{};
    if (target && Drop) {
        bool accept = false;
        p = target->ScreenToClient(screen);
        target->DoDragOver(this, p.X, p.Y, dsDragMove, accept);
        if (accept)
            target->DragDrop(this, p.X, p.Y);
        else
            target = nullptr;
    } else {
        target = nullptr;
    }
    if (OnEndDrag) OnEndDrag(this, target, p.X, p.Y);
}

TControl* TControl::DragTargetAt(TPoint Screen) const { return Bridge::ControlAtScreen(Screen); }

void TControl::DoDragOver(TObject* Source, int32_t X, int32_t Y, TDragState State, bool& Accept)
{
    Accept = false;
    if (OnDragOver) {
        Accept = true;
        OnDragOver(this, Source, X, Y, State, Accept);
    }
}

void TControl::DragDrop(TObject* Source, int32_t X, int32_t Y)
{
    if (OnDragDrop) OnDragDrop(this, Source, X, Y);
}

}  // namespace qel
