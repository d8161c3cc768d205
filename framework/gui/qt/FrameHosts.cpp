#include "framework/gui/qt/FrameHosts.h"

#include <algorithm>

#include <QCloseEvent>
#include <QEvent>
#include <QLayout>
#include <QMdiSubWindow>
#include <QProxyStyle>

namespace qel::Bridge {

namespace {

// A tool window's caption is smaller than a normal one.
class TToolCaptionStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric Metric, const QStyleOption* Option, const QWidget* Widget) const override
    {
        if (Metric == PM_TitleBarHeight) return 16;
        return QProxyStyle::pixelMetric(Metric, Option, Widget);
    }
};

QMdiSubWindow* MakeSubWindow(const TCreateParams& Params, QWidget* Parent)
{
    Qt::WindowFlags f = Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (Params.Style & WS_SYSMENU) f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (Params.ExStyle & WS_EX_TOOLWINDOW) f |= Qt::Tool;
    auto* sub = new QMdiSubWindow(Parent, f);
    sub->setOption(QMdiSubWindow::RubberBandResize, false);
    sub->setOption(QMdiSubWindow::RubberBandMove, false);
    if (Params.ExStyle & WS_EX_TOOLWINDOW) {
        auto* style = new TToolCaptionStyle;
        style->setParent(sub);
        sub->setStyle(style);
        QFont font = sub->font();
        font.setPixelSize(10);
        font.setBold(true);
        sub->setFont(font);
    }
    return sub;
}

}  // namespace

TEdgeFrame::TEdgeFrame(TFrameKind Kind, QWidget* Parent) : QFrame(Parent)
{
    switch (Kind) {
    case TFrameKind::Border:
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
        break;
    case TFrameKind::ClientEdge:
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setLineWidth(2);
        break;
    default:  // the dialog frame: a raised edge
        setFrameStyle(QFrame::Panel | QFrame::Raised);
        setLineWidth(3);
        break;
    }
}

void TEdgeFrame::PlaceContent()
{
    for (QObject* o : children())
        if (auto* w = qobject_cast<QWidget*>(o)) w->setGeometry(contentsRect());
}

void TEdgeFrame::resizeEvent(QResizeEvent* Event)
{
    QFrame::resizeEvent(Event);
    PlaceContent();
}

TTopLevelHost::TTopLevelHost(TWindow* Window, const TCreateParams& Params) : FWindow(Window)
{
    setWindowFlags(Qt::WindowFlags::fromInt(TopLevelFlags(Params)));
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void TTopLevelHost::SetContent(QWidget* Content)
{
    FContent = Content;
    Content->setParent(this);
    Content->show();
    PlaceContent();
}

void TTopLevelHost::SetMenuBar(QWidget* Bar, int BarHeight)
{
    if (FBar != Bar) delete FBar;
    FBar = Bar;
    FBarHeight = Bar ? BarHeight : 0;
    if (Bar) {
        Bar->setParent(this);
        Bar->show();
    }
    PlaceContent();
}

void TTopLevelHost::PlaceContent()
{
    if (FBar) FBar->setGeometry(0, 0, width(), FBarHeight);
    if (FContent) FContent->setGeometry(0, FBarHeight, width(), std::max(height() - FBarHeight, 0));
}

void TTopLevelHost::resizeEvent(QResizeEvent* Event)
{
    QWidget::resizeEvent(Event);
    PlaceContent();
}

void TTopLevelHost::closeEvent(QCloseEvent* Event)
{
    if (FWindow->CloseQuery && !FWindow->CloseQuery()) {
        Event->ignore();
        return;
    }
    Event->accept();
}

QWidget* MakeFrameHost(TFrameKind Kind, const TCreateParams& Params, QWidget* Parent)
{
    if (Kind == TFrameKind::Caption) return MakeSubWindow(Params, Parent);
    return new TEdgeFrame(Kind, Parent);
}

void SetFrameContent(QWidget* Frame, QWidget* Content)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(Frame)) {
        sub->setWidget(Content);
        return;
    }
    Content->setParent(Frame);
    Content->show();
    static_cast<TEdgeFrame*>(Frame)->PlaceContent();
}

void LayoutFrameContent(QWidget* Frame)
{
    if (auto* edge = qobject_cast<TEdgeFrame*>(Frame)) return edge->PlaceContent();
    if (auto* top = qobject_cast<TTopLevelHost*>(Frame)) return top->PlaceContent();
    // The sub-window's layout knows its caption and border (its contents margins); a hidden
    // window only applies them when asked.
    if (Frame->layout()) {
        Frame->layout()->invalidate();
        Frame->layout()->activate();
    }
}

TFrameWatcher::TFrameWatcher(TWindow* Window, QWidget* Frame) : QObject(Frame), FWindow(Window)
{
    Frame->installEventFilter(this);
}

bool TFrameWatcher::eventFilter(QObject* Watched, QEvent* Event)
{
    if ((Event->type() == QEvent::Move || Event->type() == QEvent::Resize) && !FWindow->Syncing()) {
        const QRect g = static_cast<QWidget*>(Watched)->geometry();
        FWindow->Control()->WindowMoved(g.x(), g.y(), g.width(), g.height());
    }
    return QObject::eventFilter(Watched, Event);
}

}  // namespace qel::Bridge
