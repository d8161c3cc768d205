#include "framework/gui/qt/ControlWidget.h"

#include "framework/core/Application.h"
#include "framework/gui/StdCtrls.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QMouseEvent>
#include <QWheelEvent>
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

// The classic virtual-key code of a Qt key; 0 for keys without one.
uint16_t VirtualKeyOf(int Key)
{
    if ((Key >= Qt::Key_A && Key <= Qt::Key_Z) || (Key >= Qt::Key_0 && Key <= Qt::Key_9) || Key == Qt::Key_Space)
        return static_cast<uint16_t>(Key);  // the same codes
    if (Key >= Qt::Key_F1 && Key <= Qt::Key_F12) return static_cast<uint16_t>(VK_F1 + (Key - Qt::Key_F1));
    static const std::pair<int, uint16_t> keys[] = {
        {Qt::Key_Tab, VK_TAB},         {Qt::Key_Backtab, VK_TAB},     {Qt::Key_Return, VK_RETURN},
        {Qt::Key_Enter, VK_RETURN},    {Qt::Key_Escape, VK_ESCAPE},   {Qt::Key_Backspace, VK_BACK},
        {Qt::Key_Left, VK_LEFT},       {Qt::Key_Up, VK_UP},           {Qt::Key_Right, VK_RIGHT},
        {Qt::Key_Down, VK_DOWN},       {Qt::Key_PageUp, VK_PRIOR},    {Qt::Key_PageDown, VK_NEXT},
        {Qt::Key_Home, VK_HOME},       {Qt::Key_End, VK_END},         {Qt::Key_Insert, VK_INSERT},
        {Qt::Key_Delete, VK_DELETE},   {Qt::Key_Shift, VK_SHIFT},     {Qt::Key_Control, VK_CONTROL},
        {Qt::Key_Alt, VK_MENU},        {Qt::Key_Pause, VK_PAUSE},     {Qt::Key_CapsLock, VK_CAPITAL}};
    for (const auto& [qt, vk] : keys)
        if (qt == Key) return vk;
    return 0;
}

}  // namespace

TControlWidget::TControlWidget(TControl* Control, TWindow* Window, QWidget* Parent)
    : QWidget(Parent), FControl(Control), FWindow(Window)
{
    // The retained image covers every pixel: Qt need not clear anything first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setMouseTracking(true);
    // Input methods (composed and non-Latin text) only talk to widgets that ask for them.
    if (dynamic_cast<TCustomEdit*>(Control)) setAttribute(Qt::WA_InputMethodEnabled);
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

void TControlWidget::wheelEvent(QWheelEvent* Event)
{
    const QPoint pos = Event->position().toPoint();
    bool handled = false;
    Guarded(FControl, [&] {
        handled = FControl->WindowMouseWheel(ShiftOf(Event->modifiers(), Event->buttons()), Event->angleDelta().y(),
                                             pos.x(), pos.y());
    });
    Event->setAccepted(handled);
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

void TControlWidget::keyPressEvent(QKeyEvent* Event)
{
    auto* control = dynamic_cast<TWinControl*>(FControl);
    if (!control) return QWidget::keyPressEvent(Event);
    Event->accept();  // the parents must not see it again
    const uint16_t key = VirtualKeyOf(Event->key());
    const TShiftState shift = ShiftOf(Event->modifiers(), Qt::NoButton);
    const QPointer<TControlWidget> alive(this);  // a handler may free the control
    if (key) Guarded(FControl, [&] { control->WindowKeyDown(key, shift); });
    const QString text = Event->text();
    if (!alive || key == VK_TAB || text.isEmpty() || text[0].unicode() == 0) return;
    if (text.size() == 1 && text[0].unicode() < 0x80)
        return Guarded(FControl, [&] { control->WindowKeyPress(static_cast<char>(text[0].unicode())); });
    // Ctrl with a letter is a shortcut, not typing (Ctrl+Alt is AltGr on some systems).
    if (shift.Contains(ssCtrl) && !shift.Contains(ssAlt)) return;
    Guarded(FControl, [&] { control->WindowTextInput(text.toStdString()); });
}

void TControlWidget::inputMethodEvent(QInputMethodEvent* Event)
{
    auto* control = dynamic_cast<TWinControl*>(FControl);
    if (!control) return QWidget::inputMethodEvent(Event);
    Event->accept();
    // Only committed text counts; a preedit string is not shown while being composed.
    const QString text = Event->commitString();
    if (!text.isEmpty()) Guarded(FControl, [&] { control->WindowTextInput(text.toStdString()); });
}

QVariant TControlWidget::inputMethodQuery(Qt::InputMethodQuery Query) const
{
    auto* edit = dynamic_cast<TCustomEdit*>(FControl);
    if (!edit || Query != Qt::ImCursorRectangle) return QWidget::inputMethodQuery(Query);
    const TRect r = edit->CaretRect();  // the input method puts its window next to the caret
    return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
}

void TControlWidget::keyReleaseEvent(QKeyEvent* Event)
{
    auto* control = dynamic_cast<TWinControl*>(FControl);
    if (!control) return QWidget::keyReleaseEvent(Event);
    Event->accept();
    const uint16_t key = VirtualKeyOf(Event->key());
    if (!key || Event->isAutoRepeat()) return;  // a held key repeats its down event only
    Guarded(FControl, [&] { control->WindowKeyUp(key, ShiftOf(Event->modifiers(), Qt::NoButton)); });
}

bool TControlWidget::focusNextPrevChild(bool) { return false; }

}  // namespace qel::Bridge
