// Renders a form file headless (--render) or shows it on a real screen and grabs its client
// area (--screen); the test script compares the two pictures.
#include "framework/core/FormFiles.h"
#include "framework/gui/ExtCtrls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/GuiApplication.h"
#include "framework/gui/qt/WidgetBridge.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QWidget>

#include <cstdio>
#include <cstring>

namespace qel {

// A panel in a framed child window (caption bar and sizing border).
class TCaptionedPanel : public TPanel {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TCaptionedPanel(TComponent* AOwner) : TPanel(AOwner) {}

protected:
    void CreateParams(TCreateParams& Params) override
    {
        TPanel::CreateParams(Params);
        Params.Style |= WS_CAPTION | WS_THICKFRAME;
    }
};

QEL_REGISTER_CLASS(TCaptionedPanel);

}  // namespace qel

using namespace qel;

int main(int argc, char** argv)
{
    if (argc != 4 || (std::strcmp(argv[1], "--render") != 0 && std::strcmp(argv[1], "--screen") != 0)) {
        std::fprintf(stderr, "usage: %s --render|--screen FORMFILE OUT.png\n", argv[0]);
        return 2;
    }
    // Ours, so that it ends with main, before Qt's own globals go.
    QApplication app(argc, argv);
    Application->Initialize(argc, argv);
    std::unique_ptr<TComponent> root(ReadComponentFile(argv[2]));
    auto* form = As<TCustomForm>(root.get());
    // Shown in both runs, so that the framed child's caption is active in both.
    form->Show();
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 1500) QApplication::processEvents(QEventLoop::AllEvents, 50);
    QImage picture;
    const TPoint o = form->ClientOrigin();
    if (std::strcmp(argv[1], "--render") == 0) {
        // The render has the whole window (a menu bar too): its client area is what the screen grab has.
        const QPoint top = form->Window()->OuterWidget()->mapToGlobal(QPoint(0, 0));
        picture = RenderForm(form).copy(o.X - top.x(), o.Y - top.y(), form->ClientWidth(), form->ClientHeight());
    } else {
        picture = QGuiApplication::primaryScreen()
                      ->grabWindow(0, o.X, o.Y, form->ClientWidth(), form->ClientHeight())
                      .toImage()
                      .convertToFormat(QImage::Format_RGB32);
    }
    if (!picture.save(QString::fromLocal8Bit(argv[3]))) return 1;
    return 0;
}
#include "ScreenshotMain.moc"
