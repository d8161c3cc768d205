#pragma once
// The GUI side of the application object: with this library loaded, Application makes a
// QApplication, shows exceptions in message boxes, and has a main form, forms and an icon.
#include "framework/core/Application.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/GuiExport.h"

#include <memory>

namespace qel {

inline constexpr uint32_t MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_ABORTRETRYIGNORE = 0x2, MB_YESNOCANCEL = 0x3,
                          MB_YESNO = 0x4, MB_RETRYCANCEL = 0x5, MB_ICONHAND = 0x10, MB_ICONERROR = 0x10,
                          MB_ICONSTOP = 0x10, MB_ICONQUESTION = 0x20, MB_ICONEXCLAMATION = 0x30,
                          MB_ICONWARNING = 0x30, MB_ICONASTERISK = 0x40, MB_ICONINFORMATION = 0x40,
                          MB_DEFBUTTON2 = 0x100, MB_DEFBUTTON3 = 0x200;
inline constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

class TCustomForm;

class QEL_GUI_EXPORT TGuiApplication {
public:
    TGuiApplication();
    ~TGuiApplication();

    TCustomForm* MainForm() const { return FMainForm; }
    void SetMainForm(TCustomForm* Form) { FMainForm = Form; }
    TIcon* Icon() const { return FIcon.get(); }  // shown by windows without an icon of their own
    void ApplyIcon();                               // again, once a QApplication runs

    // Makes a form owned by Application; the first one made becomes the main form.
    template <class T>
    void CreateForm(T*& Reference)
    {
        Application->Initialize();
        auto* form = new T(Application);
        Reference = form;
        if (!FMainForm) FMainForm = form;
        form->AfterConstruction();
    }

    // Shows the main form and runs the event loop until Terminate (closing the main form).
    void Run();

    // A message box; the hook, when set, answers instead of a person (tests, scripted runs).
    int MessageBox(const String& Text, const String& Caption, uint32_t Flags = MB_OK);
    using TMessageBoxHook = std::function<int(const String& Text, const String& Caption, uint32_t Flags)>;
    static void SetMessageBoxHook(TMessageBoxHook Hook);

private:
    TCustomForm* FMainForm = nullptr;
    std::unique_ptr<TIcon> FIcon;
};

QEL_GUI_EXPORT TGuiApplication& GuiApplication();

// Makes Application a GUI application (QApplication, message-box exception presenter). Done
// when this library is loaded; callable again after a test replaced the factories.
QEL_GUI_EXPORT void InstallGuiApplication();

}  // namespace qel
