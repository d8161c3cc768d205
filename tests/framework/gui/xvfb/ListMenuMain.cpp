// On a real X screen: a form with a menu bar and a list box in a framed child window, driven by
// mouse clicks through the window system. Checks that a row click selects, that the menu opens
// and its item runs, and that the screen shows the framed list as the headless render does.
#include "framework/gui/Forms.h"
#include "framework/gui/GuiApplication.h"
#include "framework/gui/Menus.h"
#include "framework/gui/StdCtrls.h"
#include "framework/gui/qt/MenuBridge.h"
#include "framework/gui/qt/WidgetBridge.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <cstdio>

using namespace qel;

namespace {

class TFramedListBox : public TListBox {
public:
    explicit TFramedListBox(TComponent* AOwner) : TListBox(AOwner) {}

protected:
    void CreateParams(TCreateParams& Params) override
    {
        TListBox::CreateParams(Params);
        Params.Style |= WS_CAPTION | WS_THICKFRAME;
    }
};

void Settle(int Ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < Ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// A click through the top-level window, as the window system delivers it.
void ClickAt(QWidget* W, QPoint P)
{
    QWidget* top = W->window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, W->mapTo(top, P));
    Settle(300);
}

int Fail(const char* What)
{
    std::fprintf(stderr, "FAIL: %s\n", What);
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.png\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    Application->Initialize(argc, argv);
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(0, 0, 320, 240);
    auto* menu = new TMainMenu(&form);
    auto* file = new TMenuItem(&form);
    file->SetCaption("&File");
    auto* hello = new TMenuItem(&form);
    hello->SetCaption("&Hello");
    int menuClicks = 0;
    hello->OnClick = [&](TObject*) { ++menuClicks; };
    file->Add(hello);
    menu->Items()->Add(file);
    form.SetMenu(menu);
    auto* list = new TFramedListBox(&form);
    list->SetParent(&form);
    list->SetCaption("Framed list");
    list->SetBounds(40, 50, 200, 150);
    list->Items()->SetText("red\ngreen\nblue\nyellow\n");
    int listClicks = 0;
    list->OnClick = [&](TObject*) { ++listClicks; };
    form.Show();
    Settle(1000);

    const TRect row = list->ItemRect(2);
    ClickAt(list->Window()->ClientWidget(), QPoint(30, (row.Top + row.Bottom) / 2));
    if (list->ItemIndex() != 2 || listClicks != 1) return Fail("a click on the third row selects it");

    auto* bar = qobject_cast<QMenuBar*>(Bridge::WindowMenuBar(form.Window()));
    if (!bar || bar->actions().isEmpty()) return Fail("the form shows a menu bar");
    ClickAt(bar, bar->actionGeometry(bar->actions().first()).center());
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!popup || !popup->isVisible()) return Fail("a click on File opens its menu");
    ClickAt(popup, popup->actionGeometry(popup->actions().first()).center());
    if (menuClicks != 1) return Fail("choosing Hello runs its OnClick");
    if (QApplication::activePopupWidget()) return Fail("the menu closes after the choice");
    Settle(500);

    const TPoint o = form.ClientOrigin();
    const QImage screen = QGuiApplication::primaryScreen()
                              ->grabWindow(0, o.X, o.Y, form.ClientWidth(), form.ClientHeight())
                              .toImage()
                              .convertToFormat(QImage::Format_RGB32);
    screen.save(QString::fromLocal8Bit(argv[1]));
    // The framed list, caption bar and selected row included, as the headless render has it (in
    // client coordinates: the render has the menu bar above them).
    const QPoint top = form.Window()->OuterWidget()->mapToGlobal(QPoint(0, 0));
    const QImage render = RenderForm(&form)
                              .copy(o.X - top.x(), o.Y - top.y(), form.ClientWidth(), form.ClientHeight())
                              .convertToFormat(QImage::Format_RGB32);
    const QRect framed(list->Left(), list->Top(), list->Width(), list->Height());
    if (screen.copy(framed) != render.copy(framed)) return Fail("the framed list box matches its render");
    const QPoint sel = list->Window()->ClientWidget()->mapTo(form.Window()->ClientWidget(), QPoint(150, (row.Top + row.Bottom) / 2));
    if (screen.pixel(sel) != ToQRgb(clHighlight)) return Fail("the selected row is highlighted on screen");
    // The menu bar: its text makes the strip not one colour, and the form shows under it.
    const QPoint barAt = bar->mapToGlobal(QPoint(0, 0));
    if (barAt.y() + bar->height() != o.Y) return Fail("the client area starts just below the menu bar");
    const QImage strip = QGuiApplication::primaryScreen()
                             ->grabWindow(0, barAt.x(), barAt.y(), bar->width(), bar->height())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    bool varied = false;
    for (int y = 0; y < strip.height() && !varied; ++y)
        for (int x = 0; x < strip.width() && !varied; ++x) varied = strip.pixel(x, y) != strip.pixel(0, 0);
    if (!varied) return Fail("the menu bar shows its items");
    if (screen.pixel(10, 10) != ToQRgb(clBtnFace)) return Fail("the form shows below the menu bar");
    std::printf("ok: list and menu driven by clicks, screenshot %s\n", argv[1]);
    return 0;
}
