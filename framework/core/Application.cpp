#include "framework/core/Application.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>
#include <ctime>

namespace qel {

namespace {

TApplication::TQtAppFactory& QtAppFactory()
{
    static TApplication::TQtAppFactory factory = [](int& argc, char** argv) {
        return std::make_unique<QCoreApplication>(argc, argv);
    };
    return factory;
}

TApplication::TExceptionPresenter& ExceptionPresenter()
{
    static TApplication::TExceptionPresenter presenter = [](const String& Title, const String& Message) {
        std::fprintf(stderr, "%s: %s\n", Title.c_str(), Message.c_str());
        std::fflush(stderr);
    };
    return presenter;
}

// Qt keeps references to argc/argv for the application's lifetime.
int gDefaultArgc = 1;
char gDefaultArg0[] = "qel";
char* gDefaultArgv[] = {gDefaultArg0, nullptr};

std::unique_ptr<TApplication> gApplication = std::make_unique<TApplication>(nullptr);

}  // namespace

TApplication* Application = gApplication.get();

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {}

TApplication::~TApplication()
{
    if (Application == this) Application = nullptr;
}

void TApplication::SetQtAppFactory(TQtAppFactory Factory) { QtAppFactory() = std::move(Factory); }

void TApplication::SetExceptionPresenter(TExceptionPresenter Presenter) { ExceptionPresenter() = std::move(Presenter); }

void TApplication::Initialize(int& argc, char** argv)
{
    if (QCoreApplication::instance()) return;
    FQtApp = QtAppFactory()(argc, argv);
    // Qt's own globals are gone by the time static destructors run: end the Qt app before them.
    // A GUI app makes some of its globals lazily (input devices, on the first window), after
    // this handler was registered, so they go first: such an app is left to the process's end.
    std::atexit([] {
        if (!Application) return;
        Application->FFinalizing = true;
        if (!Application->FQtApp) return;
        if (Application->FQtApp->inherits("QGuiApplication"))
            (void)Application->FQtApp.release();
        else
            Application->FQtApp.reset();
    });
}

void TApplication::Initialize() { Initialize(gDefaultArgc, gDefaultArgv); }

bool TApplication::Initialized() const { return QCoreApplication::instance() != nullptr; }

void TApplication::ProcessMessages()
{
    // Callers pump per line or per byte group: only a clock read when nothing is due.
    // The coarse clock is a plain memory read (a few ns); its tick of a few ms is fine for pumping.
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    const int64_t now = static_cast<int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
    if (now - FLastPump < PumpIntervalNs) return;
    FLastPump = now;
    PumpNow();
}

void TApplication::PumpNow()
{
    if (!QCoreApplication::instance()) return;
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::Run()
{
    Initialize();
    FTerminated = false;
    QCoreApplication::exec();
}

void TApplication::Terminate()
{
    FTerminated = true;
    if (QCoreApplication::instance()) QCoreApplication::quit();
}

void TApplication::HandleException(TObject* Sender)
{
    auto current = std::current_exception();
    if (!current) return;
    auto report = [&](const Exception& e) {
        if (OnException)
            OnException(Sender, e);
        else
            ShowException(e);
    };
    try {
        std::rethrow_exception(current);
    } catch (const EAbort&) {
        // Silent by design: an abort is not an error to show.
    } catch (const Exception& e) {
        report(e);
    } catch (const std::exception& e) {
        report(Exception(e.what()));
    } catch (...) {
        report(Exception("Unknown exception"));
    }
}

void TApplication::ShowException(const Exception& E)
{
    ExceptionPresenter()(Title(), E.Message());
}

String TApplication::Title() const
{
    if (!FTitle.empty()) return FTitle;
    // Without a title of its own the application is called after its program file.
    return QFileInfo(QString::fromStdString(ExeName())).completeBaseName().toStdString();
}

String TApplication::ExeName() const
{
    const QString path = QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                                      : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return path.toStdString();
}

}  // namespace qel
