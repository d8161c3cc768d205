// qel-showcase: one window with every qelwidgets component live. With --screenshot it renders
// the window headless after a short run (so the clock shows its digits) and exits.
#include "ShowcaseForm.h"

#include "framework/core/Application.h"
#include "framework/core/DateUtils.h"
#include "framework/core/Platform.h"
#include "framework/core/SysUtils.h"
#include "framework/gui/GuiApplication.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QElapsedTimer>
#include <QImage>

#include <cstdio>

using namespace qel;
using namespace qel_showcase;

namespace {

struct TOptions {
    QString Screenshot;
    int RunMs = 600;
    std::optional<TDateTime> Now;
};

// Usage errors end with exit code 2 and a message.
std::optional<TOptions> ParseOptions(const QStringList& Args, int& ExitCode)
{
    QCommandLineParser p;
    p.setApplicationDescription("Shows every qelwidgets component live in one window.");
    p.addHelpOption();
    p.addOptions({
        {"screenshot", "Render the window into this PNG (headless) and exit.", "file.png"},
        {"run", "With --screenshot: milliseconds the window runs before the picture (default 600).", "ms"},
        {"now", "The instant the components' clock shows, \"YYYY-MM-DD HH:MM:SS\".", "time"},
    });
    ExitCode = 2;
    if (!p.parse(Args)) {
        std::fprintf(stderr, "qel-showcase: %s\n", qPrintable(p.errorText()));
        return std::nullopt;
    }
    if (p.isSet("help")) {
        std::fputs(qPrintable(p.helpText()), stdout);
        ExitCode = 0;
        return std::nullopt;
    }
    TOptions o;
    o.Screenshot = p.value("screenshot");
    bool ok = true;
    if (p.isSet("run")) o.RunMs = p.value("run").toInt(&ok);
    if (!ok || o.RunMs < 0) {
        std::fprintf(stderr, "qel-showcase: --run takes milliseconds\n");
        return std::nullopt;
    }
    if (p.isSet("now")) {
        o.Now = TryISOStrToDateTime(p.value("now").toStdString());
        if (!o.Now) {
            std::fprintf(stderr, "qel-showcase: --now takes \"YYYY-MM-DD HH:MM:SS\"\n");
            return std::nullopt;
        }
    }
    return o;
}

int Screenshot(TShowcaseForm* Form, const TOptions& O)
{
    Form->HandleNeeded();
    // A hidden window gets no paint events: its first Paint happens here, as on screen, before
    // the timers draw over it.
    (void)RenderForm(Form);
    // The components' own timers run, as on screen: the clock draws its digits on its first tick.
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < O.RunMs) {
        Application->ProcessMessages();
        Sleep(5);
    }
    const QImage picture = RenderForm(Form);
    if (!picture.save(O.Screenshot, "PNG")) {
        std::fprintf(stderr, "qel-showcase: cannot write %s\n", qPrintable(O.Screenshot));
        return 1;
    }
    std::printf("%s: %dx%d\n", qPrintable(O.Screenshot), picture.width(), picture.height());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    int exitCode = 0;
    const auto options = ParseOptions(args, exitCode);
    if (!options) return exitCode;
    if (!options->Screenshot.isEmpty() && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application->Initialize(argc, argv);
    if (options->Now) SetClockOverride(*options->Now);
    Randomize();
    TShowcaseForm* form = nullptr;
    GuiApplication().CreateForm(form);
    if (!options->Screenshot.isEmpty()) {
        const int rc = Screenshot(form, *options);
        delete form;  // while Qt is whole, as Run does for a shown window
        return rc;
    }
    GuiApplication().Run();
    return 0;
}
