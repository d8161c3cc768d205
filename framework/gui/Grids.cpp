// TCustomGrid, TDrawGrid, TStringGrid: sizes, selection, painting, editing in place, cells.
// Scrolling is in Grids_Scroll.cpp, the mouse in Grids_Mouse.cpp, moving rows and columns in Grids_Move.cpp.
#include "framework/gui/Grids.h"

#include "framework/core/Exceptions.h"
#include "framework/gui/ExtCtrls.h"

#include <algorithm>
#include <cstdlib>

namespace qel {

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner)
{
    FColWidths.assign(5, FDefaultColWidth);
    FRowHeights.assign(5, FDefaultRowHeight);
    SetBounds(0, 0, 320, 120);
    SetColor(clWindow);
    SetTabStop(true);
}

void TCustomGrid::SetColCount(int32_t Value)
{
    FColWidths.resize(std::max(Value, 1), FDefaultColWidth);
    FFixedCols = std::min(FFixedCols, ColCount() - 1);
    FocusCell(FCol, FRow, true, false);
    MoveTopLeft(FLeftCol, FTopRow);  // fewer columns may leave the view past the last one
}

void TCustomGrid::SetRowCount(int32_t Value)
{
    FRowHeights.resize(std::max(Value, 1), FDefaultRowHeight);
    FFixedRows = std::min(FFixedRows, RowCount() - 1);
    FocusCell(FCol, FRow, true, false);
    MoveTopLeft(FLeftCol, FTopRow);
}

void TCustomGrid::SetFixedCols(int32_t Value)
{
    FFixedCols = std::clamp(Value, 0, ColCount() - 1);
    FocusCell(FCol, FRow, true, false);
    MoveTopLeft(FLeftCol, FTopRow);
}

void TCustomGrid::SetFixedRows(int32_t Value)
{
    FFixedRows = std::clamp(Value, 0, RowCount() - 1);
    FocusCell(FCol, FRow, true, false);
    MoveTopLeft(FLeftCol, FTopRow);
}

void TCustomGrid::SetDefaultColWidth(int32_t Value)
{
    FDefaultColWidth = std::max(Value, 0);
    std::fill(FColWidths.begin(), FColWidths.end(), FDefaultColWidth);
    Invalidate();
}

void TCustomGrid::SetDefaultRowHeight(int32_t Value)
{
    FDefaultRowHeight = std::max(Value, 0);
    std::fill(FRowHeights.begin(), FRowHeights.end(), FDefaultRowHeight);
    Invalidate();
}

void TCustomGrid::SetColWidths(int Index, int32_t Value)
{
    FColWidths.at(Index) = std::max(Value, 0);
    MoveTopLeft(FLeftCol, FTopRow);
    Invalidate();
}

void TCustomGrid::SetRowHeights(int Index, int32_t Value)
{
    FRowHeights.at(Index) = std::max(Value, 0);
    MoveTopLeft(FLeftCol, FTopRow);
    Invalidate();
}

void TCustomGrid::SetFixedColor(TColor Value)
{
    FFixedColor = Value;
    Invalidate();
}

void TCustomGrid::SetOptions(TGridOptions Value)
{
    FOptions = Value;
    if (!(Value & goEditing)) FEditing = false;
    Invalidate();
}

TRect TCustomGrid::Selection() const
{
    if (FOptions & goRowSelect) return Rect(FFixedCols, std::min(FRow, FAnchorRow), ColCount() - 1, std::max(FRow, FAnchorRow));
    return Rect(std::min(FCol, FAnchorCol), std::min(FRow, FAnchorRow), std::max(FCol, FAnchorCol),
                std::max(FRow, FAnchorRow));
}

bool TCustomGrid::IsSelected(int32_t ACol, int32_t ARow) const
{
    const TRect s = Selection();
    return ACol >= s.Left && ACol <= s.Right && ARow >= s.Top && ARow <= s.Bottom;
}

void TCustomGrid::FocusCell(int32_t ACol, int32_t ARow, bool MoveAnchor, bool Show)
{
    ACol = std::clamp(ACol, FFixedCols, ColCount() - 1);
    ARow = std::clamp(ARow, FFixedRows, RowCount() - 1);
    if (ACol != FCol || ARow != FRow) {
        bool can = true;
        if (OnSelectCell) OnSelectCell(this, ACol, ARow, can);
        if (!can) return;
        CommitEdit();
    }
    FCol = ACol;
    FRow = ARow;
    if (MoveAnchor || !(FOptions & goRangeSelect)) {
        FAnchorCol = ACol;
        FAnchorRow = ARow;
    }
    if (Show) ScrollIntoView(FCol, FRow);
    Invalidate();
}

