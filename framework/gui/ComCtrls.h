#pragma once
// Rich edits, status bars and progress bars.
#include "framework/core/Strings.h"
#include "framework/core/TypedCollection.h"
#include "framework/gui/StdCtrls.h"

#include <memory>

namespace qel {

class TRichEdit;

// The lines of a rich edit are views on its text, which is kept exactly as loaded, so a plain
// text file saved again is the same file byte for byte.
class QEL_GUI_EXPORT TRichEditStrings : public TStrings {
    Q_OBJECT
public:
    explicit TRichEditStrings(TRichEdit* Edit) : FEdit(Edit) {}

    int Count() const override;
    String Get(int Index) const override;
    void Put(int Index, const String& S) override;
    void Insert(int Index, const String& S) override;
    void Delete(int Index) override;
    void Clear() override;
    String Text() const override;
    void SetText(const String& Value) override;

    // PlainText: the file's bytes unchanged. Otherwise a file starting with "{\rtf" is read as
    // RTF (its text lines) and saving writes RTF in the control's font.
    void LoadFromFile(const String& FileName);     // EFOpenError
    void SaveToFile(const String& FileName) const;  // EFCreateError

private:
    std::vector<String> Split() const;
    void Join(const std::vector<String>& Lines);
    TRichEdit* FEdit;
};

// A memo whose lines are read from its text as loaded (see TRichEditStrings).
class QEL_GUI_EXPORT TRichEdit : public TCustomMemo {
    Q_OBJECT
    Q_PROPERTY(String Caption READ Caption WRITE SetCaption STORED false)
    Q_PROPERTY(qel::TStrings* Lines READ LinesAsStrings)
    Q_PROPERTY(bool PlainText READ PlainText WRITE SetPlainText)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
    Q_PROPERTY(qel::TMemo::TScrollStyle ScrollBars READ ScrollBars WRITE SetScrollBars)
    Q_PROPERTY(bool WantTabs READ WantTabs WRITE SetWantTabs)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(bool WantReturns READ WantReturns WRITE SetWantReturns)
    Q_CLASSINFO("default:PlainText", "false")
    Q_CLASSINFO("default:WordWrap", "true")
    Q_CLASSINFO("default:ScrollBars", "ssNone")
    Q_CLASSINFO("default:WantTabs", "false")
    Q_CLASSINFO("default:ReadOnly", "false")
    Q_CLASSINFO("default:WantReturns", "true")
    Q_CLASSINFO("default:TabStop", "true")
    Q_CLASSINFO("default:Color", "-2147483643")  // clWindow

public:
    Q_INVOKABLE explicit TRichEdit(TComponent* AOwner);
    ~TRichEdit() override;

    TRichEditStrings* Lines() const { return FLines.get(); }
    TStrings* LinesAsStrings() const { return FLines.get(); }
    bool PlainText() const { return FPlainText; }
    void SetPlainText(bool Value) { FPlainText = Value; }
    // Prints the lines in the control's font, wrapped at the page width, as document Caption.
    void Print(const String& Caption);

protected:
    void GetRules(TEditRules& Rules) const override;

private:
    std::unique_ptr<TRichEditStrings> FLines;
    bool FPlainText = false;
};

class TStatusBar;

class QEL_GUI_EXPORT TStatusPanel : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(String Text READ Text WRITE SetText)
    Q_PROPERTY(int32_t Width READ Width WRITE SetWidth)
    Q_PROPERTY(qel::TControl::TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_CLASSINFO("default:Width", "50")
    Q_CLASSINFO("default:Alignment", "taLeftJustify")

public:
    Q_INVOKABLE explicit TStatusPanel(TCollection* Collection);

    String Text() const { return FText; }
    void SetText(const String& Value);
    int32_t Width() const { return FWidth; }
    void SetWidth(int32_t Value);
    TControl::TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TControl::TAlignment Value);
    void Assign(TPersistent* Source) override;

private:
    String FText;
    int32_t FWidth = 50;
    TControl::TAlignment FAlignment = taLeftJustify;
};

class QEL_GUI_EXPORT TStatusPanels : public TTypedCollection<TStatusPanel, TStatusBar> {
    Q_OBJECT
public:
    explicit TStatusPanels(TStatusBar* Bar) : TTypedCollection(Bar) {}

protected:
    void Update(TCollectionItem* Item) override;
};

// Panels side by side, the last one to the right edge; a simple bar shows SimpleText only.
class QEL_GUI_EXPORT TStatusBar : public TCustomControl {
    Q_OBJECT
    Q_PROPERTY(qel::TStatusPanels* Panels READ Panels)
    Q_PROPERTY(bool SimplePanel READ SimplePanel WRITE SetSimplePanel)
    Q_PROPERTY(String SimpleText READ SimpleText WRITE SetSimpleText)
    Q_PROPERTY(bool SizeGrip READ SizeGrip WRITE SetSizeGrip)
    Q_CLASSINFO("default:SimplePanel", "false")
    Q_CLASSINFO("default:SizeGrip", "true")
    Q_CLASSINFO("default:Align", "alBottom")

public:
    Q_INVOKABLE explicit TStatusBar(TComponent* AOwner);
    ~TStatusBar() override;

    TStatusPanels* Panels() const { return FPanels.get(); }
    bool SimplePanel() const { return FSimplePanel; }
    void SetSimplePanel(bool Value);
    String SimpleText() const { return FSimpleText; }
    void SetSimpleText(const String& Value);
    bool SizeGrip() const { return FSizeGrip; }
    void SetSizeGrip(bool Value);
    TRect PanelRect(int Index) const;  // in client coordinates

protected:
    void Paint() override;

private:
    std::unique_ptr<TStatusPanels> FPanels;
    bool FSimplePanel = false;
    String FSimpleText;
    bool FSizeGrip = true;
};

class QEL_GUI_EXPORT TProgressBar : public TCustomControl {
    Q_OBJECT
    Q_PROPERTY(int32_t Min READ Min WRITE SetMin)
    Q_PROPERTY(int32_t Max READ Max WRITE SetMax)
    Q_PROPERTY(int32_t Position READ Position WRITE SetPosition)
    Q_PROPERTY(int32_t Step READ Step WRITE SetStep)
    Q_CLASSINFO("default:Min", "0")
    Q_CLASSINFO("default:Max", "100")
    Q_CLASSINFO("default:Position", "0")
    Q_CLASSINFO("default:Step", "10")

public:
    Q_INVOKABLE explicit TProgressBar(TComponent* AOwner);

    int32_t Min() const { return FMin; }
    void SetMin(int32_t Value);
    int32_t Max() const { return FMax; }
    void SetMax(int32_t Value);
    int32_t Position() const { return FPosition; }
    void SetPosition(int32_t Value);  // kept within Min..Max
    int32_t Step() const { return FStep; }
    void SetStep(int32_t Value) { FStep = Value; }
    void StepIt();  // past Max starts again from Min
    void StepBy(int32_t Delta);

protected:
    void Paint() override;

private:
    int32_t FMin = 0, FMax = 100, FPosition = 0, FStep = 10;
};

}  // namespace qel
