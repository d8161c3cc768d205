// TCustomGrid, TDrawGrid, TStringGrid.
#include "framework/gui/Grids.h"

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
    FocusCell(FCol, FRow, true);
}

void TCustomGrid::SetRowCount(int32_t Value)
{
    FRowHeights.resize(std::max(Value, 1), FDefaultRowHeight);
    FFixedRows = std::min(FFixedRows, RowCount() - 1);
    FocusCell(FCol, FRow, true);
}

void TCustomGrid::SetFixedCols(int32_t Value)
{
    FFixedCols = std::clamp(Value, 0, ColCount() - 1);
    FocusCell(FCol, FRow, true);
}

void TCustomGrid::SetFixedRows(int32_t Value)
{
    FFixedRows = std::clamp(Value, 0, RowCount() - 1);
    FocusCell(FCol, FRow, true);
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
    Invalidate();
}

void TCustomGrid::SetRowHeights(int Index, int32_t Value)
{
    FRowHeights.at(Index) = std::max(Value, 0);
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

// Cells lie side by side from the top-left corner; a line of one pixel closes each cell.
TRect TCustomGrid::CellRect(int32_t ACol, int32_t ARow) const
{
    int32_t x = 0, y = 0;
    for (int32_t c = 0; c < ACol; ++c) x += FColWidths[c] + 1;
    for (int32_t r = 0; r < ARow; ++r) y += FRowHeights[r] + 1;
    return Rect(x, y, x + FColWidths.at(ACol), y + FRowHeights.at(ARow));
}

void TCustomGrid::MouseToCell(int32_t X, int32_t Y, int32_t& ACol, int32_t& ARow) const
{
    auto find = [](const std::vector<int32_t>& Sizes, int32_t P) {
        int32_t edge = 0;
        for (size_t i = 0; i < Sizes.size(); ++i) {
            edge += Sizes[i] + 1;
            if (P < edge) return static_cast<int32_t>(i);
        }
        return -1;
    };
    ACol = X < 0 ? -1 : find(FColWidths, X);
    ARow = Y < 0 ? -1 : find(FRowHeights, Y);
}

void TCustomGrid::FocusCell(int32_t ACol, int32_t ARow, bool MoveAnchor)
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
    for (int32_t r = 0; r < RowCount(); ++r)
        for (int32_t col = 0; col < ColCount(); ++col) {
            const TRect cell = CellRect(col, r);
            if (cell.Left >= ClientWidth() || cell.Top >= ClientHeight()) continue;
            const bool fixed = col < FFixedCols || r < FFixedRows;
            TOwnerDrawState state;
            if (fixed) state.Include(odDefault);
            if (!fixed && IsSelected(col, r)) state.Include(odSelected);
            if (col == FCol && r == FRow) state.Include(odFocused);
            const bool vline = fixed ? bool(FOptions & goFixedVertLine) : bool(FOptions & goVertLine);
            const bool hline = fixed ? bool(FOptions & goFixedHorzLine) : bool(FOptions & goHorzLine);
            c->Brush()->SetColor(clBlack);
            if (vline) c->FillRect(Rect(cell.Right, cell.Top, cell.Right + 1, cell.Bottom + 1));
            if (hline) c->FillRect(Rect(cell.Left, cell.Bottom, cell.Right + 1, cell.Bottom + 1));
            TRect inner = cell;
            const bool sel = state.Contains(odSelected) && !(FEditing && col == FCol && r == FRow);
            c->Brush()->SetColor(fixed ? FFixedColor : sel ? clHighlight : Color());
            c->FillRect(inner);
            if (fixed) Frame3D(c, inner, clBtnHighlight, clBtnShadow, 1);
            c->Font()->Assign(Font());
            if (sel) c->Font()->SetColor(clHighlightText);
            DrawCell(col, r, cell, state);
        }
}

// With goColSizing, the grid line right of a column in the fixed rows can be dragged.
int32_t TCustomGrid::ColumnEdgeAt(int32_t X, int32_t Y) const
{
    if (!(FOptions & goColSizing) || FFixedRows == 0 || Y >= CellRect(0, FFixedRows - 1).Bottom) return -1;
    for (int32_t c = 0; c < ColCount(); ++c)
        if (std::abs(X - CellRect(c, 0).Right) <= 2) return c;
    return -1;
}

void TCustomGrid::MouseMove(TShiftState Shift, int32_t X, int32_t Y)
{
    if (FSizingCol >= 0) SetColWidths(FSizingCol, X - CellRect(FSizingCol, 0).Left);
    TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)
{
    FSizingCol = -1;
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)
{
    if (Button == mbLeft && (FSizingCol = ColumnEdgeAt(X, Y)) >= 0) {
        TCustomControl::MouseDown(Button, Shift, X, Y);
        return;
    }
    int32_t col = -1, row = -1;
    MouseToCell(X, Y, col, row);
    if (Button == mbLeft && col >= FFixedCols && row >= FFixedRows)
        FocusCell(col, row, !Shift.Contains(ssShift));
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::KeyDown(uint16_t& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    const bool anchor = !Shift.Contains(ssShift);
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
    int32_t dc = 0, dr = 0;
    if (Key == VK_LEFT) dc = -1;
    else if (Key == VK_RIGHT) dc = 1;
    else if (Key == VK_UP) dr = -1;
    else if (Key == VK_DOWN) dr = 1;
    if (!dc && !dr) return;
    Key = 0;
    FocusCell(FCol + dc, FRow + dr, anchor);
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
