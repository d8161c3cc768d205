#pragma once
// Controls: the visual component tree. A control is a component that owns a Qt widget made
// through the bridge in framework/gui/qt/ (its "window"), and a retained image its canvas draws on.
// TControl lives in Controls.cpp and Controls_Paint.cpp, TWinControl in Controls_WinControl.cpp
// and Controls_Align.cpp, TGraphicControl and TCustomControl in Controls_Graphic.cpp.
#include "framework/core/Classes.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/GuiExport.h"

#include <QImage>

#include <functional>
#include <memory>
#include <vector>

namespace qel {

namespace Bridge {
class TWindow;
}

// Window styles and extended styles, with their classic values.
inline constexpr uint32_t WS_OVERLAPPED = 0x00000000u;
inline constexpr uint32_t WS_POPUP = 0x80000000u;
inline constexpr uint32_t WS_CHILD = 0x40000000u;
inline constexpr uint32_t WS_MINIMIZE = 0x20000000u;
inline constexpr uint32_t WS_VISIBLE = 0x10000000u;
inline constexpr uint32_t WS_DISABLED = 0x08000000u;
inline constexpr uint32_t WS_CLIPSIBLINGS = 0x04000000u;
inline constexpr uint32_t WS_CLIPCHILDREN = 0x02000000u;
inline constexpr uint32_t WS_MAXIMIZE = 0x01000000u;
inline constexpr uint32_t WS_BORDER = 0x00800000u;
inline constexpr uint32_t WS_DLGFRAME = 0x00400000u;
inline constexpr uint32_t WS_CAPTION = 0x00C00000u;  // WS_BORDER | WS_DLGFRAME
inline constexpr uint32_t WS_VSCROLL = 0x00200000u;
inline constexpr uint32_t WS_HSCROLL = 0x00100000u;
inline constexpr uint32_t WS_SYSMENU = 0x00080000u;
inline constexpr uint32_t WS_THICKFRAME = 0x00040000u;
inline constexpr uint32_t WS_GROUP = 0x00020000u;
inline constexpr uint32_t WS_TABSTOP = 0x00010000u;
inline constexpr uint32_t WS_MINIMIZEBOX = 0x00020000u;
inline constexpr uint32_t WS_MAXIMIZEBOX = 0x00010000u;
inline constexpr uint32_t WS_EX_DLGMODALFRAME = 0x00000001u;
inline constexpr uint32_t WS_EX_TOPMOST = 0x00000008u;
inline constexpr uint32_t WS_EX_TOOLWINDOW = 0x00000080u;
inline constexpr uint32_t WS_EX_WINDOWEDGE = 0x00000100u;
inline constexpr uint32_t WS_EX_CLIENTEDGE = 0x00000200u;
inline constexpr uint32_t WS_EX_CONTEXTHELP = 0x00000400u;
inline constexpr uint32_t WS_EX_STATICEDGE = 0x00020000u;
inline constexpr uint32_t WS_EX_APPWINDOW = 0x00040000u;

class TWinControl;
class TPopupMenu;

struct TCreateParams {
    String Caption;
    uint32_t Style = 0;
    uint32_t ExStyle = 0;
    int32_t X = 0, Y = 0, Width = 0, Height = 0;
    TWinControl* WndParent = nullptr;  // none: a top-level window
};

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

using TCursor = int32_t;
inline constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6,
                         crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11,
                         crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15, crMultiDrag = -16,
                         crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20, crHandPoint = -21,
                         crSizeAll = -22;

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int32_t X, int32_t Y)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int32_t X, int32_t Y)>;
using TDragOverEvent =
    std::function<void(TObject* Sender, TObject* Source, int32_t X, int32_t Y, TDragState State, bool& Accept)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int32_t X, int32_t Y)>;
