#pragma once
// Labels, buttons, edits, memos and list boxes.
#include "framework/core/Strings.h"
#include "framework/gui/Controls.h"

#include <memory>

namespace qel {

class QEL_GUI_EXPORT TCustomLabel : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(qel::TControl::TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(bool ShowAccelChar READ ShowAccelChar WRITE SetShowAccelChar)
    Q_PROPERTY(TWinControl* FocusControl READ FocusControl WRITE SetFocusControl)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
    Q_PROPERTY(qel::TControl::TTextLayout Layout READ Layout WRITE SetLayout)
    Q_CLASSINFO("default:Alignment", "taLeftJustify")
    Q_CLASSINFO("default:AutoSize", "true")
    Q_CLASSINFO("default:ShowAccelChar", "true")
    Q_CLASSINFO("default:Transparent", "false")
    Q_CLASSINFO("default:WordWrap", "false")
    Q_CLASSINFO("default:Layout", "tlTop")

public:
    Q_INVOKABLE explicit TCustomLabel(TComponent* AOwner);

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool Value);
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout Value);

protected:
    void Paint() override;
    void TextChanged() override;
    void FontChanged() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void AdjustBounds();
    uint32_t TextFlags() const;

private:
    TAlignment FAlignment = taLeftJustify;
    bool FAutoSize = true;
    bool FShowAccelChar = true;
    TWinControl* FFocusControl = nullptr;
    bool FTransparent = false;
    bool FWordWrap = false;
    TTextLayout FLayout = tlTop;
};

class QEL_GUI_EXPORT TLabel : public TCustomLabel {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TLabel(TComponent* AOwner);
};

class QEL_GUI_EXPORT TButton : public TCustomControl {
    Q_OBJECT
    Q_PROPERTY(bool Default READ Default WRITE SetDefault)
    Q_PROPERTY(bool Cancel READ Cancel WRITE SetCancel)
    Q_PROPERTY(int32_t ModalResult READ ModalResult WRITE SetModalResult)
    Q_CLASSINFO("default:Default", "false")
    Q_CLASSINFO("default:Cancel", "false")
    Q_CLASSINFO("default:ModalResult", "0")
    Q_CLASSINFO("default:TabStop", "true")

public:
    Q_INVOKABLE explicit TButton(TComponent* AOwner);

    bool Default() const { return FDefault; }
    void SetDefault(bool Value);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool Value) { FCancel = Value; }
    int32_t ModalResult() const { return FModalResult; }
    void SetModalResult(int32_t Value) { FModalResult = Value; }
    // Sets the parent form's ModalResult (when this one is set), then OnClick.
    void Click() override;

protected:
    void Paint() override;
    void KeyPress(char& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
    virtual void PaintFace(const TRect& Face);
    bool Pressed() const { return FPressed; }

private:
    bool FDefault = false;
    bool FCancel = false;
    int32_t FModalResult = 0;
    bool FPressed = false;
};

// Enter and Escape not consumed by the focused control click the form's Default or Cancel button
// (Enter on a focused button clicks that one). True when a button was clicked.
bool ButtonDialogKey(TWinControl* Focused, uint16_t Key);

class TTextView;
struct TEditRules;
class TTimer;

// What an edit and a memo share: caret, selection, clipboard, undo, the blinking caret and the
// selection shown in the highlight colours.
class QEL_GUI_EXPORT TCustomEdit : public TCustomControl {
    Q_OBJECT
    Q_PROPERTY(bool HideSelection READ HideSelection WRITE SetHideSelection)
    Q_CLASSINFO("default:HideSelection", "true")

public:
    explicit TCustomEdit(TComponent* AOwner);
    ~TCustomEdit() override;

    // Byte offsets into Text, on character boundaries.
    int32_t SelStart() const;
    void SetSelStart(int32_t Value);
    int32_t SelLength() const;
    void SetSelLength(int32_t Value);
    String SelText() const;
    void SetSelText(const String& Value);  // replaces the selection, as typing does
    TPoint CaretPos() const;               // X: byte column, Y: line of the text
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool Value);
    void SelectAll();
    void ClearSelection();  // deletes the selected text
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    bool CanUndo() const;
    void Undo();
    void ClearUndo();
    // Where the caret shows (client coordinates, one pixel wide), for hosts and tests.
    TRect CaretRect();
    // Milliseconds of one caret blink phase for all edits; 0 keeps the caret shown.
    static void SetCaretBlinkTime(uint32_t Milliseconds);

    TNotifyEvent OnChange;

