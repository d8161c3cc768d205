#pragma once
// Standard dialogs, message dialogs and the answer queue that stands in for a person.
#include "framework/core/Component.h"
#include "framework/core/Strings.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Graphics.h"

#include <QFlags>

#include <memory>
#include <vector>

namespace qel {

// One answer for the next dialog. Only the fields that dialog uses are read; a field left at
// its "unset" value keeps what the dialog already holds.
struct QEL_GUI_EXPORT TDialogAnswer {
    bool Confirm = true;
    std::vector<String> Files;          // the chosen file(s) of an open or save dialog
    int32_t FilterIndex = 0;            // 1-based; 0 keeps the dialog's
    String FontName;                    // empty keeps the dialog's
    int32_t FontSize = 0;
    TFontStyles FontStyle;
    TColor Color = clNone;              // clNone keeps the dialog's
    int32_t FromPage = 0, ToPage = 0, Copies = 0;
    TModalResult ModalResult = mrNone;  // of a message dialog; mrNone means its first button
    bool OverwriteAnswer = true;        // the reply to an overwrite prompt the answer triggers

    static TDialogAnswer Cancel();
    static TDialogAnswer File(const String& FileName, int32_t FilterIndex = 0);
    static TDialogAnswer Result(TModalResult Result);
};

// While answers are queued every Execute, ShowMessage and MessageDlg takes the next one instead
// of showing a window; with none queued the real dialog runs.
class QEL_GUI_EXPORT TDialogAnswers {
public:
    static void Push(const TDialogAnswer& Answer);
    static bool Next(TDialogAnswer& Answer);
    // Next, noting What (a title or text) among the questions asked.
    static bool Take(const String& What, TDialogAnswer& Answer);
    static size_t Pending();
    static void Clear();
    // What the hooked dialogs were asked (title or text), oldest first.
    static const std::vector<String>& Asked();
};

class QEL_GUI_EXPORT TCommonDialog : public TComponent {
    Q_OBJECT
    Q_PROPERTY(String Title READ Title WRITE SetTitle)
    Q_CLASSINFO("default:Title", "")
public:
    explicit TCommonDialog(TComponent* AOwner);
    String Title() const { return FTitle; }
    void SetTitle(const String& Value) { FTitle = Value; }
    // True when the person (or the queued answer) confirmed.
    virtual bool Execute() = 0;

private:
    String FTitle;
};

class QEL_GUI_EXPORT TOpenDialog : public TCommonDialog {
    Q_OBJECT
public:
    enum TOpenOption {
        ofReadOnly = 0x1, ofOverwritePrompt = 0x2, ofHideReadOnly = 0x4, ofNoChangeDir = 0x8,
        ofAllowMultiSelect = 0x10, ofExtensionDifferent = 0x20, ofPathMustExist = 0x40,
        ofFileMustExist = 0x80, ofCreatePrompt = 0x100, ofNoReadOnlyReturn = 0x200
    };
    Q_DECLARE_FLAGS(TOpenOptions, TOpenOption)
    Q_FLAG(TOpenOptions)

private:
    Q_PROPERTY(String FileName READ FileName WRITE SetFileName)
    Q_PROPERTY(String Filter READ Filter WRITE SetFilter)
    Q_PROPERTY(int32_t FilterIndex READ FilterIndex WRITE SetFilterIndex)
    Q_PROPERTY(String DefaultExt READ DefaultExt WRITE SetDefaultExt)
    Q_PROPERTY(String InitialDir READ InitialDir WRITE SetInitialDir)
    Q_PROPERTY(TOpenOptions Options READ Options WRITE SetOptions)
    Q_CLASSINFO("default:FileName", "")
    Q_CLASSINFO("default:Filter", "")
    Q_CLASSINFO("default:FilterIndex", "1")
    Q_CLASSINFO("default:DefaultExt", "")
    Q_CLASSINFO("default:InitialDir", "")
    Q_CLASSINFO("default:Options", "ofHideReadOnly")

public:
    Q_INVOKABLE explicit TOpenDialog(TComponent* AOwner);

    String FileName() const { return FFileName; }
    void SetFileName(const String& Value) { FFileName = Value; }
    String Filter() const { return FFilter; }
    void SetFilter(const String& Value) { FFilter = Value; }
    int32_t FilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(int32_t Value) { FFilterIndex = Value; }
    String DefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const String& Value) { FDefaultExt = Value; }
    String InitialDir() const { return FInitialDir; }
    void SetInitialDir(const String& Value) { FInitialDir = Value; }
    TOpenOptions Options() const { return FOptions; }
    void SetOptions(TOpenOptions Value) { FOptions = Value; }
    const std::vector<String>& Files() const { return FFiles; }

    bool Execute() override;

protected:
    virtual bool IsSave() const { return false; }
    // Why a chosen name is refused under the options (empty: accepted).
    String Refusal(const String& FileName) const;
    String WithDefaultExt(const String& FileName) const;

private:
    bool Accept(std::vector<String> Chosen, int32_t Index, bool OverwriteAnswer);