void TCustomGrid::DrawCell(int32_t ACol, int32_t ARow, const TRect& ARect, TOwnerDrawState State)
{
    if (OnDrawCell) OnDrawCell(this, ACol, ARow, ARect, State);
}

void TCustomGrid::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetColor(Color());
    c->FillRect(ClientRect());
    const TGridLayout L = Layout();
    const auto rows = Shown(false, L.CellsHeight), cols = Shown(true, L.CellsWidth);
    for (const auto& [r, top] : rows)
        for (const auto& [col, left] : cols)
            PaintCell(col, r, Rect(left, top, left + FColWidths[col], top + FRowHeights[r]));
    PaintScrollBars(L);
}

void TCustomGrid::PaintCell(int32_t ACol, int32_t ARow, const TRect& ARect)
{
    TCanvas* c = Canvas();
    const bool fixed = ACol < FFixedCols || ARow < FFixedRows;
    TOwnerDrawState state;
    if (fixed) state.Include(odDefault);
    if (!fixed && IsSelected(ACol, ARow)) state.Include(odSelected);
    if (ACol == FCol && ARow == FRow) state.Include(odFocused);
    const bool vline = fixed ? bool(FOptions & goFixedVertLine) : bool(FOptions & goVertLine);
    const bool hline = fixed ? bool(FOptions & goFixedHorzLine) : bool(FOptions & goHorzLine);
    c->Brush()->SetColor(clBlack);
    if (vline) c->FillRect(Rect(ARect.Right, ARect.Top, ARect.Right + 1, ARect.Bottom + 1));
    if (hline) c->FillRect(Rect(ARect.Left, ARect.Bottom, ARect.Right + 1, ARect.Bottom + 1));
    TRect inner = ARect;
    const bool sel = state.Contains(odSelected) && !(FEditing && ACol == FCol && ARow == FRow);
    c->Brush()->SetColor(fixed ? FFixedColor : sel ? clHighlight : Color());
    c->FillRect(inner);
    if (fixed) Frame3D(c, inner, clBtnHighlight, clBtnShadow, 1);
    c->Font()->Assign(Font());
    if (sel) c->Font()->SetColor(clHighlightText);
    DrawCell(ACol, ARow, ARect, state);
}

void TCustomGrid::KeyDown(uint16_t& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    if (FEditing && (Key == VK_RETURN || Key == VK_ESCAPE)) {
        if (Key == VK_RETURN) CommitEdit();
        FEditing = false;
        Key = 0;
        Invalidate();
        return;
    }
    if (Key == VK_F2 || (Key == VK_RETURN && (FOptions & goEditing))) {
        SetEditorMode(true);
        Key = 0;
        return;
    }
    if (NavigationKey(Key, Shift)) Key = 0;
}

void TCustomGrid::KeyPress(char& Key)
{
    TCustomControl::KeyPress(Key);
    if (!(FOptions & goEditing) || !CanEditCell() || Key == 0 || Key == '\r' || Key == 27) return;
    if (!FEditing) {
        FEditing = true;
        FEditText.clear();  // typing replaces the cell, as in the classic grid
    }
    if (Key == '\b') {
        if (!FEditText.empty()) FEditText.pop_back();
    } else if (static_cast<unsigned char>(Key) >= 32) {
        FEditText += Key;
    }
    Invalidate();
}

void TCustomGrid::SetEditorMode(bool Value)
{
    if (Value && (!(FOptions & goEditing) || !CanEditCell())) return;
    if (Value && !FEditing) FEditText = GetEditText(FCol, FRow);
    if (!Value) CommitEdit();
    FEditing = Value;
    Invalidate();
}

void TCustomGrid::CommitEdit()
{
    if (!FEditing) return;
    FEditing = false;
    SetEditText(FCol, FRow, FEditText);
}

String TCustomGrid::GetEditText(int32_t, int32_t) const { return String(); }

void TCustomGrid::SetEditText(int32_t, int32_t, const String&) {}

TDrawGrid::TDrawGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}

TStringGrid::TStringGrid(TComponent* AOwner) : TDrawGrid(AOwner), FCellText(new TStringList)
{
    FCellText->OnChange = [this](TObject*) { CellTextChanged(); };
}