using TStartDragEvent = std::function<void(TObject* Sender, TObject*& DragObject)>;
// Key is a virtual-key code (VK_*); a handler that sets it to 0 consumes the key.
using TKeyEvent = std::function<void(TObject* Sender, uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;

// Virtual-key codes with their classic values; letters and digits are their upper-case ASCII codes.
inline constexpr uint16_t VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
                          VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
                          VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25,
                          VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_INSERT = 0x2D, VK_DELETE = 0x2E,
                          VK_F1 = 0x70, VK_F2 = 0x71, VK_F3 = 0x72, VK_F4 = 0x73, VK_F5 = 0x74, VK_F6 = 0x75,
                          VK_F7 = 0x76, VK_F8 = 0x77, VK_F9 = 0x78, VK_F10 = 0x79, VK_F11 = 0x7A, VK_F12 = 0x7B;

class QEL_GUI_EXPORT TControl : public TComponent {
    Q_OBJECT
public:
    enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
    Q_ENUM(TAlign)
    enum TAlignment { taLeftJustify, taRightJustify, taCenter };
    Q_ENUM(TAlignment)
    enum TDragMode { dmManual, dmAutomatic };
    Q_ENUM(TDragMode)
    // One enumeration for panels (bsNone, bsSingle) and forms (all of them).
    enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
    Q_ENUM(TFormBorderStyle)
    enum TTextLayout { tlTop, tlCenter, tlBottom };
    Q_ENUM(TTextLayout)

private:
    Q_PROPERTY(TWinControl* Parent READ Parent WRITE SetParent)
    Q_PROPERTY(int32_t Left READ Left WRITE SetLeft)
    Q_PROPERTY(int32_t Top READ Top WRITE SetTop)
    Q_PROPERTY(int32_t Width READ Width WRITE SetWidth)
    Q_PROPERTY(int32_t Height READ Height WRITE SetHeight)
    Q_PROPERTY(TAlign Align READ Align WRITE SetAlign)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(String Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(String Text READ Text WRITE SetText STORED false)
    Q_PROPERTY(int32_t Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(TFont* Font READ Font)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
    Q_PROPERTY(String Hint READ Hint WRITE SetHint)
    Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)
    Q_PROPERTY(bool ParentShowHint READ ParentShowHint WRITE SetParentShowHint)
    Q_MOC_INCLUDE("framework/gui/Menus.h")
    Q_PROPERTY(TPopupMenu* PopupMenu READ PopupMenu WRITE SetPopupMenu)
    Q_PROPERTY(int32_t Cursor READ Cursor WRITE SetCursor)
    Q_PROPERTY(TDragMode DragMode READ DragMode WRITE SetDragMode)
    Q_PROPERTY(int32_t DragCursor READ DragCursor WRITE SetDragCursor)
    Q_CLASSINFO("default:Align", "alNone")
    Q_CLASSINFO("default:Visible", "true")
    Q_CLASSINFO("default:Enabled", "true")
    Q_CLASSINFO("default:Color", "-2147483633")  // clBtnFace
    Q_CLASSINFO("default:ParentColor", "false")
    Q_CLASSINFO("default:ParentFont", "true")
    Q_CLASSINFO("stored:Color", "IsColorStored")
    Q_CLASSINFO("stored:Font", "IsFontStored")
    Q_CLASSINFO("default:ShowHint", "false")
    Q_CLASSINFO("default:ParentShowHint", "true")
    Q_CLASSINFO("default:Cursor", "0")
    Q_CLASSINFO("default:DragMode", "dmManual")
    Q_CLASSINFO("default:DragCursor", "-12")

public:
    Q_INVOKABLE explicit TControl(TComponent* AOwner);
    ~TControl() override;

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* AParent);

    int32_t Left() const { return FLeft; }
    int32_t Top() const { return FTop; }
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    void SetLeft(int32_t Value) { SetBounds(Value, FTop, FWidth, FHeight); }
    void SetTop(int32_t Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
    void SetWidth(int32_t Value) { SetBounds(FLeft, FTop, Value, FHeight); }
    void SetHeight(int32_t Value) { SetBounds(FLeft, FTop, FWidth, Value); }
    virtual void SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight);
    TRect BoundsRect() const { return Rect(FLeft, FTop, FLeft + FWidth, FTop + FHeight); }
    void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top); }
    virtual TRect ClientRect() const;  // (0, 0, ClientWidth, ClientHeight)
    int32_t ClientWidth() const;
    int32_t ClientHeight() const;
    void SetClientWidth(int32_t Value);
    void SetClientHeight(int32_t Value);
    TPoint ClientOrigin() const;  // the client area's top-left corner on the screen
    TPoint ClientToScreen(TPoint P) const;
    TPoint ScreenToClient(TPoint P) const;

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign Value);
    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool Value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool Value);
    String Caption() const { return FText; }
    void SetCaption(const String& Value) { SetText(Value); }
    String Text() const { return FText; }
    void SetText(const String& Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value);
    bool ParentFont() const { return FParentFont; }
    // A colour or font taken from the parent is not the control's own, so form files leave it out.
    Q_INVOKABLE bool IsColorStored() const { return !ParentColor(); }
    Q_INVOKABLE bool IsFontStored() const { return !FParentFont; }
    void SetParentFont(bool Value);
    String Hint() const { return FHint; }
    void SetHint(const String& Value);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool Value);
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor Value);
    TDragMode DragMode() const { return FDragMode; }
    void SetDragMode(TDragMode Value) { FDragMode = Value; }
    TCursor DragCursor() const { return FDragCursor; }
    void SetDragCursor(TCursor Value) { FDragCursor = Value; }

    // Painting: Invalidate asks for one later Paint (several calls make one); Update runs a
    // pending Paint now; Repaint and Refresh do both.
    virtual void Invalidate();
    void Update();
    void Repaint();
    void Refresh() { Repaint(); }
    void BringToFront();
    void SendToBack();
    virtual void Click();
    virtual void DblClick();
    void BeginDrag(bool Immediate);
    void EndDrag(bool Drop);
    bool Dragging() const { return FDragging; }

    // The retained image (client size) that Paint and the canvas draw on; the screen shows it.
    const QImage& RetainedImage() const { return FImage; }
    bool PaintPending() const { return !FImageValid; }
    Bridge::TWindow* Window() const { return FWindow.get(); }

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TDragDropEvent OnDragDrop;
    TDragOverEvent OnDragOver;
    TEndDragEvent OnEndDrag;
    TStartDragEvent OnStartDrag;
    TNotifyEvent OnResize;

    // Called by the bridge's widget only.
    void WindowPaint();
    void WindowMouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, bool Double);
    void WindowMouseMove(TShiftState Shift, int32_t X, int32_t Y);
    void WindowMouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
    bool WindowMouseWheel(TShiftState Shift, int32_t WheelDelta, int32_t X, int32_t Y)
    {
        return DoMouseWheel(Shift, WheelDelta, X, Y);
    }
    virtual void WindowMoved(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight);

