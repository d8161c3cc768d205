#pragma once
// The application object: Qt application ownership, message servicing and the exception handler.
#include "framework/core/Export.h"
#include "framework/core/Component.h"

#include <memory>

class QCoreApplication;

namespace qel {

using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;

class QEL_FRAMEWORK_EXPORT TApplication : public TComponent {
    Q_OBJECT
public:
    // Builds the Qt application a run needs; the GUI layer installs a factory for a GUI one.
    using TQtAppFactory = std::function<std::unique_ptr<QCoreApplication>(int& argc, char** argv)>;
    // Shows an exception's message; the GUI layer installs one that opens a message box.
    using TExceptionPresenter = std::function<void(const String& Title, const String& Message)>;

    Q_INVOKABLE explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    // Creates the Qt application unless the host already made one. Idempotent.
    void Initialize(int& argc, char** argv);
    void Initialize();
    bool Initialized() const;

    // Services pending Qt events. Cheap when called very often: it pumps at most once per PumpIntervalNs.
    void ProcessMessages();
    void Run();        // runs the event loop until Terminate
    void Terminate();
    bool Terminated() const { return FTerminated; }
    // True once the process ends (after main returned): Qt's globals are partly gone, so windows
    // still owned by the application are left to the process's end instead of being torn down.
    bool Finalizing() const { return FFinalizing; }

    // Call from a catch block: reports the exception in flight through OnException, or shows it.
    void HandleException(TObject* Sender);
    void ShowException(const Exception& E);

    String Title() const;
    void SetTitle(const String& Value) { FTitle = Value; }
    String ExeName() const;
    TExceptionEvent OnException;

    static void SetQtAppFactory(TQtAppFactory Factory);
    static void SetExceptionPresenter(TExceptionPresenter Presenter);
    static constexpr int64_t PumpIntervalNs = 2'000'000;

private:
    void PumpNow();

    std::unique_ptr<QCoreApplication> FQtApp;
    String FTitle;
    bool FTerminated = false;
    bool FFinalizing = false;
    int64_t FLastPump = 0;  // coarse monotonic time of the last pump, in ns
};

extern QEL_FRAMEWORK_EXPORT TApplication* Application;

}  // namespace qel
