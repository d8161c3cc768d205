#pragma once
// Forms: top-level windows with border styles, icons, positions, modal runs and stored layouts.
// TCustomForm lives in Forms.cpp and Forms_Modal.cpp.
#include "framework/gui/Controls.h"

#include <QFlags>

class QEventLoop;

namespace qel {

class TMainMenu;

using TModalResult = int32_t;
inline constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
                              mrNo = 7, mrAll = 8;

class QEL_GUI_EXPORT TCustomForm : public TWinControl {
    Q_OBJECT
public:
    enum TBorderIcon { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
    Q_DECLARE_FLAGS(TBorderIcons, TBorderIcon)
    Q_FLAG(TBorderIcons)
    enum TFormStyle { fsNormal, fsStayOnTop };
    Q_ENUM(TFormStyle)
    enum TPosition { poDesigned, poDefault, poScreenCenter, poMainFormCenter };
    Q_ENUM(TPosition)
    enum TWindowState { wsNormal, wsMinimized, wsMaximized };
    Q_ENUM(TWindowState)
    enum TCloseAction { caNone, caHide, caFree, caMinimize };

private:
    Q_PROPERTY(int32_t Width READ Width WRITE SetWidth STORED false)
    Q_PROPERTY(int32_t Height READ Height WRITE SetHeight STORED false)
    Q_PROPERTY(int32_t ClientWidth READ ClientWidth WRITE SetClientWidth)
    Q_PROPERTY(int32_t ClientHeight READ ClientHeight WRITE SetClientHeight)
    Q_PROPERTY(qel::TControl::TFormBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(TBorderIcons BorderIcons READ BorderIcons WRITE SetBorderIcons)
    Q_PROPERTY(TFormStyle FormStyle READ FormStyle WRITE SetFormStyle)
    Q_PROPERTY(TPosition Position READ Position WRITE SetPosition)
    Q_PROPERTY(TWindowState WindowState READ WindowState WRITE SetWindowState)
    Q_PROPERTY(TIcon* Icon READ Icon)
    Q_PROPERTY(TWinControl* ActiveControl READ ActiveControl WRITE SetActiveControl)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_MOC_INCLUDE("framework/gui/Menus.h")
    Q_PROPERTY(TMainMenu* Menu READ Menu WRITE SetMenu)
    Q_CLASSINFO("default:Visible", "false")
    Q_CLASSINFO("default:BorderStyle", "bsSizeable")
    Q_CLASSINFO("default:BorderIcons", "biSystemMenu|biMinimize|biMaximize")
    Q_CLASSINFO("default:FormStyle", "fsNormal")
    Q_CLASSINFO("default:Position", "poDesigned")
    Q_CLASSINFO("default:WindowState", "wsNormal")

public:
    Q_INVOKABLE explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;

    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons Value);
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle Value);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition Value) { FPosition = Value; }
    TWindowState WindowState() const { return FWindowState; }
    void SetWindowState(TWindowState Value);
    TIcon* Icon() const { return FIcon.get(); }
    void SetIcon(TIcon* Value);
    // The control that has (or gets, once the form is shown) the focus.
    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* Value);
    // Called by a control of this form that got the focus.
    void FocusControlChanged(TWinControl* Control);
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value);
    TCanvas* Canvas() { return ControlCanvas(); }
    // The menu bar (shown while an item of it is visible) sits at the top of the window, outside
    // the client area: setting Menu keeps Height, so ClientHeight shrinks, and ClientHeight := N
    // gives N pixels below the bar. Children, the canvas and mouse positions start below it.
    TMainMenu* Menu() const { return FMenu; }
    void SetMenu(TMainMenu* Value);
    TRect ClientRect() const override;

    // Fires OnCreate once the form is built (Application's CreateForm calls it).
    virtual void AfterConstruction();
    TModalResult ShowModal();  // runs until ModalResult is set; timers keep ticking
    void Close();
    virtual bool CloseQuery();
    void Release();  // frees the form once the current event is done
    bool Modal() const { return FModalLoop != nullptr; }

    using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
    using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnPaint;
    TNotifyEvent OnActivate;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void VisibleChanged() override;
    void Paint() override;
    virtual void DoClose(TCloseAction& Action);
    void Loaded() override;
    void ApplyPosition();
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void UpdateWindowIcon();
    void FocusOnShow();

    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons = TBorderIcons(biSystemMenu) | biMinimize | biMaximize;
    TFormStyle FFormStyle = fsNormal;
    TPosition FPosition = poDesigned;
    TWindowState FWindowState = wsNormal;
    std::unique_ptr<TIcon> FIcon;
    TModalResult FModalResult = mrNone;
    QEventLoop* FModalLoop = nullptr;
    bool FShown = false;
    TWinControl* FActiveControl = nullptr;
    TMainMenu* FMenu = nullptr;
    int32_t FMenuHeight = 0;
    void ShowMenuBar();
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TCustomForm::TBorderIcons)

using enum TCustomForm::TBorderIcon;
using enum TCustomForm::TFormStyle;
using enum TCustomForm::TPosition;
using enum TCustomForm::TWindowState;
using enum TCustomForm::TCloseAction;
using TBorderIcons = TCustomForm::TBorderIcons;
using TFormStyle = TCustomForm::TFormStyle;
using TPosition = TCustomForm::TPosition;
using TWindowState = TCustomForm::TWindowState;
using TCloseAction = TCustomForm::TCloseAction;

class QEL_GUI_EXPORT TForm : public TCustomForm {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TForm(TComponent* AOwner);
};

// The form a control is on (the form itself for a form), or nullptr.
QEL_GUI_EXPORT TCustomForm* GetParentForm(TControl* Control);

// Reads a form's stored layout (a form file compiled in as a Qt resource, e.g.
// ":/forms/TAboutForm.qelform") into Form: its properties and the child controls it names.
QEL_GUI_EXPORT void LoadFormLayout(TCustomForm* Form, const String& ResourcePath);

// A picture of a form as the screen shows it: its menu bar, if any, above its client area with
// every child in it.
QEL_GUI_EXPORT QImage RenderForm(TCustomForm* Form);

}  // namespace qel