String TStringGrid::Cells(int32_t ACol, int32_t ARow) const
{
    const auto it = FCells.find({ACol, ARow});
    return it == FCells.end() ? String() : it->second;
}

void TStringGrid::SetCell(int32_t ACol, int32_t ARow, const String& Value)
{
    if (Value.empty())
        FCells.erase({ACol, ARow});
    else
        FCells[{ACol, ARow}] = Value;
    Invalidate();
}

TStrings* TStringGrid::CellText() const
{
    auto* self = const_cast<TStringGrid*>(this);
    self->FWritingText = true;
    FCellText->BeginUpdate();
    FCellText->Clear();
    for (const auto& [key, text] : FCells)
        FCellText->Add(std::to_string(key.first) + "," + std::to_string(key.second) + "=" + text);
    FCellText->EndUpdate();
    self->FWritingText = false;
    return FCellText.get();
}

void TStringGrid::CellTextChanged()
{
    if (FWritingText) return;
    FCells.clear();
    for (int i = 0; i < FCellText->Count(); ++i) {
        const String line = FCellText->Get(i);
        const size_t comma = line.find(','), eq = line.find('=');
        if (comma == String::npos || eq == String::npos || eq < comma) continue;
        FCells[{std::atoi(line.substr(0, comma).c_str()), std::atoi(line.substr(comma + 1).c_str())}] =
            line.substr(eq + 1);
    }
    Invalidate();
}

namespace {

// One column or row of a string grid as lines. Adding fills the next empty cell from the last
// line added (from the first after Clear), so assigning a list sets the cells in order.
class TGridLineStrings final : public TStrings {
public:
    TGridLineStrings(TStringGrid* Grid, bool IsColumn, int32_t Index) : FGrid(Grid), FIsColumn(IsColumn), FIndex(Index) {}
    int Count() const override { return FIsColumn ? FGrid->RowCount() : FGrid->ColCount(); }
    String Get(int Index) const override
    {
        CheckIndex(Index, Count());
        return FIsColumn ? FGrid->Cells(FIndex, Index) : FGrid->Cells(Index, FIndex);
    }
    void Put(int Index, const String& S) override
    {
        CheckIndex(Index, Count());
        if (FIsColumn)
            FGrid->SetCell(FIndex, Index, S);
        else
            FGrid->SetCell(Index, FIndex, S);
    }
    int AddObject(const String& S, TObject*) override
    {
        while (FNext < Count() && !Get(FNext).empty()) ++FNext;
        if (FNext >= Count()) return -1;  // no room: the line keeps its length
        Put(FNext, S);
        return FNext++;
    }
    void Insert(int, const String&) override { throw EInvalidOperation("Grid lines cannot be inserted"); }
    void Delete(int) override { throw EInvalidOperation("Grid lines cannot be deleted"); }
    void Clear() override
    {
        for (int i = 0; i < Count(); ++i) Put(i, String());
        FNext = 0;
    }

private:
    TStringGrid* FGrid;
    bool FIsColumn;
    int32_t FIndex;
    int FNext = 0;
};

}  // namespace

TStrings* TStringGrid::Cols(int32_t Index) const
{
    if (Index < 0 || Index >= ColCount()) throw EListError("Grid index out of range");
    auto& line = FLines[{true, Index}];
    if (!line) line = std::make_unique<TGridLineStrings>(const_cast<TStringGrid*>(this), true, Index);
    return line.get();
}

TStrings* TStringGrid::Rows(int32_t Index) const
{
    if (Index < 0 || Index >= RowCount()) throw EListError("Grid index out of range");
    auto& line = FLines[{false, Index}];
    if (!line) line = std::make_unique<TGridLineStrings>(const_cast<TStringGrid*>(this), false, Index);
    return line.get();
}

void TStringGrid::DrawCell(int32_t ACol, int32_t ARow, const TRect& ARect, TOwnerDrawState State)
{
    TCanvas* c = Canvas();
    const bool editing = EditorMode() && ACol == Col() && ARow == Row();
    c->Brush()->SetStyle(bsClear);
    TRect r = ARect;
    r.Left += 2;
    c->DrawText(editing ? EditText() : Cells(ACol, ARow), r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    TDrawGrid::DrawCell(ACol, ARow, ARect, State);
}

QEL_REGISTER_CLASS(TCustomGrid);
QEL_REGISTER_CLASS(TDrawGrid);
QEL_REGISTER_CLASS(TStringGrid);

}  // namespace qel
