#include "framework/gui/qt/WidgetBridge.h"
#include "framework/core/Application.h"

#include "framework/gui/qt/ControlWidget.h"
#include "framework/gui/qt/FrameHosts.h"

#include <QApplication>
#include <QIcon>
#include <QLayout>
#include <QMdiSubWindow>
#include <QPixmap>

#include <map>

namespace qel::Bridge {

TFrameKind FrameKindOf(const TCreateParams& Params)
{
    if (!Params.WndParent) return TFrameKind::TopLevel;
    if ((Params.Style & WS_CAPTION) == WS_CAPTION) return TFrameKind::Caption;
    if (Params.Style & WS_DLGFRAME) return TFrameKind::DialogFrame;
    if (Params.ExStyle & WS_EX_CLIENTEDGE) return TFrameKind::ClientEdge;
    if (Params.Style & WS_BORDER) return TFrameKind::Border;
    return TFrameKind::None;
}

int TopLevelFlags(const TCreateParams& Params)
{
    Qt::WindowFlags f;
    if ((Params.Style & WS_CAPTION) != WS_CAPTION) {
        f = Qt::Window | Qt::FramelessWindowHint;
    } else {
        if (Params.ExStyle & WS_EX_TOOLWINDOW)
            f = Qt::Tool;
        else if (Params.ExStyle & WS_EX_DLGMODALFRAME)
            f = Qt::Dialog;
        else
            f = Qt::Window;
        f |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (Params.Style & WS_SYSMENU) f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (Params.Style & WS_MINIMIZEBOX) f |= Qt::WindowMinimizeButtonHint;
        if (Params.Style & WS_MAXIMIZEBOX) f |= Qt::WindowMaximizeButtonHint;
        if (Params.ExStyle & WS_EX_CONTEXTHELP) f |= Qt::WindowContextHelpButtonHint;
    }
    if (Params.ExStyle & WS_EX_TOPMOST) f |= Qt::WindowStaysOnTopHint;
    return f.toInt();
}

TMargins FrameMargins(const TCreateParams& Params)
{
    const TFrameKind kind = FrameKindOf(Params);
    if (kind == TFrameKind::None || kind == TFrameKind::TopLevel || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return {};
    // Measured once per frame kind on a throw-away frame, so the numbers are the real window's.
    static std::map<std::pair<int, bool>, TMargins> measured;
    const auto key = std::make_pair(static_cast<int>(kind), (Params.ExStyle & WS_EX_TOOLWINDOW) != 0);
    if (auto it = measured.find(key); it != measured.end()) return it->second;
    QWidget host;
    QWidget* frame = MakeFrameHost(kind, Params, &host);
    auto* content = new QWidget;
    SetFrameContent(frame, content);
    frame->resize(200, 200);
    if (frame->layout()) frame->layout()->activate();
    LayoutFrameContent(frame);
    const QRect g = content->geometry();
    TMargins m{g.left(), g.top(), 200 - g.right() - 1, 200 - g.bottom() - 1};
    delete frame;
    measured[key] = m;
    return m;
}

TWindow::TWindow(TControl* Control, const TCreateParams& Params, TWindow* Parent)
    : FControl(Control), FKind(FrameKindOf(Params))
{
    if (FKind == TFrameKind::TopLevel && Parent) FKind = TFrameKind::None;
    QWidget* parentWidget = Parent ? Parent->ClientWidget() : nullptr;
    if (FKind == TFrameKind::TopLevel) {
        MakeTopLevel(Params);
    } else if (FKind == TFrameKind::None) {
        FClient = new TControlWidget(Control, this, parentWidget);
        FOuter = FClient;
    } else {
        MakeFrame(Params, parentWidget);
    }
    ++FSyncing;
    SetText(Params.Caption);
    SetBounds(Params.X, Params.Y, Params.Width, Params.Height);
    --FSyncing;
    FClient->setEnabled(!(Params.Style & WS_DISABLED));
}

void TWindow::MakeTopLevel(const TCreateParams& Params)
{
    auto* host = new TTopLevelHost(this, Params);
    FOuter = host;
    FClient = new TControlWidget(FControl, this, nullptr);
    host->SetContent(FClient);
    FWatcher = new TFrameWatcher(this, FOuter);
}

void TWindow::MakeFrame(const TCreateParams& Params, QWidget* ParentWidget)
{
    FOuter = MakeFrameHost(FKind, Params, ParentWidget);
    FClient = new TControlWidget(FControl, this, nullptr);
    SetFrameContent(FOuter, FClient);
    FWatcher = new TFrameWatcher(this, FOuter);
}

TWindow::~TWindow()
{
    // Children's windows are gone already (DestroyWnd runs bottom-up); the frame owns the client.
    // A form the application still owns when the process ends (Application already cleared, or
    // finalizing) would reach Qt's freed globals.
    if (!Application || Application->Finalizing()) return;
    delete FOuter;
}

QWidget* TWindow::ClientWidget() const { return FClient; }

QWidget* TWindow::OuterWidget() const { return FOuter; }

TMargins TWindow::Margins() const
{
    if (FOuter == FClient) return {};
    LayoutFrameContent(FOuter);
    const QRect g = FClient->geometry();
    return {g.left(), g.top(), FOuter->width() - g.right() - 1, FOuter->height() - g.bottom() - 1};
}

void TWindow::SetBounds(int32_t X, int32_t Y, int32_t W, int32_t H)
{
    ++FSyncing;
    const QRect wanted(X, Y, std::max(W, 0), std::max(H, 0));
    if (FOuter->geometry() != wanted) {
        if (FFixed) FOuter->setFixedSize(wanted.size());
        FOuter->setGeometry(wanted);
    }
    LayoutFrameContent(FOuter);
    --FSyncing;
}

void TWindow::SetVisible(bool Value)
{
    ++FSyncing;
    FOuter->setVisible(Value);
    --FSyncing;
}

bool TWindow::IsVisible() const { return FClient->isVisible(); }

void TWindow::SetEnabled(bool Value) { FOuter->setEnabled(Value); }

void TWindow::SetText(const String& Value)
{
    FOuter->setWindowTitle(QString::fromStdString(Value));
    if (FOuter != FClient) FClient->setWindowTitle(QString::fromStdString(Value));
}

void TWindow::SetCursor(TCursor Value)
{
    static const std::pair<TCursor, Qt::CursorShape> shapes[] = {
        {crArrow, Qt::ArrowCursor},       {crCross, Qt::CrossCursor},       {crIBeam, Qt::IBeamCursor},
        {crSizeNESW, Qt::SizeBDiagCursor}, {crSizeNS, Qt::SizeVerCursor},    {crSizeNWSE, Qt::SizeFDiagCursor},
        {crSizeWE, Qt::SizeHorCursor},    {crUpArrow, Qt::UpArrowCursor},   {crHourGlass, Qt::WaitCursor},
        {crDrag, Qt::DragCopyCursor},     {crNoDrop, Qt::ForbiddenCursor},  {crHSplit, Qt::SplitHCursor},
        {crVSplit, Qt::SplitVCursor},     {crNo, Qt::ForbiddenCursor},      {crAppStart, Qt::BusyCursor},
        {crHelp, Qt::WhatsThisCursor},    {crHandPoint, Qt::PointingHandCursor}, {crSizeAll, Qt::SizeAllCursor},
        {crNone, Qt::BlankCursor}};
    for (const auto& [cursor, shape] : shapes)
        if (cursor == Value) return FClient->setCursor(shape);
    FClient->unsetCursor();
}

void TWindow::SetToolTip(const String& Value) { FClient->setToolTip(QString::fromStdString(Value)); }

void TWindow::SetFixedSize(bool Fixed)
{
    FFixed = Fixed;
    if (Fixed)
        FOuter->setFixedSize(FOuter->size());
    else {
        FOuter->setMinimumSize(0, 0);
        FOuter->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}

void TWindow::SetModal(bool Modal) { FOuter->setWindowModality(Modal ? Qt::ApplicationModal : Qt::NonModal); }

void TWindow::SetIcon(const QImage& Image)
{
    // Qt keeps even a null icon as the window's own, hiding the application's: copy that instead.
    FOwnIcon = !Image.isNull();
    FOuter->setWindowIcon(FOwnIcon ? QIcon(QPixmap::fromImage(Image)) : QApplication::windowIcon());
}

void ShowApplicationIcon()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* c = qobject_cast<TTopLevelHost*>(w); c && !c->Window()->HasOwnIcon())
            w->setWindowIcon(QApplication::windowIcon());
}

void TWindow::SetWindowStateMaximized(bool Maximized, bool Minimized)
{
    Qt::WindowStates s = Qt::WindowNoState;
    if (Maximized) s |= Qt::WindowMaximized;
    if (Minimized) s |= Qt::WindowMinimized;
    FOuter->setWindowState(s);
}

void TWindow::Activate()
{
    FOuter->raise();
    FOuter->activateWindow();
}

void TWindow::Update(const TRect& R)
{
    FClient->update(QRect(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top));
}

void TWindow::UpdateAll() { FClient->update(); }

void TWindow::Raise() { FOuter->raise(); }

void TWindow::StackUnder(TWindow* Other) { FOuter->stackUnder(Other->FOuter); }

void TWindow::SetFocus() { FClient->setFocus(Qt::OtherFocusReason); }

bool TWindow::HasFocus() const { return FClient->hasFocus(); }

TPoint TWindow::ClientOrigin() const
{
    const QPoint p = FClient->mapToGlobal(QPoint(0, 0));
    return Point(p.x(), p.y());
}

void TWindow::Close() { FOuter->close(); }

QImage RenderWindow(TWindow* Window)
{
    QWidget* w = Window->OuterWidget();
    QImage image(w->size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    w->render(&image);
    return image;
}

TControl* ControlAtScreen(TPoint P)
{
    // The menu bar is the form's own (non-client) area.
    for (QWidget* w = QApplication::widgetAt(QPoint(P.X, P.Y)); w; w = w->parentWidget()) {
        if (auto* c = qobject_cast<TControlWidget*>(w)) return c->Control();
        if (auto* top = qobject_cast<TTopLevelHost*>(w)) return top->Window()->Control();
    }
    return nullptr;
}

}  // namespace qel::Bridge