protected:
    virtual void GetRules(TEditRules& Rules) const = 0;
    virtual TRect TextArea() = 0;  // inside the frame (and a memo's scroll bars)
    TTextView& View() const { return *FView; }
    // Lays the text out for the control's font and area; every use of the view starts here.
    void PrepareView();
    void AfterEdit(bool Changed);  // scrolls to the caret, repaints, applies a change
    void PaintText();
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void TextInput(const String& Utf8) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
    void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
    void DoEnter() override;
    void DoExit() override;
    void TextChanged() override;

private:
    void RestartBlink();
    void Blink();

    std::unique_ptr<TTextView> FView;
    std::unique_ptr<TTimer> FBlink;
    bool FCaretOn = true;
    bool FApplying = false;
    bool FSelecting = false;
    bool FEatPress = false;
    bool FHideSelection = true;
};

class QEL_GUI_EXPORT TEdit : public TCustomEdit {
    Q_OBJECT
    Q_PROPERTY(String Caption READ Caption WRITE SetCaption STORED false)
    Q_PROPERTY(String Text READ Text WRITE SetText)
    Q_PROPERTY(int32_t MaxLength READ MaxLength WRITE SetMaxLength)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(int32_t PasswordChar READ PasswordChar WRITE SetPasswordChar)
    Q_CLASSINFO("default:MaxLength", "0")
    Q_CLASSINFO("default:ReadOnly", "false")
    Q_CLASSINFO("default:PasswordChar", "0")
    Q_CLASSINFO("default:TabStop", "true")
    Q_CLASSINFO("default:Color", "-2147483643")  // clWindow

public:
    Q_INVOKABLE explicit TEdit(TComponent* AOwner);

    int32_t MaxLength() const { return FMaxLength; }  // 0: no limit; in characters
    void SetMaxLength(int32_t Value) { FMaxLength = Value < 0 ? 0 : Value; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    char PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(int32_t Value);

protected:
    void Paint() override;
    void GetRules(TEditRules& Rules) const override;
    TRect TextArea() override;

private:
    int32_t FMaxLength = 0;
    bool FReadOnly = false;
    char FPasswordChar = 0;
};

struct TPaintedScrollBar;
class TScrollRepeat;

// The multi-line edit: wrapping, painted scroll bars, the wheel and Return; where its lines come
// from is the subclass's (TMemo keeps a string list, TRichEdit in ComCtrls.h reads its text).
class QEL_GUI_EXPORT TCustomMemo : public TCustomEdit {
    Q_OBJECT
public:
    enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
    Q_ENUM(TScrollStyle)

    explicit TCustomMemo(TComponent* AOwner);

    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool Value) { FWantTabs = Value; }
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool Value) { FWantReturns = Value; }
    // The first visible line (of the wrapped lines) and the text's horizontal scroll in pixels.
    int32_t TopLine();
    void SetTopLine(int32_t Value);
    int32_t ScrollLeft();
    void SetScrollLeft(int32_t Value);
    int32_t VisibleLineCount();
    int32_t LineCount();  // wrapped lines
    // The painted bars (empty bounds when not shown), laid out for the current text.
    TPaintedScrollBar VertScrollBar();
    TPaintedScrollBar HorzScrollBar();

protected:
    void Paint() override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
    void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
    bool DoMouseWheel(TShiftState Shift, int32_t WheelDelta, int32_t X, int32_t Y) override;
    bool WantTabKey() const override { return FWantTabs; }
    void GetRules(TEditRules& Rules) const override;
    TRect TextArea() override;

private:
    bool ShowsVert() const { return FScrollBars == ssVertical || FScrollBars == ssBoth; }
    bool ShowsHorz() const { return FScrollBars == ssHorizontal || FScrollBars == ssBoth; }
    TRect InnerRect() const;  // inside the frame
    void ScrollBy(bool Vertical, int32_t Delta);
    void ScrollTo(bool Vertical, int32_t Position);
    bool FWordWrap = true;
    TScrollStyle FScrollBars = ssNone;
    bool FReadOnly = false;
    bool FWantTabs = false;
    bool FWantReturns = true;
    int FThumbDrag = 0;  // 1 vertical, 2 horizontal thumb held
    int32_t FThumbGrab = 0;  // where in the thumb it was taken
    std::shared_ptr<TScrollRepeat> FBarRepeat;  // a held arrow or trough
};

