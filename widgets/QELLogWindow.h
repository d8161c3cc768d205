#pragma once
// TQELLogWindow: shows a modal, stay-on-top text window (TQELLogWindowForm) that the host fills
// with Log while it is open. One window reference serves every log window of the process.
#include "framework/gui/Forms.h"
#include "framework/gui/Graphics.h"
#include "widgets/QELAboutFree.h"
#include "widgets/WidgetsExport.h"

#include <memory>

namespace qel {

class TQELLogWindowForm;

class QEL_WIDGETS_EXPORT TQELLogWindow : public TComponent {
    Q_OBJECT
    Q_PROPERTY(qel::TQELAboutFreeStr About MEMBER About)
    Q_PROPERTY(String LogWindowCaption READ LogWindowCaption WRITE SetLogWindowCaption)
    Q_PROPERTY(String OpenFilename READ OpenFilename WRITE SetOpenFilename)
    Q_PROPERTY(int32_t LogWindowColor READ LogWindowColor WRITE SetLogWindowColor)
    Q_PROPERTY(qel::TFont* LogWindowFonts READ LogWindowFonts WRITE Setfont)
    Q_PROPERTY(bool FileMenu READ FileMenu WRITE SetMenuFile)
    Q_PROPERTY(bool OpenFileOnExecute READ OpenFileOnExecute WRITE SetOpenFileOnExecute)
    Q_PROPERTY(qel::TCustomForm::TPosition WindowPosition READ WindowPosition WRITE SetWindowPosition)
    Q_PROPERTY(int32_t WindowHeight READ WindowHeight WRITE SetWindowHeight)
    Q_PROPERTY(int32_t WindowWidth READ WindowWidth WRITE SetWindowWidth)
    Q_PROPERTY(qel::TCustomForm::TBorderIcons BorderIcons READ BorderIcons WRITE SetBordericons)
    Q_PROPERTY(bool Readonly READ Readonly WRITE SetReadonly)
    Q_PROPERTY(qel::TIcon* LogWindowIcon READ LogWindowIcon WRITE SetIco)
    Q_PROPERTY(qel::TCustomForm::TWindowState Windowstate READ Windowstate WRITE SetWindowstate)
    Q_CLASSINFO("default:About", "")

public:
    Q_INVOKABLE explicit TQELLogWindow(TComponent* AOwner);
    ~TQELLogWindow() override;

    String LogWindowCaption() const { return FLogWindowCaption; }
    void SetLogWindowCaption(const String& Value) { FLogWindowCaption = Value; }
    String OpenFilename() const { return FOpenFilename; }
    void SetOpenFilename(const String& Value) { FOpenFilename = Value; }
    TColor LogWindowColor() const { return FLogWindowColor; }
    void SetLogWindowColor(TColor Value) { FLogWindowColor = Value; }
    TFont* LogWindowFonts() const { return FLogWindowFonts.get(); }
    void Setfont(TFont* Value);  // copies Value
    bool FileMenu() const { return FFileMenu; }
    void SetMenuFile(bool Value) { FFileMenu = Value; }
    bool OpenFileOnExecute() const { return FOpenFileOnExecute; }
    void SetOpenFileOnExecute(bool Value) { FOpenFileOnExecute = Value; }
    TPosition WindowPosition() const { return FWindowPosition; }
    void SetWindowPosition(TPosition Value) { FWindowPosition = Value; }
    int32_t WindowHeight() const { return FWindowHeight; }
    void SetWindowHeight(int32_t Value) { FWindowHeight = Value; }
    int32_t WindowWidth() const { return FWindowWidth; }
    void SetWindowWidth(int32_t Value) { FWindowWidth = Value; }
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBordericons(TBorderIcons Value) { FBorderIcons = Value; }
    bool Readonly() const { return FReadonly; }
    void SetReadonly(bool Value) { FReadonly = Value; }
    TIcon* LogWindowIcon() const { return FLogWindowIcon.get(); }
    void SetIco(TIcon* Value);  // copies Value
    TWindowState Windowstate() const { return FWindowstate; }
    void SetWindowstate(TWindowState Value) { FWindowstate = Value; }

    // Builds and shows the window until it is closed; True once it was.
    bool execute();
    // Both act on the open log window, whichever component opened it, and do nothing while
    // none is open.
    void Log(const String& S);
    void Clear();
    // The open log window of the process, or nullptr.
    static TQELLogWindowForm* Window();

    TQELAboutFreeStr About;

    TNotifyEvent OnSaveFile;
    TNotifyEvent OnExit;
    TNotifyEvent OnExecute;

protected:
    void DoOnExecute();

private:
    void ApplyLook(TQELLogWindowForm* Form);
    void ApplyMenu(TQELLogWindowForm* Form);
    void ApplyWindow(TQELLogWindowForm* Form);
    void OpenFile(TQELLogWindowForm* Form);

    String FLogWindowCaption;
    String FOpenFilename;
    TColor FLogWindowColor = RGB(255, 255, 255);
    std::unique_ptr<TFont> FLogWindowFonts;
    bool FFileMenu = true;
    bool FOpenFileOnExecute = false;
    TPosition FWindowPosition = poDesigned;
    int32_t FWindowHeight = 300;
    int32_t FWindowWidth = 300;
    TBorderIcons FBorderIcons;
    bool FReadonly = false;
    std::unique_ptr<TIcon> FLogWindowIcon;
    TWindowState FWindowstate = wsNormal;
};

}  // namespace qel
