// TCustomGrid, part: the mouse. Clicks select cells; the scroll bars scroll; in the fixed cells a
// grid line resizes (goColSizing, goRowSizing) and a dragged cell moves its column or row
// (goColMoving, goRowMoving).
#include "framework/gui/Grids.h"

#include <cstdlib>

namespace qel {

// A grid line right of a column, within the fixed rows.
int32_t TCustomGrid::ColumnEdgeAt(int32_t X, int32_t Y) const
{
    if (!(FOptions & goColSizing) || FFixedRows == 0 || Y >= CellRect(0, FFixedRows - 1).Bottom) return -1;
    for (const auto& [c, left] : Shown(true, Layout().CellsWidth))
        if (std::abs(X - (left + FColWidths[c])) <= 2) return c;
    return -1;
}

// A grid line below a row, within the fixed columns.
int32_t TCustomGrid::RowEdgeAt(int32_t X, int32_t Y) const
{
    if (!(FOptions & goRowSizing) || FFixedCols == 0 || X >= CellRect(FFixedCols - 1, 0).Right) return -1;
    for (const auto& [r, top] : Shown(false, Layout().CellsHeight))
        if (std::abs(Y - (top + FRowHeights[r])) <= 2) return r;
    return -1;
}

bool TCustomGrid::StartFixedCellDrag(int32_t X, int32_t Y)
{
    if ((FDragIndex = ColumnEdgeAt(X, Y)) >= 0) {
        FDrag = TDrag::SizeCol;
        return true;
    }
    if ((FDragIndex = RowEdgeAt(X, Y)) >= 0) {
        FDrag = TDrag::SizeRow;
        return true;
    }
    int32_t col = -1, row = -1;
    MouseToCell(X, Y, col, row);
    if (col < 0 || row < 0) return false;
    if ((FOptions & goColMoving) && row < FFixedRows && col >= FFixedCols) {
        FDrag = TDrag::MoveCol;
        FDragIndex = col;
    } else if ((FOptions & goRowMoving) && col < FFixedCols && row >= FFixedRows) {
        FDrag = TDrag::MoveRow;
        FDragIndex = row;
    } else {
        return false;
    }
    return true;
}

// Dropped on another non-fixed column (row), the dragged one takes its place.
void TCustomGrid::EndFixedCellDrag(int32_t X, int32_t Y)
{
    int32_t col = -1, row = -1;
    MouseToCell(X, Y, col, row);
    if (FDrag == TDrag::MoveCol && col >= 0 && col != FDragIndex)
        MoveColumn(FDragIndex, std::max(col, FFixedCols));
    else if (FDrag == TDrag::MoveRow && row >= 0 && row != FDragIndex)
        MoveRow(FDragIndex, std::max(row, FFixedRows));
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)
{
    FDrag = TDrag::None;
    if (Button == mbLeft && (ScrollBarMouseDown(X, Y) || StartFixedCellDrag(X, Y))) {
        TCustomControl::MouseDown(Button, Shift, X, Y);
        return;
    }
    int32_t col = -1, row = -1;
    MouseToCell(X, Y, col, row);
    if (Button == mbLeft && col >= FFixedCols && row >= FFixedRows)
        FocusCell(col, row, !Shift.Contains(ssShift));
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::MouseMove(TShiftState Shift, int32_t X, int32_t Y)
{
    switch (FDrag) {
    case TDrag::SizeCol: SetColWidths(FDragIndex, X - CellRect(FDragIndex, 0).Left); break;
    case TDrag::SizeRow: SetRowHeights(FDragIndex, Y - CellRect(0, FDragIndex).Top); break;
    case TDrag::VThumb:
    case TDrag::HThumb: TrackThumb(X, Y); break;
    default: break;
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)
{
    if (Button == mbLeft) EndFixedCellDrag(X, Y);
    if (Button == mbLeft && FBarRepeat) FBarRepeat->Stop();
    FDrag = TDrag::None;
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

}  // namespace qel