protected:
    virtual void Paint() {}
    TCanvas* ControlCanvas();
    QImage& ImageRef() { return FImage; }
    virtual void PrepareImage();  // what Paint starts from
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
    // A left click gives a focusable control the focus; only windowed controls can take it.
    virtual void FocusOnClick() {}
    virtual void MouseMove(TShiftState Shift, int32_t X, int32_t Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
    // WheelDelta is +-120 a notch (positive away from the user); true when handled, else the parent gets it.
    virtual bool DoMouseWheel(TShiftState, int32_t /*WheelDelta*/, int32_t /*X*/, int32_t /*Y*/) { return false; }
    virtual void Resize();
    virtual void TextChanged() { Invalidate(); }
    virtual void ColorChanged() { Invalidate(); }
    virtual void FontChanged() { Invalidate(); }
    virtual void VisibleChanged();
    virtual void EnabledChanged();
    virtual void BoundsChanged();  // tells the window and the parent's layout
    virtual void DoDragOver(TObject* Source, int32_t X, int32_t Y, TDragState State, bool& Accept);
    virtual void DragDrop(TObject* Source, int32_t X, int32_t Y);
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void SetParentFields(TWinControl* AParent) { FParent = AParent; }
    void ResizeImage();
    virtual void ParentColorChanged();
    virtual void ParentFontChanged();
    void RequestWindowUpdate(const TRect& R);
    bool Painting() const { return FPainting; }

    std::unique_ptr<Bridge::TWindow> FWindow;

private:
    friend class TWinControl;
    void CanvasDamaged(const TRect& R);
    TControl* DragTargetAt(TPoint Screen) const;

    TWinControl* FParent = nullptr;
    int32_t FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    TAlign FAlign = alNone;
    bool FVisible = true;
    bool FEnabled = true;
    String FText;
    TColor FColor;
    bool FParentColor = false;
    std::unique_ptr<TFont> FFont;
    bool FParentFont = true;
    bool FFontFromParent = false;
    String FHint;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TPopupMenu* FPopupMenu = nullptr;
    TCursor FCursor = crDefault;
    TDragMode FDragMode = dmManual;
    TCursor FDragCursor = crDrag;
    bool FDragging = false;
    bool FMousePressed = false;
    TControl* FDragTarget = nullptr;
    TPoint FDragPoint;

    QImage FImage;
    bool FImageValid = false;
    bool FPainting = false;
    std::unique_ptr<TCanvas> FCanvas;
};

using enum TControl::TAlign;
using enum TControl::TAlignment;
using enum TControl::TDragMode;
using enum TControl::TFormBorderStyle;
using enum TControl::TTextLayout;
using TAlign = TControl::TAlign;
using TAlignment = TControl::TAlignment;
using TDragMode = TControl::TDragMode;
using TFormBorderStyle = TControl::TFormBorderStyle;
using TBorderStyle = TControl::TFormBorderStyle;
using TTextLayout = TControl::TTextLayout;

