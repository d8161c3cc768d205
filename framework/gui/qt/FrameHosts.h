#pragma once
// Frames around a control's widget: a framed child window with caption bar and sizing border (a
// QMdiSubWindow without an MDI area), a drawn edge (border, client edge, dialog frame), or the
// top-level window that carries a form's menu bar.
#include "framework/gui/qt/WidgetBridge.h"

#include <QFrame>

namespace qel::Bridge {

// A frame of Kind (not None/TopLevel) inside Parent.
QWidget* MakeFrameHost(TFrameKind Kind, const TCreateParams& Params, QWidget* Parent);
void SetFrameContent(QWidget* Frame, QWidget* Content);
// Puts the content where the frame wants it now, even while nothing is shown.
void LayoutFrameContent(QWidget* Frame);

// An edge drawn by QFrame; the content fills its contents rectangle.
class TEdgeFrame : public QFrame {
    Q_OBJECT
public:
    TEdgeFrame(TFrameKind Kind, QWidget* Parent);
    void PlaceContent();

protected:
    void resizeEvent(QResizeEvent* Event) override;
};

// A top-level window: the window system's frame, title and close button belong to it; a menu bar
// (non-client, as a classic window's) sits at its top and the control's client widget fills the rest.
class TTopLevelHost : public QWidget {
    Q_OBJECT
public:
    TTopLevelHost(TWindow* Window, const TCreateParams& Params);
    TWindow* Window() const { return FWindow; }
    void SetContent(QWidget* Content);
    QWidget* MenuBar() const { return FBar; }
    // Takes Bar (nullptr removes the current one) at BarHeight pixels.
    void SetMenuBar(QWidget* Bar, int BarHeight);
    void PlaceContent();

protected:
    void resizeEvent(QResizeEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;

private:
    TWindow* FWindow;
    QWidget* FContent = nullptr;
    QWidget* FBar = nullptr;
    int FBarHeight = 0;
};

// Reports user moves and resizes of a frame to its control.
class TFrameWatcher : public QObject {
    Q_OBJECT
public:
    TFrameWatcher(TWindow* Window, QWidget* Frame);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    TWindow* FWindow;
};

}  // namespace qel::Bridge
