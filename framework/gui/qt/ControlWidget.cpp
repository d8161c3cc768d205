#include "framework/gui/qt/ControlWidget.h"

#include "framework/core/Application.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>

namespace qel::Bridge {

namespace {

TShiftState ShiftOf(Qt::KeyboardModifiers Mods, Qt::MouseButtons Buttons)
{
    TShiftState s;
    if (Mods & Qt::ShiftModifier) s.Include(ssShift);
    if (Mods & Qt::AltModifier) s.Include(ssAlt);
    if (Mods & Qt::ControlModifier) s.Include(ssCtrl);
    if (Buttons & Qt::LeftButton) s.Include(ssLeft);
    if (Buttons & Qt::RightButton) s.Include(ssRight);
    if (Buttons & Qt::MiddleButton) s.Include(ssMiddle);
    return s;
}

// No exception may leave a Qt event handler: the application reports it instead.
template <class F>
void Guarded(TControl* Control, F&& Step)
{
    try {
        Step();
    } catch (...) {
        if (Application) Application->HandleException(Control);
    }
}

TMouseButton ButtonOf(Qt::MouseButton B)
{
    if (B == Qt::RightButton) return mbRight;
    if (B == Qt::MiddleButton) return mbMiddle;
    return mbLeft;
}

}  // namespace

TControlWidget::TControlWidget(TControl* Control, TWindow* Window, QWidget* Parent)
    : QWidget(Parent), FControl(Control), FWindow(Window)
{
    // The retained image covers every pixel: Qt need not clear anything first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setMouseTracking(true);
}

void TControlWidget::paintEvent(QPaintEvent* Event)
{
    Guarded(FControl, [&] { FControl->WindowPaint(); });  // runs a pending Paint first
    const QImage& image = FControl->RetainedImage();
    QPainter p(this);
    for (const QRect& r : Event->region()) {
        p.drawImage(r, image, r);
        // Outside the image (a moment between a resize and its Paint): the control's colour.
        const QRegion rest = QRegion(r) - QRegion(image.rect());
        for (const QRect& o : rest) p.fillRect(o, ToQColor(FControl->Color()));
    }
}

void TControlWidget::mousePressEvent(QMouseEvent* Event)
{
    const QPoint pos = Event->position().toPoint();
    Guarded(FControl, [&] { FControl->WindowMouseDown(ButtonOf(Event->button()), ShiftOf(Event->modifiers(), Event->buttons()), pos.x(), pos.y(),
                              false); });
}

void TControlWidget::mouseDoubleClickEvent(QMouseEvent* Event)
{
    const QPoint pos = Event->position().toPoint();
    TShiftState shift = ShiftOf(Event->modifiers(), Event->buttons());
    shift.Include(ssDouble);
    Guarded(FControl, [&] { FControl->WindowMouseDown(ButtonOf(Event->button()), shift, pos.x(), pos.y(), true); });
}

void TControlWidget::mouseMoveEvent(QMouseEvent* Event)
{
    const QPoint pos = Event->position().toPoint();
    Guarded(FControl, [&] { FControl->WindowMouseMove(ShiftOf(Event->modifiers(), Event->buttons()), pos.x(), pos.y()); });
}

void TControlWidget::mouseReleaseEvent(QMouseEvent* Event)
{
    const QPoint pos = Event->position().toPoint();
    Guarded(FControl, [&] { FControl->WindowMouseUp(ButtonOf(Event->button()), ShiftOf(Event->modifiers(), Event->buttons()), pos.x(), pos.y()); });
}

void TControlWidget::focusInEvent(QFocusEvent* Event)
{
    QWidget::focusInEvent(Event);
    if (auto* w = dynamic_cast<TWinControl*>(FControl)) w->WindowFocusChanged(true);
}

void TControlWidget::focusOutEvent(QFocusEvent* Event)
{
    QWidget::focusOutEvent(Event);
    if (auto* w = dynamic_cast<TWinControl*>(FControl)) w->WindowFocusChanged(false);
}

void TControlWidget::moveEvent(QMoveEvent* Event)
{
    QWidget::moveEvent(Event);
    ReportTopLevelGeometry();
}

void TControlWidget::resizeEvent(QResizeEvent* Event)
{
    QWidget::resizeEvent(Event);
    ReportTopLevelGeometry();
}

void TControlWidget::ReportTopLevelGeometry()
{
    // Children inside a frame report through the frame; plain children only move when told to.
    if (!isWindow() || FWindow->Syncing()) return;
    const QRect g = geometry();
    FControl->WindowMoved(g.x(), g.y(), g.width(), g.height());
}

void TControlWidget::closeEvent(QCloseEvent* Event)
{
    if (FWindow->CloseQuery && !FWindow->CloseQuery()) {
        Event->ignore();
        return;
    }
    Event->accept();
}

}  // namespace qel::Bridge
