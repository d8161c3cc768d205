// TCustomForm/TForm: window styles, showing, closing, stored layouts (modal runs: Forms_Modal.cpp).
#include "framework/gui/Forms.h"

#include "framework/core/FormFiles.h"
#include "framework/gui/GuiApplication.h"
#include "framework/gui/Menus.h"
#include "framework/gui/qt/WidgetBridge.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>

namespace qel {

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner), FIcon(std::make_unique<TIcon>())
{
    FIcon->OnChange = [this](TObject*) { UpdateWindowIcon(); };
    SetVisible(false);
    SetBounds(0, 0, 320, 240);
}

TCustomForm::~TCustomForm()
{
    if (OnDestroy) OnDestroy(this);
    if (GuiApplication().MainForm() == this) GuiApplication().SetMainForm(nullptr);
    // The menu's items go after this body (or outlive the form): they must not call back.
    if (FMenu) FMenu->OnBarChanged = nullptr;
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value)
{
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value)
{
    if (Value == FBorderIcons) return;
    FBorderIcons = Value;
    RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle Value)
{
    if (Value == FFormStyle) return;
    FFormStyle = Value;
    RecreateWnd();
}

void TCustomForm::SetWindowState(TWindowState Value)
{
    FWindowState = Value;
    if (FWindow) FWindow->SetWindowStateMaximized(Value == wsMaximized, Value == wsMinimized);
}

void TCustomForm::SetIcon(TIcon* Value)
{
    if (Value)
        FIcon->Assign(Value);  // tells the window through OnChange
    else
        UpdateWindowIcon();
}

void TCustomForm::UpdateWindowIcon()
{
    // No icon of its own: Qt shows the application's (GuiApplication().Icon()).
    if (FWindow) FWindow->SetIcon(FIcon->Empty() ? QImage() : FIcon->ToImage());
}

void TCustomForm::SetActiveControl(TWinControl* Value)
{
    if (Value && !ComponentState().Contains(csLoading) && (Value == this || GetParentForm(Value) != this))
        throw EInvalidOperation("Invalid ActiveControl value");
    FocusControlChanged(Value);
    if (Value && Visible() && HandleAllocated() && Value->CanFocus()) Value->SetFocus();
}

void TCustomForm::FocusControlChanged(TWinControl* Control)
{
    if (Control == FActiveControl) return;
    if (FActiveControl) FActiveControl->RemoveFreeNotification(this);
    FActiveControl = Control;
    if (Control) Control->FreeNotification(this);
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation)
{
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FActiveControl) FActiveControl = nullptr;
    if (Operation == opRemove && FMenu && AComponent == FMenu) SetMenu(nullptr);
}

void TCustomForm::FocusOnShow()
{
    if (FActiveControl && FActiveControl->CanFocus()) return FActiveControl->SetFocus();
    SelectNext(nullptr, true, true);  // the first control in tab order
}

