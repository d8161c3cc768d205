// TCustomGrid, TDrawGrid, TStringGrid, part: moving a column or a row with its cells and size.
#include "framework/core/Exceptions.h"
#include "framework/gui/Grids.h"

#include <algorithm>

namespace qel {

namespace {

// Where index I ends up when the item at From is taken out and put in at To.
int32_t MovedIndex(int32_t I, int32_t From, int32_t To)
{
    if (I == From) return To;
    if (From < To && I > From && I <= To) return I - 1;
    if (From > To && I >= To && I < From) return I + 1;
    return I;
}

void MoveItem(std::vector<int32_t>& Items, int32_t From, int32_t To)
{
    const int32_t v = Items[From];
    Items.erase(Items.begin() + From);
    Items.insert(Items.begin() + To, v);
}

void CheckMove(int32_t From, int32_t To, int32_t Count)
{
    if (From < 0 || To < 0 || From >= Count || To >= Count) throw EInvalidOperation("Grid index out of range");
}

}  // namespace

void TCustomGrid::MoveColumn(int32_t FromIndex, int32_t ToIndex)
{
    CheckMove(FromIndex, ToIndex, ColCount());
    if (FromIndex == ToIndex) return;
    CommitEdit();
    MoveItem(FColWidths, FromIndex, ToIndex);
    FCol = std::max(MovedIndex(FCol, FromIndex, ToIndex), FFixedCols);
    FAnchorCol = std::max(MovedIndex(FAnchorCol, FromIndex, ToIndex), FFixedCols);
    ColumnMoved(FromIndex, ToIndex);
    Invalidate();
}

void TCustomGrid::MoveRow(int32_t FromIndex, int32_t ToIndex)
{
    CheckMove(FromIndex, ToIndex, RowCount());
    if (FromIndex == ToIndex) return;
    CommitEdit();
    MoveItem(FRowHeights, FromIndex, ToIndex);
    FRow = std::max(MovedIndex(FRow, FromIndex, ToIndex), FFixedRows);
    FAnchorRow = std::max(MovedIndex(FAnchorRow, FromIndex, ToIndex), FFixedRows);
    RowMoved(FromIndex, ToIndex);
    Invalidate();
}

void TDrawGrid::ColumnMoved(int32_t FromIndex, int32_t ToIndex)
{
    if (OnColumnMoved) OnColumnMoved(this, FromIndex, ToIndex);
}

void TDrawGrid::RowMoved(int32_t FromIndex, int32_t ToIndex)
{
    if (OnRowMoved) OnRowMoved(this, FromIndex, ToIndex);
}

void TStringGrid::ColumnMoved(int32_t FromIndex, int32_t ToIndex)
{
    std::map<std::pair<int32_t, int32_t>, String> moved;
    for (auto& [key, text] : FCells) moved[{MovedIndex(key.first, FromIndex, ToIndex), key.second}] = std::move(text);
    FCells.swap(moved);
    TDrawGrid::ColumnMoved(FromIndex, ToIndex);
}

void TStringGrid::RowMoved(int32_t FromIndex, int32_t ToIndex)
{
    std::map<std::pair<int32_t, int32_t>, String> moved;
    for (auto& [key, text] : FCells) moved[{key.first, MovedIndex(key.second, FromIndex, ToIndex)}] = std::move(text);
    FCells.swap(moved);
    TDrawGrid::RowMoved(FromIndex, ToIndex);
}

}  // namespace qel