    String FFileName, FFilter, FDefaultExt, FInitialDir;
    int32_t FFilterIndex = 1;
    TOpenOptions FOptions = ofHideReadOnly;
    std::vector<String> FFiles;
};

class QEL_GUI_EXPORT TSaveDialog : public TOpenDialog {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TSaveDialog(TComponent* AOwner);

protected:
    bool IsSave() const override { return true; }
};

class QEL_GUI_EXPORT TPrintDialog : public TCommonDialog {
    Q_OBJECT
public:
    enum TPrintDialogOption { poPrintToFile = 0x1, poPageNums = 0x2, poSelection = 0x4, poWarning = 0x8,
                              poHelp = 0x10, poDisablePrintToFile = 0x20 };
    Q_DECLARE_FLAGS(TPrintDialogOptions, TPrintDialogOption)
    Q_FLAG(TPrintDialogOptions)
    enum TPrintRange { prAllPages, prSelection, prPageNums };
    Q_ENUM(TPrintRange)

private:
    Q_PROPERTY(TPrintDialogOptions Options READ Options WRITE SetOptions)
    Q_PROPERTY(TPrintRange PrintRange READ PrintRange WRITE SetPrintRange)
    Q_PROPERTY(int32_t FromPage READ FromPage WRITE SetFromPage)
    Q_PROPERTY(int32_t ToPage READ ToPage WRITE SetToPage)
    Q_PROPERTY(int32_t MinPage READ MinPage WRITE SetMinPage)
    Q_PROPERTY(int32_t MaxPage READ MaxPage WRITE SetMaxPage)
    Q_PROPERTY(int32_t Copies READ Copies WRITE SetCopies)
    Q_CLASSINFO("default:Options", "")
    Q_CLASSINFO("default:PrintRange", "prAllPages")
    Q_CLASSINFO("default:FromPage", "0")
    Q_CLASSINFO("default:ToPage", "0")
    Q_CLASSINFO("default:MinPage", "0")
    Q_CLASSINFO("default:MaxPage", "0")
    Q_CLASSINFO("default:Copies", "0")

public:
    Q_INVOKABLE explicit TPrintDialog(TComponent* AOwner);

    TPrintDialogOptions Options() const { return FOptions; }
    void SetOptions(TPrintDialogOptions Value) { FOptions = Value; }
    TPrintRange PrintRange() const { return FPrintRange; }
    void SetPrintRange(TPrintRange Value) { FPrintRange = Value; }
    int32_t FromPage() const { return FFromPage; }
    void SetFromPage(int32_t Value) { FFromPage = Value; }
    int32_t ToPage() const { return FToPage; }
    void SetToPage(int32_t Value) { FToPage = Value; }
    int32_t MinPage() const { return FMinPage; }
    void SetMinPage(int32_t Value) { FMinPage = Value; }
    int32_t MaxPage() const { return FMaxPage; }
    void SetMaxPage(int32_t Value) { FMaxPage = Value; }
    int32_t Copies() const { return FCopies; }
    void SetCopies(int32_t Value) { FCopies = Value; }

    bool Execute() override;

private:
    TPrintDialogOptions FOptions;
    TPrintRange FPrintRange = prAllPages;
    int32_t FFromPage = 0, FToPage = 0, FMinPage = 0, FMaxPage = 0, FCopies = 0;
};

class QEL_GUI_EXPORT TFontDialog : public TCommonDialog {
    Q_OBJECT
public:
    enum TFontDialogDevice { fdScreen, fdPrinter, fdBoth };
    Q_ENUM(TFontDialogDevice)
    enum TFontDialogOption { fdAnsiOnly = 0x1, fdTrueTypeOnly = 0x2, fdEffects = 0x4, fdFixedPitchOnly = 0x8,
                             fdForceFontExist = 0x10, fdLimitSize = 0x20, fdScalableOnly = 0x40,
                             fdNoFaceSel = 0x80, fdNoOEMFonts = 0x100, fdNoSimulations = 0x200,
                             fdNoSizeSel = 0x400, fdNoStyleSel = 0x800, fdNoVectorFonts = 0x1000,
                             fdShowHelp = 0x2000, fdWysiwyg = 0x4000, fdApplyButton = 0x8000 };
    Q_DECLARE_FLAGS(TFontDialogOptions, TFontDialogOption)
    Q_FLAG(TFontDialogOptions)

private:
    Q_PROPERTY(TFont* Font READ Font)
    Q_PROPERTY(TFontDialogDevice Device READ Device WRITE SetDevice)
    Q_PROPERTY(int32_t MinFontSize READ MinFontSize WRITE SetMinFontSize)
    Q_PROPERTY(int32_t MaxFontSize READ MaxFontSize WRITE SetMaxFontSize)
    Q_PROPERTY(TFontDialogOptions Options READ Options WRITE SetOptions)
    Q_CLASSINFO("default:Device", "fdScreen")
    Q_CLASSINFO("default:MinFontSize", "0")
    Q_CLASSINFO("default:MaxFontSize", "0")
    Q_CLASSINFO("default:Options", "fdEffects")

public:
    Q_INVOKABLE explicit TFontDialog(TComponent* AOwner);
    ~TFontDialog() override;