class QEL_GUI_EXPORT TWinControl : public TControl {
    Q_OBJECT
    Q_PROPERTY(int32_t TabOrder READ TabOrder WRITE SetTabOrder)
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)
    Q_CLASSINFO("default:TabStop", "false")

public:
    Q_INVOKABLE explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    // Child controls in z-order, the bottom one first.
    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int Index) const;  // EListError out of range
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    bool ContainsControl(const TControl* AControl) const;

    bool HandleAllocated() const { return FWindow != nullptr; }
    void HandleNeeded();
    Bridge::TWindow* Handle();  // made on demand
    void RecreateWnd();         // applies changed CreateParams; children and state stay

    TRect ClientRect() const override;
    void Invalidate() override;
    bool Focused() const;
    virtual bool CanFocus() const;
    virtual void SetFocus();
    void FocusOnClick() override;
    int32_t TabOrder() const;
    void SetTabOrder(int32_t Value);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool Value) { FTabStop = Value; }
    std::vector<TWinControl*> TabOrderList() const;  // windowed children in tab order
    // Every windowed control inside this one, depth first, each followed by its own children.
    std::vector<TWinControl*> GetTabOrderList() const;
    // The next (or previous) focusable control after CurControl in GetTabOrderList, wrapping round.
    TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent) const;
    void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

    void DisableAlign() { ++FAlignLevel; }
    void EnableAlign();
    void Realign();

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;

    // Called by the bridge's widget only.
    void WindowFocusChanged(bool Focused);
    void WindowKeyDown(uint16_t Key, TShiftState Shift);
    void WindowKeyPress(char Key);
    // Typed text that is not one ASCII character (a key's text, an input method's commit), UTF-8.
    void WindowTextInput(const String& Utf8);
    void WindowKeyUp(uint16_t Key, TShiftState Shift);
    void WindowMoved(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) override;

protected:
    virtual void KeyDown(uint16_t& Key, TShiftState Shift);
    virtual void KeyPress(char& Key);
    virtual void KeyUp(uint16_t& Key, TShiftState Shift);
    // Default: each single-byte character through KeyPress; the rest is dropped.
    virtual void TextInput(const String& Utf8);
    virtual void DoEnter();  // the focus came: fires OnEnter
    virtual void DoExit();   // the focus went: fires OnExit
    // True when Tab is an input for this control rather than a move to the next one.
    virtual bool WantTabKey() const { return false; }
    virtual void CreateParams(TCreateParams& Params);
    virtual void CreateWnd();
    virtual void DestroyWnd();
    virtual void CreateHandle();
    void DestroyHandle();
    virtual void AdjustClientRect(TRect& Rect) const;
    virtual void AlignControls(TControl* AControl, TRect& Rect);
    void PrepareImage() override;
    void VisibleChanged() override;
    void BoundsChanged() override;
    void ParentColorChanged() override;
    void ParentFontChanged() override;
    void ColorChanged() override;
    void FontChanged() override;
    void TextChanged() override;
    void Loaded() override;
    // The window's frame around the client area, from its create params.
    void FrameMargins(int32_t& L, int32_t& T, int32_t& R, int32_t& B) const;

private:
    friend class TControl;
    void CreateChildWindows();
    void RestackWindows();
    void InsertTab(TWinControl* C);
    void RemoveTab(TWinControl* C);
    void FixupTabOrder();

    std::vector<TControl*> FControls;
    std::vector<TWinControl*> FTabList;
    bool FTabStop = false;
    int32_t FStoredTabOrder = -1;  // read from a form file; siblings are sorted by it once loaded
    int FAlignLevel = 0;
    bool FAligning = false;
};

// A control drawn in its parent: it has no window of its own in the framework's sense, only a
// light child widget through the bridge that shows its retained image, which starts each Paint
// from the parent's own picture under it (so it looks transparent over the parent).
class QEL_GUI_EXPORT TGraphicControl : public TControl {
    Q_OBJECT
    Q_CLASSINFO("default:ParentColor", "true")
public:
    Q_INVOKABLE explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    TCanvas* Canvas() { return ControlCanvas(); }

protected:
    void PrepareImage() override;

private:
    friend class TWinControl;
    void CreateGraphicWindow();
};

// A windowed control that paints itself.
class QEL_GUI_EXPORT TCustomControl : public TWinControl {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    TCanvas* Canvas() { return ControlCanvas(); }
};

}  // namespace qel
