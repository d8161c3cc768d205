#pragma once
// The Qt widget behind a control: shows the control's retained image and hands input to it.
#include "framework/gui/qt/WidgetBridge.h"

#include <QWidget>

namespace qel::Bridge {

class TControlWidget : public QWidget {
    Q_OBJECT
public:
    TControlWidget(TControl* Control, TWindow* Window, QWidget* Parent);
    TControl* Control() const { return FControl; }
    TWindow* Window() const { return FWindow; }

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void keyReleaseEvent(QKeyEvent* Event) override;
    void inputMethodEvent(QInputMethodEvent* Event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery Query) const override;
    bool focusNextPrevChild(bool Next) override;  // Tab goes to the control, which moves the focus

private:
    TControl* FControl;
    TWindow* FWindow;
};

}  // namespace qel::Bridge
