#pragma once
// The bridge between a control and its Qt widget (the control's "window handle"). Controls talk
// to Qt widgets only through TWindow, so that nothing outside framework/gui/qt includes <QWidget>.
#include "framework/gui/Controls.h"

class QWidget;
class QImage;

namespace qel::Bridge {

class TControlWidget;
class TFrameWatcher;

struct TMargins {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// What frame a window gets from its create params.
enum class TFrameKind {
    None,         // a plain child
    Border,       // WS_BORDER: one-pixel line
    ClientEdge,   // WS_EX_CLIENTEDGE: sunken edge
    DialogFrame,  // WS_DLGFRAME without caption: raised dialog edge
    Caption,      // WS_CAPTION + WS_THICKFRAME on a child: a framed child window (caption bar, sizing border)
    TopLevel,     // no parent: a window of its own
};
TFrameKind FrameKindOf(const TCreateParams& Params);
// The frame around the client area for these params (the same numbers the window will have).
TMargins FrameMargins(const TCreateParams& Params);
// Qt window flags for a top-level window (as an int, Qt::WindowFlags' value).
int TopLevelFlags(const TCreateParams& Params);

class TWindow {
public:
    // Parent is the parent control's window (nullptr for a top-level window).
    TWindow(TControl* Control, const TCreateParams& Params, TWindow* Parent);
    ~TWindow();
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;

    TControl* Control() const { return FControl; }
    TFrameKind FrameKind() const { return FKind; }
    QWidget* ClientWidget() const;  // shows the control's retained image, gets its input
    QWidget* OuterWidget() const;   // the frame or top-level window, or the client widget when there is none
    TMargins Margins() const;

    // Outer bounds: in the parent's client area, or on the screen for a top-level window.
    void SetBounds(int32_t X, int32_t Y, int32_t W, int32_t H);
    void SetVisible(bool Value);
    bool IsVisible() const;  // shown on the screen (with all ancestors)
    void SetEnabled(bool Value);
    void SetText(const String& Value);
    void SetCursor(TCursor Value);
    void SetToolTip(const String& Value);
    void SetFixedSize(bool Fixed);
    void SetModal(bool Modal);
    void SetIcon(const QImage& Image);  // a null image: the application's icon
    bool HasOwnIcon() const { return FOwnIcon; }
    void SetWindowStateMaximized(bool Maximized, bool Minimized);
    void Activate();

    void Update(const TRect& R);  // schedules a blit of R (client coordinates)
    void UpdateAll();
    void Raise();
    void StackUnder(TWindow* Other);
    void SetFocus();
    bool HasFocus() const;
    TPoint ClientOrigin() const;  // the client area's top-left on the screen
    void Close();                 // as if the user closed the window

    // Asked when the user closes a top-level window; false keeps Qt from closing it.
    std::function<bool()> CloseQuery;

    // Suppresses the geometry reports the framework itself causes.
    bool Syncing() const { return FSyncing > 0; }

private:
    void MakeFrame(const TCreateParams& Params, QWidget* ParentWidget);
    void MakeTopLevel(const TCreateParams& Params);

    TControl* FControl;
    TFrameKind FKind;
    TControlWidget* FClient = nullptr;
    QWidget* FOuter = nullptr;  // owns FClient when they differ
    TFrameWatcher* FWatcher = nullptr;
    int FSyncing = 0;
    bool FFixed = false;
    bool FOwnIcon = false;
    friend class TFrameWatcher;
    friend class TControlWidget;
};

// Gives the application's icon to every top-level window without an icon of its own.
void ShowApplicationIcon();

// Renders a window and everything inside it as the screen would show it (tests, renderers).
QImage RenderWindow(TWindow* Window);
// The control whose client widget is at a screen point, if any of ours.
TControl* ControlAtScreen(TPoint P);

}  // namespace qel::Bridge