void TCustomForm::CreateParams(TCreateParams& Params)
{
    TWinControl::CreateParams(Params);
    Params.WndParent = nullptr;
    Params.Style &= ~(WS_CHILD | WS_VISIBLE);
    switch (FBorderStyle) {
    case bsNone: Params.Style |= WS_POPUP; break;
    case bsSingle: Params.Style |= WS_CAPTION; break;
    case bsSizeable: Params.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog:
        Params.Style |= WS_POPUP | WS_CAPTION;
        Params.ExStyle |= WS_EX_DLGMODALFRAME;
        break;
    case bsToolWindow:
        Params.Style |= WS_CAPTION;
        Params.ExStyle |= WS_EX_TOOLWINDOW;
        break;
    case bsSizeToolWin:
        Params.Style |= WS_CAPTION | WS_THICKFRAME;
        Params.ExStyle |= WS_EX_TOOLWINDOW;
        break;
    }
    if (FBorderStyle != bsNone) {
        if (FBorderIcons.testFlag(biSystemMenu)) Params.Style |= WS_SYSMENU;
        const bool small = FBorderStyle == bsDialog || FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin;
        if (!small && FBorderIcons.testFlag(biMinimize)) Params.Style |= WS_MINIMIZEBOX;
        if (!small && FBorderIcons.testFlag(biMaximize)) Params.Style |= WS_MAXIMIZEBOX;
        if (FBorderIcons.testFlag(biHelp)) Params.ExStyle |= WS_EX_CONTEXTHELP;
    }
    if (FFormStyle == fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
}

void TCustomForm::CreateWnd()
{
    TWinControl::CreateWnd();
    TCreateParams params;
    CreateParams(params);
    FWindow->SetFixedSize(!(params.Style & WS_THICKFRAME));
    FWindow->CloseQuery = [this] {
        Close();
        return false;  // the form hides or frees itself
    };
    if (!GuiApplication().Icon()->Empty()) GuiApplication().ApplyIcon();
    SetIcon(nullptr);
    if (FWindowState != wsNormal) SetWindowState(FWindowState);
    ShowMenuBar();
    if (Visible()) FWindow->SetVisible(true);
}

void TCustomForm::VisibleChanged()
{
    if (Visible()) {
        HandleNeeded();
        if (!FShown) ApplyPosition();
        FShown = true;
        FWindow->SetVisible(true);
        FWindow->Activate();
        FocusOnShow();
        if (OnShow) OnShow(this);
        if (OnActivate) OnActivate(this);
    } else if (FWindow) {
        FWindow->SetVisible(false);
        if (OnHide) OnHide(this);
    }
}

namespace {

// Each form placed at the default position steps down and right from the last one, and starts
// again at the first step when it would leave the screen.
TPoint NextDefaultPosition(int32_t Width, int32_t Height)
{
    constexpr int32_t Step = 24;
    static int32_t slot = 0;
    QRect screen(0, 0, 800, 600);
    if (QScreen* s = QGuiApplication::primaryScreen()) screen = s->availableGeometry();
    int32_t offset = Step * (slot + 1);
    if (offset + Width > screen.width() || offset + Height > screen.height()) {
        slot = 0;
        offset = Step;
    }
    ++slot;
    return Point(screen.left() + offset, screen.top() + offset);
}

}  // namespace

void TCustomForm::ApplyPosition()
{
    if (FPosition == poDefault) {
        const TPoint p = NextDefaultPosition(Width(), Height());
        return SetBounds(p.X, p.Y, Width(), Height());
    }
    QRect area;
    if (FPosition == poScreenCenter || (FPosition == poMainFormCenter && !GuiApplication().MainForm())) {
        if (QScreen* s = QGuiApplication::primaryScreen()) area = s->availableGeometry();
    } else if (FPosition == poMainFormCenter && GuiApplication().MainForm() != this) {
        const TRect b = GuiApplication().MainForm()->BoundsRect();
        area = QRect(b.Left, b.Top, b.Right - b.Left, b.Bottom - b.Top);
    }
    if (area.isNull()) return;
    SetBounds(area.center().x() + 1 - Width() / 2, area.center().y() + 1 - Height() / 2, Width(), Height());
}

void TCustomForm::Paint()
{
    if (OnPaint) OnPaint(this);
}

void TCustomForm::AfterConstruction()
{
    if (OnCreate) OnCreate(this);
}

bool TCustomForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::DoClose(TCloseAction& Action)
{
    if (OnClose) OnClose(this, Action);
}

void TCustomForm::Close()
{
    if (Modal()) return SetModalResult(mrCancel);
    if (!CloseQuery()) return;
    TCloseAction action = GuiApplication().MainForm() == this ? caFree : caHide;
    DoClose(action);
    if (action == caNone) return;
    if (GuiApplication().MainForm() == this) {
        Hide();
        if (Application) Application->Terminate();
        return;
    }
    if (action == caMinimize)
        SetWindowState(wsMinimized);
    else
        Hide();
    if (action == caFree) Release();
}

void TCustomForm::Release() { deleteLater(); }

TForm::TForm(TComponent* AOwner) : TCustomForm(AOwner) {}

TCustomForm* GetParentForm(TControl* Control)
{
    while (Control && Control->Parent()) Control = Control->Parent();
    return dynamic_cast<TCustomForm*>(Control);
}

void LoadFormLayout(TCustomForm* Form, const String& ResourcePath)
{
    QFile file(QString::fromStdString(ResourcePath));
    if (!file.open(QIODevice::ReadOnly)) throw EFOpenError("Cannot open form layout " + ResourcePath);
    TextToComponent(file.readAll().toStdString(), Form);
}

QImage RenderForm(TCustomForm* Form)
{
    Form->HandleNeeded();
    return Bridge::RenderWindow(Form->Window());
}

QEL_REGISTER_CLASS(TCustomForm);
QEL_REGISTER_CLASS(TForm);

}  // namespace qel