// The text of a memo is its lines joined with line breaks; Lines and Text follow each other.
class QEL_GUI_EXPORT TMemo : public TCustomMemo {
    Q_OBJECT
    Q_PROPERTY(String Caption READ Caption WRITE SetCaption STORED false)
    Q_PROPERTY(qel::TStrings* Lines READ Lines)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
    Q_PROPERTY(qel::TCustomMemo::TScrollStyle ScrollBars READ ScrollBars WRITE SetScrollBars)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(bool WantTabs READ WantTabs WRITE SetWantTabs)
    Q_PROPERTY(bool WantReturns READ WantReturns WRITE SetWantReturns)
    Q_CLASSINFO("default:WordWrap", "true")
    Q_CLASSINFO("default:ScrollBars", "ssNone")
    Q_CLASSINFO("default:ReadOnly", "false")
    Q_CLASSINFO("default:WantTabs", "false")
    Q_CLASSINFO("default:WantReturns", "true")
    Q_CLASSINFO("default:TabStop", "true")
    Q_CLASSINFO("default:Color", "-2147483643")  // clWindow

public:
    Q_INVOKABLE explicit TMemo(TComponent* AOwner);
    ~TMemo() override;

    TStrings* Lines() const;

protected:
    void TextChanged() override;

private:
    void LinesChanged();
    std::unique_ptr<TStringList> FLines;
    bool FSyncing = false;
};
using enum TCustomMemo::TScrollStyle;

// Owner-draw state of a list item or a grid cell.
enum TOwnerDrawStateItem { odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault };
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;
using TDrawItemEvent =
    std::function<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = std::function<void(TWinControl* Control, int Index, int32_t& Height)>;

class TListBoxStrings;

// A list painted through its canvas, so owner drawing sees exactly the pixels it draws.
class QEL_GUI_EXPORT TCustomListBox : public TCustomControl {
    Q_OBJECT
public:
    enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
    Q_ENUM(TListBoxStyle)

private:
    Q_PROPERTY(TStrings* Items READ Items WRITE SetItems)
    Q_PROPERTY(int32_t ItemIndex READ ItemIndex WRITE SetItemIndex STORED false)
    Q_PROPERTY(int32_t ItemHeight READ ItemHeight WRITE SetItemHeight)
    Q_PROPERTY(TListBoxStyle Style READ Style WRITE SetStyle)
    Q_PROPERTY(bool Sorted READ Sorted WRITE SetSorted)
    Q_PROPERTY(bool MultiSelect READ MultiSelect WRITE SetMultiSelect)
    Q_PROPERTY(qel::TControl::TFormBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_CLASSINFO("default:ItemHeight", "16")
    Q_CLASSINFO("default:Style", "lbStandard")
    Q_CLASSINFO("default:Sorted", "false")
    Q_CLASSINFO("default:MultiSelect", "false")
    Q_CLASSINFO("default:BorderStyle", "bsSingle")
    Q_CLASSINFO("default:Color", "-2147483643")  // clWindow
    Q_CLASSINFO("default:TabStop", "true")

public:
    Q_INVOKABLE explicit TCustomListBox(TComponent* AOwner);
    ~TCustomListBox() override;

    TStrings* Items() const;
    void SetItems(TStrings* Value);
    int32_t ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int32_t Value);
    int32_t ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int32_t Value);
    TListBoxStyle Style() const { return FStyle; }
    void SetStyle(TListBoxStyle Value);
    bool Sorted() const;
    void SetSorted(bool Value);
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool Value);
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);
    bool Selected(int Index) const;  // EListError out of range
    void SetSelected(int Index, bool Value);
    int SelCount() const;            // -1 unless MultiSelect, as the classic list
    int32_t TopIndex() const { return FTopIndex; }
    void SetTopIndex(int32_t Value);
    int ItemAtPos(TPoint Pos, bool Existing) const;  // -1 (or Count) outside the items
    TRect ItemRect(int Index) const;
    void Clear();

    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
    int32_t HeightOf(int Index) const;

private:
    friend class TListBoxStrings;
    void ItemsChanging();
    void ItemsChanged();
    void SelectByUser(int Index, TShiftState Shift);
    void MakeVisible(int Index);

    std::unique_ptr<TListBoxStrings> FItems;
    std::vector<char> FSelected;  // one flag per item
    // The selection by text while the items change, to find it again afterwards.
    std::vector<std::pair<String, char>> FSnapshot;
    String FIndexText;
    int FIndexOccurrence = -1;
    int32_t FItemIndex = -1;
    int32_t FItemHeight = 16;
    TListBoxStyle FStyle = lbStandard;
    bool FMultiSelect = false;
    TFormBorderStyle FBorderStyle = bsSingle;
    int32_t FTopIndex = 0;
    int FAnchor = -1;
};

using enum TCustomListBox::TListBoxStyle;
using TListBoxStyle = TCustomListBox::TListBoxStyle;

class QEL_GUI_EXPORT TListBox : public TCustomListBox {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TListBox(TComponent* AOwner);
};

}  // namespace qel
