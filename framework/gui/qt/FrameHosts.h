#pragma once
// Frames around a child control's widget: a framed child window with caption bar and sizing
// border (a QMdiSubWindow without an MDI area), or a drawn edge (border, client edge, dialog frame).
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