    TFont* Font() const { return FFont.get(); }
    TFontDialogDevice Device() const { return FDevice; }
    void SetDevice(TFontDialogDevice Value) { FDevice = Value; }
    int32_t MinFontSize() const { return FMinFontSize; }
    void SetMinFontSize(int32_t Value) { FMinFontSize = Value; }
    int32_t MaxFontSize() const { return FMaxFontSize; }
    void SetMaxFontSize(int32_t Value) { FMaxFontSize = Value; }
    TFontDialogOptions Options() const { return FOptions; }
    void SetOptions(TFontDialogOptions Value) { FOptions = Value; }
    // Qt has one font list for screen and printer. Printed output needs scalable fonts, so
    // fdPrinter, fdBoth, fdScalableOnly, fdTrueTypeOnly and fdWysiwyg offer scalable fonts only;
    // fdFixedPitchOnly offers fixed-pitch ones. The other options have no Qt counterpart and are
    // only kept; fdLimitSize bounds the size chosen.
    bool ScalableOnly() const;
    bool FixedPitchOnly() const { return FOptions.testFlag(fdFixedPitchOnly); }

    bool Execute() override;

private:
    bool SizeAllowed(int32_t Size) const;
    bool FamilyAllowed(const String& Name) const;

    std::unique_ptr<TFont> FFont;
    TFontDialogDevice FDevice = fdScreen;
    int32_t FMinFontSize = 0, FMaxFontSize = 0;
    TFontDialogOptions FOptions = fdEffects;
};

class QEL_GUI_EXPORT TColorDialog : public TCommonDialog {
    Q_OBJECT
public:
    enum TColorDialogOption { cdFullOpen = 0x1, cdPreventFullOpen = 0x2, cdShowHelp = 0x4, cdSolidColor = 0x8,
                              cdAnyColor = 0x10 };
    Q_DECLARE_FLAGS(TColorDialogOptions, TColorDialogOption)
    Q_FLAG(TColorDialogOptions)

private:
    Q_PROPERTY(int32_t Color READ Color WRITE SetColor)
    Q_PROPERTY(TColorDialogOptions Options READ Options WRITE SetOptions)
    Q_PROPERTY(qel::TStrings* CustomColors READ CustomColors)
    Q_CLASSINFO("default:Color", "0")
    Q_CLASSINFO("default:Options", "")

public:
    Q_INVOKABLE explicit TColorDialog(TComponent* AOwner);
    ~TColorDialog() override;

    TColor Color() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }
    // Qt's dialog always shows its custom-colour part and has no help button or dithering, so
    // cdFullOpen, cdPreventFullOpen, cdShowHelp and cdAnyColor are only kept; cdSolidColor
    // returns plain RGB (a system colour becomes its present RGB value).
    TColorDialogOptions Options() const { return FOptions; }
    void SetOptions(TColorDialogOptions Value) { FOptions = Value; }
    // Lines "ColorA=BBGGRR" .. "ColorP=BBGGRR" (hex TColor): the dialog's 16 custom colours,
    // given to it and updated from it when it is confirmed.
    TStrings* CustomColors() const { return FCustomColors.get(); }

    bool Execute() override;

private:
    TColor FColor = clBlack;
    TColorDialogOptions FOptions;
    std::unique_ptr<TStringList> FCustomColors;
};

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : uint32_t { mbYes = 0x1, mbNo = 0x2, mbOK = 0x4, mbCancel = 0x8, mbAbort = 0x10, mbRetry = 0x20,
                             mbIgnore = 0x40, mbAll = 0x80 };
using TMsgDlgButtons = uint32_t;  // an or-ed set of TMsgDlgBtn

QEL_GUI_EXPORT void ShowMessage(const String& Text);
QEL_GUI_EXPORT TModalResult MessageDlg(const String& Text, TMsgDlgType Type, TMsgDlgButtons Buttons,
                                       int32_t HelpCtx = 0);

}  // namespace qel

Q_DECLARE_OPERATORS_FOR_FLAGS(qel::TOpenDialog::TOpenOptions)
Q_DECLARE_OPERATORS_FOR_FLAGS(qel::TPrintDialog::TPrintDialogOptions)
Q_DECLARE_OPERATORS_FOR_FLAGS(qel::TFontDialog::TFontDialogOptions)
Q_DECLARE_OPERATORS_FOR_FLAGS(qel::TColorDialog::TColorDialogOptions)
