#include "framework/gui/GuiApplication.h"

#include "framework/gui/Dialogs.h"
#include "framework/gui/Forms.h"
#include "framework/gui/qt/AppBridge.h"

#include <cstdio>

namespace qel {

namespace {

TGuiApplication::TMessageBoxHook& MessageBoxHook()
{
    static TGuiApplication::TMessageBoxHook hook;
    return hook;
}

void PresentException(const String& Title, const String& Message)
{
    if (MessageBoxHook() || Bridge::IsGuiApplication()) {
        GuiApplication().MessageBox(Message, Title, MB_OK | MB_ICONSTOP);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", Title.c_str(), Message.c_str());
    std::fflush(stderr);
}

const bool gInstalled = (InstallGuiApplication(), true);

}  // namespace

TGuiApplication::TGuiApplication() : FIcon(std::make_unique<TIcon>())
{
    FIcon->OnChange = [this](TObject*) { ApplyIcon(); };
}

void TGuiApplication::ApplyIcon() { Bridge::SetApplicationIcon(FIcon->Empty() ? QImage() : FIcon->ToImage()); }

TGuiApplication::~TGuiApplication() = default;

void TGuiApplication::Run()
{
    Application->Initialize();
    if (FMainForm) FMainForm->Show();
    Application->Run();
    // The run is over and the program ends: the forms go now, while Qt is still whole.
    FMainForm = nullptr;
    Application->DestroyComponents();
}

int TGuiApplication::MessageBox(const String& Text, const String& Caption, uint32_t Flags)
{
    if (MessageBoxHook()) return MessageBoxHook()(Text, Caption, Flags);
    TDialogAnswer answer;  // queued answers stand in for a person here too; mrNone: the first button
    constexpr int first[] = {IDOK, IDOK, IDABORT, IDYES, IDYES, IDRETRY};
    if (TDialogAnswers::Take(Text, answer))
        return answer.ModalResult != mrNone ? answer.ModalResult : first[(Flags & 0xF) % 6];
    Application->Initialize();
    return Bridge::ShowMessageBox(Text, Caption.empty() ? Application->Title() : Caption, Flags);
}

void TGuiApplication::SetMessageBoxHook(TMessageBoxHook Hook) { MessageBoxHook() = std::move(Hook); }

TGuiApplication& GuiApplication()
{
    static TGuiApplication app;
    return app;
}

void InstallGuiApplication()
{
    (void)gInstalled;
    TApplication::SetQtAppFactory(Bridge::MakeGuiApplication);
    TApplication::SetExceptionPresenter(PresentException);
}

}  // namespace qel
