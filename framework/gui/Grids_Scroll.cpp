// TCustomGrid, part: scrolling. Cell geometry below the fixed rows and columns, TopRow/LeftCol,
// the painted scroll bars, the wheel and the navigation keys.
#include "framework/gui/Grids.h"

#include <algorithm>

namespace qel {

namespace {

using Sizes = std::vector<int32_t>;

// Each cell is followed by a grid line of one pixel.
int32_t FixedExtent(const Sizes& S, int32_t Fixed)
{
    int32_t p = 0;
    for (int32_t i = 0; i < Fixed; ++i) p += S[i] + 1;
    return p;
}

bool Hidden(int32_t Index, int32_t Fixed, int32_t First) { return Index >= Fixed && Index < First; }

// Offset of cell Index; -1 for one scrolled out of view.
int32_t Offset(const Sizes& S, int32_t Fixed, int32_t First, int32_t Index)
{
    if (Hidden(Index, Fixed, First)) return -1;
    int32_t p = 0;
    for (int32_t i = 0; i < Index; ++i)
        if (!Hidden(i, Fixed, First)) p += S[i] + 1;
    return p;
}

int32_t IndexAt(const Sizes& S, int32_t Fixed, int32_t First, int32_t P)
{
    if (P < 0) return -1;
    int32_t edge = 0;
    for (int32_t i = 0; i < static_cast<int32_t>(S.size()); ++i) {
        if (Hidden(i, Fixed, First)) continue;
        edge += S[i] + 1;
        if (P < edge) return i;
    }
    return -1;
}

// The smallest first scrolled cell that still shows cell Index whole in Avail pixels.
int32_t FirstShowing(const Sizes& S, int32_t Fixed, int32_t Avail, int32_t Index)
{
    const int32_t room = Avail - FixedExtent(S, Fixed);
    int32_t first = Index, used = S[Index];
    while (first - 1 >= Fixed && used + 1 + S[first - 1] <= room) used += 1 + S[--first];
    return std::max(first, Fixed);
}

int32_t WholeCount(const Sizes& S, int32_t Fixed, int32_t First, int32_t Avail)
{
    int32_t p = FixedExtent(S, Fixed), n = 0;
    for (int32_t i = First; i < static_cast<int32_t>(S.size()) && p + S[i] <= Avail; ++i, ++n) p += S[i] + 1;
    return n;
}

int32_t LastIndex(const Sizes& S) { return static_cast<int32_t>(S.size()) - 1; }

}  // namespace

TRect TCustomGrid::CellRect(int32_t ACol, int32_t ARow) const
{
    const int32_t x = Offset(FColWidths, FFixedCols, FLeftCol, ACol);
    const int32_t y = Offset(FRowHeights, FFixedRows, FTopRow, ARow);
    if (x < 0 || y < 0) return Rect(0, 0, 0, 0);
    return Rect(x, y, x + FColWidths.at(ACol), y + FRowHeights.at(ARow));
}

// The scroll bars hide the cells under them; points past the client area still name cells.
void TCustomGrid::MouseToCell(int32_t X, int32_t Y, int32_t& ACol, int32_t& ARow) const
{
    const TGridLayout L = Layout();
    const bool onBar = (L.VBar && X >= L.CellsWidth && X < ClientWidth() && Y >= 0 && Y < ClientHeight()) ||
                       (L.HBar && Y >= L.CellsHeight && Y < ClientHeight() && X >= 0 && X < ClientWidth());
    ACol = onBar ? -1 : IndexAt(FColWidths, FFixedCols, FLeftCol, X);
    ARow = onBar ? -1 : IndexAt(FRowHeights, FFixedRows, FTopRow, Y);
}

std::vector<std::pair<int32_t, int32_t>> TCustomGrid::Shown(bool Columns, int32_t Avail) const
{
    const Sizes& s = Columns ? FColWidths : FRowHeights;
    const int32_t fixed = Columns ? FFixedCols : FFixedRows, first = Columns ? FLeftCol : FTopRow;
    std::vector<std::pair<int32_t, int32_t>> shown;
    int32_t p = 0;
    for (int32_t i = 0; i <= LastIndex(s) && p < Avail; ++i) {
        if (Hidden(i, fixed, first)) continue;
        shown.emplace_back(i, p);
        p += s[i] + 1;
    }
    return shown;
}

// A bar shows when its cells do not fit; a vertical bar narrows the room for the columns and back.
TCustomGrid::TGridLayout TCustomGrid::Layout() const
{
    const bool allowV = FScrollBars == ssVertical || FScrollBars == ssBoth;
    const bool allowH = FScrollBars == ssHorizontal || FScrollBars == ssBoth;
    TGridLayout l{ClientWidth(), ClientHeight(), false, false};
    for (int pass = 0; pass < 2; ++pass) {
        l.VBar = allowV && FirstShowing(FRowHeights, FFixedRows, ClientHeight() - (l.HBar ? ScrollBarSize : 0),
                                        LastIndex(FRowHeights)) > FFixedRows;
        l.HBar = allowH && FirstShowing(FColWidths, FFixedCols, ClientWidth() - (l.VBar ? ScrollBarSize : 0),
                                        LastIndex(FColWidths)) > FFixedCols;
    }
    l.CellsWidth = std::max(0, ClientWidth() - (l.VBar ? ScrollBarSize : 0));
    l.CellsHeight = std::max(0, ClientHeight() - (l.HBar ? ScrollBarSize : 0));
    return l;
}

int32_t TCustomGrid::MaxTopRow(const TGridLayout& L) const
{
    return FirstShowing(FRowHeights, FFixedRows, L.CellsHeight, LastIndex(FRowHeights));
}

int32_t TCustomGrid::MaxLeftCol(const TGridLayout& L) const
{
    return FirstShowing(FColWidths, FFixedCols, L.CellsWidth, LastIndex(FColWidths));
}

int32_t TCustomGrid::VisibleRowCount() const
{
    return WholeCount(FRowHeights, FFixedRows, FTopRow, Layout().CellsHeight);
}

int32_t TCustomGrid::VisibleColCount() const
{
    return WholeCount(FColWidths, FFixedCols, FLeftCol, Layout().CellsWidth);
}

void TCustomGrid::SetScrollBars(TMemo::TScrollStyle Value)
{
    FScrollBars = Value;
    MoveTopLeft(FLeftCol, FTopRow);
    Invalidate();
}

void TCustomGrid::MoveTopLeft(int32_t ALeftCol, int32_t ATopRow)
{
    const TGridLayout l = Layout();
    ATopRow = std::clamp(ATopRow, FFixedRows, MaxTopRow(l));
    ALeftCol = std::clamp(ALeftCol, FFixedCols, MaxLeftCol(l));
    if (ATopRow == FTopRow && ALeftCol == FLeftCol) return;
    FTopRow = ATopRow;
    FLeftCol = ALeftCol;
    Invalidate();
    TopLeftChanged();
}

void TCustomGrid::TopLeftChanged()
{
    if (OnTopLeftChanged) OnTopLeftChanged(this);
}

void TCustomGrid::ScrollIntoView(int32_t ACol, int32_t ARow)
{
    const TGridLayout l = Layout();
    int32_t top = FTopRow, left = FLeftCol;
    if (ARow >= FFixedRows)
        top = ARow < top ? ARow : std::max(top, FirstShowing(FRowHeights, FFixedRows, l.CellsHeight, ARow));
    if (ACol >= FFixedCols)
        left = ACol < left ? ACol : std::max(left, FirstShowing(FColWidths, FFixedCols, l.CellsWidth, ACol));
    MoveTopLeft(left, top);
}

// A resized grid (a framed child window dragged by its border) keeps its last rows filling it.
void TCustomGrid::Resize()
{
    MoveTopLeft(FLeftCol, FTopRow);
    TCustomControl::Resize();
}

// Three rows a notch, as Qt's views scroll; with Shift the columns.
bool TCustomGrid::DoMouseWheel(TShiftState Shift, int32_t WheelDelta, int32_t, int32_t)
{
    const int32_t steps = -3 * WheelDelta / 120;
    if (steps == 0) return false;
    const int32_t top = FTopRow, left = FLeftCol;
    if (Shift.Contains(ssShift))
        MoveTopLeft(FLeftCol + steps, FTopRow);
    else
        MoveTopLeft(FLeftCol, FTopRow + steps);
    return top != FTopRow || left != FLeftCol;
}

bool TCustomGrid::NavigationKey(uint16_t Key, TShiftState Shift)
{
    const bool ctrl = Shift.Contains(ssCtrl);
    int32_t c = FCol, r = FRow;
    switch (Key) {
    case VK_LEFT: --c; break;
    case VK_RIGHT: ++c; break;
    case VK_UP: --r; break;
    case VK_DOWN: ++r; break;
    case VK_PRIOR: r -= std::max(1, VisibleRowCount()); break;
    case VK_NEXT: r += std::max(1, VisibleRowCount()); break;
    case VK_HOME:
        c = FFixedCols;
        if (ctrl) r = FFixedRows;
        break;
    case VK_END:
        c = ColCount() - 1;
        if (ctrl) r = RowCount() - 1;
        break;
    default: return false;
    }
    FocusCell(c, r, !Shift.Contains(ssShift));
    return true;
}

TPaintedScrollBar TCustomGrid::ScrollBar(const TGridLayout& L, bool Vertical) const
{
    TPaintedScrollBar b;
    b.Vertical = Vertical;
    b.Bounds = Vertical ? Rect(L.CellsWidth, 0, L.CellsWidth + ScrollBarSize, L.CellsHeight)
                        : Rect(0, L.CellsHeight, L.CellsWidth, L.CellsHeight + ScrollBarSize);
    b.TroughColor = clScrollBar;
    const Sizes& s = Vertical ? FRowHeights : FColWidths;
    const int32_t fixed = Vertical ? FFixedRows : FFixedCols, first = Vertical ? FTopRow : FLeftCol;
    b.Total = std::max(1, LastIndex(s) + 1 - fixed);
    b.Page = std::max(1, WholeCount(s, fixed, first, Vertical ? L.CellsHeight : L.CellsWidth));
    b.Max = std::max(0, (Vertical ? MaxTopRow(L) : MaxLeftCol(L)) - fixed);
    b.Position = first - fixed;
    return b;
}

bool TCustomGrid::ScrollBarMouseDown(int32_t X, int32_t Y)
{
    const TGridLayout l = Layout();
    for (const bool vertical : {true, false}) {
        if (!(vertical ? l.VBar : l.HBar)) continue;
        const TPaintedScrollBar b = ScrollBar(l, vertical);
        const TScrollPart part = b.PartAt(Point(X, Y));
        const bool onBar = X >= b.Bounds.Left && X < b.Bounds.Right && Y >= b.Bounds.Top && Y < b.Bounds.Bottom;
        if (part == TScrollPart::None) {
            if (onBar) return true;  // the trough of a bar without a thumb
            continue;
        }
        if (part == TScrollPart::Thumb) {
            FDrag = vertical ? TDrag::VThumb : TDrag::HThumb;
            const TRect t = b.ThumbRect();
            FDragOffset = vertical ? Y - t.Top : X - t.Left;
            return true;
        }
        // False once nothing moves or the thumb has reached the pointer.
        auto step = [this, vertical, part, at = Point(X, Y)] {
            const TPaintedScrollBar bar = ScrollBar(Layout(), vertical);
            if (bar.PartAt(at) != part) return false;
            const int32_t d = bar.StepFor(part, 1), top = FTopRow, left = FLeftCol;
            MoveTopLeft(FLeftCol + (vertical ? 0 : d), FTopRow + (vertical ? d : 0));
            return top != FTopRow || left != FLeftCol;
        };
        step();
        if (!FBarRepeat) FBarRepeat = std::make_shared<TScrollRepeat>();
        FBarRepeat->Start(step);
        return true;
    }
    return false;
}

void TCustomGrid::TrackThumb(int32_t X, int32_t Y)
{
    const bool vertical = FDrag == TDrag::VThumb;
    const TPaintedScrollBar b = ScrollBar(Layout(), vertical);
    const int32_t along = vertical ? Y - b.Bounds.Top : X - b.Bounds.Left;
    const int32_t first = (vertical ? FFixedRows : FFixedCols) + b.PositionForThumb(along - FDragOffset);
    if (vertical)
        MoveTopLeft(FLeftCol, first);
    else
        MoveTopLeft(first, FTopRow);
}

void TCustomGrid::PaintScrollBars(const TGridLayout& L)
{
    if (L.VBar) ScrollBar(L, true).Paint(Canvas());
    if (L.HBar) ScrollBar(L, false).Paint(Canvas());
    if (L.VBar && L.HBar) {
        Canvas()->Brush()->SetColor(clBtnFace);
        Canvas()->FillRect(Rect(L.CellsWidth, L.CellsHeight, ClientWidth(), ClientHeight()));
    }
}

}  // namespace qel
