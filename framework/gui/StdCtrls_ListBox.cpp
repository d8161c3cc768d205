// TCustomListBox/TListBox.
#include "framework/core/Exceptions.h"
#include "framework/gui/StdCtrls.h"

#include <algorithm>

namespace qel {

class TListBoxStrings : public TStringList {};

TCustomListBox::TCustomListBox(TComponent* AOwner) : TCustomControl(AOwner), FItems(new TListBoxStrings)
{
    SetBounds(0, 0, 121, 97);
    SetColor(clWindow);
    SetTabStop(true);
    FItems->OnChanging = [this](TObject*) { ItemsChanging(); };
    FItems->OnChange = [this](TObject*) { ItemsChanged(); };
}

TCustomListBox::~TCustomListBox() = default;

TStrings* TCustomListBox::Items() const { return FItems.get(); }

void TCustomListBox::SetItems(TStrings* Value) { FItems->Assign(Value); }

void TCustomListBox::ItemsChanging()
{
    FSnapshot.clear();
    const int n = std::min(FItems->Count(), static_cast<int>(FSelected.size()));
    for (int i = 0; i < n; ++i) FSnapshot.emplace_back(FItems->Get(i), FSelected[i]);
    if (FItemIndex >= n) FItemIndex = -1;
    FIndexText = FItemIndex >= 0 ? FItems->Get(FItemIndex) : String();
    FIndexOccurrence = -1;
    for (int i = 0; i <= FItemIndex; ++i)
        if (FItems->Get(i) == FIndexText) ++FIndexOccurrence;
}

// Items may have moved (insertion, deletion, sorting): the selection follows its text.
void TCustomListBox::ItemsChanged()
{
    const int n = FItems->Count();
    std::vector<char> used(FSnapshot.size(), 0);
    FSelected.assign(n, 0);
    int occurrence = -1;
    const int32_t oldIndex = FItemIndex;
    FItemIndex = -1;
    for (int i = 0; i < n; ++i) {
        const String s = FItems->Get(i);
        for (size_t j = 0; j < FSnapshot.size(); ++j)
            if (!used[j] && FSnapshot[j].first == s) {
                used[j] = 1;
                FSelected[i] = FSnapshot[j].second;
                break;
            }
        if (oldIndex >= 0 && s == FIndexText && ++occurrence == FIndexOccurrence) FItemIndex = i;
    }
    FSnapshot.clear();
    FTopIndex = std::clamp(FTopIndex, 0, std::max(n - 1, 0));
    Invalidate();
}

void TCustomListBox::SetItemIndex(int32_t Value)
{
    if (Value < -1 || Value >= FItems->Count()) Value = -1;
    FItemIndex = Value;
    if (!FMultiSelect) std::fill(FSelected.begin(), FSelected.end(), 0);
    if (Value >= 0) {
        if (!FMultiSelect) FSelected[Value] = 1;
        MakeVisible(Value);
    }
    Invalidate();
}

void TCustomListBox::SetItemHeight(int32_t Value)
{
    if (Value <= 0) return;
    FItemHeight = Value;
    Invalidate();
}

void TCustomListBox::SetStyle(TListBoxStyle Value)
{
    FStyle = Value;
    Invalidate();
}

bool TCustomListBox::Sorted() const { return FItems->Sorted(); }

void TCustomListBox::SetSorted(bool Value)
{
    if (Value == FItems->Sorted()) return;
    // Sorting moves items without a change notice: keep the selection by text around it.
    ItemsChanging();
    FItems->SetSorted(Value);
    ItemsChanged();
}

void TCustomListBox::SetMultiSelect(bool Value)
{
    FMultiSelect = Value;
    SetItemIndex(FItemIndex);
}

void TCustomListBox::SetBorderStyle(TFormBorderStyle Value)
{
    if (Value != bsNone) Value = bsSingle;
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    RecreateWnd();
    ResizeImage();
    Invalidate();
}

void TCustomListBox::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    if (FBorderStyle == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

bool TCustomListBox::Selected(int Index) const
{
    if (Index < 0 || Index >= FItems->Count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FSelected[Index] != 0;
}

void TCustomListBox::SetSelected(int Index, bool Value)
{
    Selected(Index);
    if (!FMultiSelect) {
        if (Value) SetItemIndex(Index);
        else if (Index == FItemIndex) SetItemIndex(-1);
        return;
    }
    FSelected[Index] = Value ? 1 : 0;
    Invalidate();
}

int TCustomListBox::SelCount() const
{
    if (!FMultiSelect) return -1;
    return static_cast<int>(std::count(FSelected.begin(), FSelected.end(), 1));
}

void TCustomListBox::SetTopIndex(int32_t Value)
{
    FTopIndex = std::clamp(Value, 0, std::max(FItems->Count() - 1, 0));
    Invalidate();
}

void TCustomListBox::Clear() { FItems->Clear(); }

int32_t TCustomListBox::HeightOf(int Index) const
{
    int32_t h = FItemHeight;
    if (FStyle == lbOwnerDrawVariable && OnMeasureItem)
        OnMeasureItem(const_cast<TCustomListBox*>(this), Index, h);
    return h;
}

TRect TCustomListBox::ItemRect(int Index) const
{
    int32_t y = 0;
    for (int i = FTopIndex; i < Index; ++i) y += HeightOf(i);
    for (int i = Index; i < FTopIndex; ++i) y -= HeightOf(i);
    return Rect(0, y, ClientWidth(), y + HeightOf(Index));
}

int TCustomListBox::ItemAtPos(TPoint Pos, bool Existing) const
{
    const int n = FItems->Count();
    if (Pos.X < 0 || Pos.X >= ClientWidth() || Pos.Y < 0) return Existing ? -1 : n;
    int32_t y = 0;
    for (int i = FTopIndex; i < n; ++i) {
        y += HeightOf(i);
        if (Pos.Y < y) return i;
    }
    return Existing ? -1 : n;
}

void TCustomListBox::MakeVisible(int Index)
{
    if (Index < FTopIndex) {
        FTopIndex = Index;
        return;
    }
    while (FTopIndex < Index && ItemRect(Index).Bottom > ClientHeight()) ++FTopIndex;
}

void TCustomListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State)
{
    TCanvas* c = Canvas();
    if (FStyle != lbStandard && OnDrawItem) {
        OnDrawItem(this, Index, Rect, State);
        return;
    }
    const bool sel = State.Contains(odSelected);
    c->Brush()->SetColor(sel ? clHighlight : Color());
    c->FillRect(Rect);
    c->Font()->Assign(Font());
    if (sel) c->Font()->SetColor(clHighlightText);
    c->Brush()->SetStyle(bsClear);
    TRect r = Rect;
    r.Left += 2;
    c->DrawText(FItems->Get(Index), r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void TCustomListBox::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetColor(Color());
    c->FillRect(ClientRect());
    for (int i = FTopIndex; i < FItems->Count(); ++i) {
        const TRect r = ItemRect(i);
        if (r.Top >= ClientHeight()) break;
        TOwnerDrawState state;
        if (i < static_cast<int>(FSelected.size()) && FSelected[i]) state.Include(odSelected);
        if (i == FItemIndex && Focused()) state.Include(odFocused);
        if (!Enabled()) state.Include(odDisabled);
        DrawItem(i, r, state);
    }
}

void TCustomListBox::SelectByUser(int Index, TShiftState Shift)
{
    if (!FMultiSelect || (!Shift.Contains(ssCtrl) && !Shift.Contains(ssShift))) {
        if (FMultiSelect) std::fill(FSelected.begin(), FSelected.end(), 0);
        if (FMultiSelect) FSelected[Index] = 1;
        FAnchor = Index;
        SetItemIndex(Index);
        return;
    }
    if (Shift.Contains(ssShift) && FAnchor >= 0) {
        std::fill(FSelected.begin(), FSelected.end(), 0);
        for (int i = std::min(FAnchor, Index); i <= std::max(FAnchor, Index); ++i) FSelected[i] = 1;
    } else {
        FSelected[Index] = FSelected[Index] ? 0 : 1;
        FAnchor = Index;
    }
    SetItemIndex(Index);
}

void TCustomListBox::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)
{
    if (Button == mbLeft) {
        const int i = ItemAtPos(Point(X, Y), true);
        if (i >= 0) SelectByUser(i, Shift);
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomListBox::KeyDown(uint16_t& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    const int n = FItems->Count();
    if (n == 0) return;
    int next = -1;
    if (Key == VK_UP) next = std::max(FItemIndex - 1, 0);
    else if (Key == VK_DOWN) next = std::min(FItemIndex + 1, n - 1);
    else if (Key == VK_HOME) next = 0;
    else if (Key == VK_END) next = n - 1;
    if (next < 0) return;
    Key = 0;
    if (next == FItemIndex) return;
    SelectByUser(next, Shift);
    Click();
}

TListBox::TListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}

QEL_REGISTER_CLASS(TCustomListBox);
QEL_REGISTER_CLASS(TListBox);

}  // namespace qel
