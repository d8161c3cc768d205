// TCustomGrid, part: scrolling. Cell geometry below the fixed rows and columns, TopRow/LeftCol,
// the painted scroll bars, the wheel and the navigation keys.
#include "framework/gui/ExtCtrls.h"
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

TCustomGrid::TBarGeometry TCustomGrid::BarGeometry(const TGridLayout& L, bool Vertical) const
{
    TBarGeometry g{};
    g.Bar = Vertical ? Rect(L.CellsWidth, 0, L.CellsWidth + ScrollBarSize, L.CellsHeight)
                     : Rect(0, L.CellsHeight, L.CellsWidth, L.CellsHeight + ScrollBarSize);
    const int32_t length = Vertical ? L.CellsHeight : L.CellsWidth;
    const int32_t arrow = std::min(ScrollBarSize, length / 2);
    g.TrackStart = arrow;
    g.TrackLength = std::max(0, length - 2 * arrow);
    const Sizes& s = Vertical ? FRowHeights : FColWidths;
    const int32_t fixed = Vertical ? FFixedRows : FFixedCols, first = Vertical ? FTopRow : FLeftCol;
    const int32_t range = (Vertical ? MaxTopRow(L) : MaxLeftCol(L)) - fixed;
    const int32_t total = std::max(1, LastIndex(s) + 1 - fixed);
    const int32_t page = std::max(1, WholeCount(s, fixed, first, length));
    g.ThumbLength = std::clamp(g.TrackLength * page / total, std::min(8, g.TrackLength), g.TrackLength);
    g.ThumbStart = g.TrackStart + (range > 0 ? (g.TrackLength - g.ThumbLength) * (first - fixed) / range : 0);
    return g;
}

bool TCustomGrid::ScrollBarMouseDown(int32_t X, int32_t Y)
{
    const TGridLayout l = Layout();
    for (const bool vertical : {true, false}) {
        if (!(vertical ? l.VBar : l.HBar)) continue;
        const TBarGeometry g = BarGeometry(l, vertical);
        if (X < g.Bar.Left || X >= g.Bar.Right || Y < g.Bar.Top || Y >= g.Bar.Bottom) continue;
        const int32_t p = vertical ? Y - g.Bar.Top : X - g.Bar.Left;
        const int32_t page = std::max(1, vertical ? VisibleRowCount() : VisibleColCount());
        int32_t step = 0;
        if (p < g.TrackStart) step = -1;
        else if (p >= g.TrackStart + g.TrackLength) step = 1;
        else if (p < g.ThumbStart) step = -page;
        else if (p >= g.ThumbStart + g.ThumbLength) step = page;
        if (step == 0) {
            FDrag = vertical ? TDrag::VThumb : TDrag::HThumb;
            FDragOffset = p - g.ThumbStart;
        } else if (vertical) {
            MoveTopLeft(FLeftCol, FTopRow + step);
        } else {
            MoveTopLeft(FLeftCol + step, FTopRow);
        }
        return true;
    }
    return false;
}

void TCustomGrid::TrackThumb(int32_t X, int32_t Y)
{
    const bool vertical = FDrag == TDrag::VThumb;
    const TGridLayout l = Layout();
    const TBarGeometry g = BarGeometry(l, vertical);
    const int32_t fixed = vertical ? FFixedRows : FFixedCols;
    const int32_t range = (vertical ? MaxTopRow(l) : MaxLeftCol(l)) - fixed;
    const int32_t span = g.TrackLength - g.ThumbLength;
    const int32_t p = (vertical ? Y - g.Bar.Top : X - g.Bar.Left) - FDragOffset - g.TrackStart;
    const int32_t first = fixed + (span > 0 ? (std::max(p, 0) * range + span / 2) / span : 0);
    if (vertical)
        MoveTopLeft(FLeftCol, first);
    else
        MoveTopLeft(first, FTopRow);
}

namespace {

// A raised box like a button face.
void RaisedBox(TCanvas* C, TRect R)
{
    C->Brush()->SetColor(clBtnFace);
    C->FillRect(R);
    if (R.Right - R.Left < 4 || R.Bottom - R.Top < 4) return;
    Frame3D(C, R, clBtnFace, cl3DDkShadow, 1);
    Frame3D(C, R, clBtnHighlight, clBtnShadow, 1);
}

// A small black triangle pointing along Dir (dx, dy) in the box.
void Arrow(TCanvas* C, const TRect& Box, int32_t Dx, int32_t Dy)
{
    const int32_t cx = (Box.Left + Box.Right) / 2, cy = (Box.Top + Box.Bottom) / 2, h = 3;
    C->Brush()->SetColor(clBtnText);
    C->Pen()->SetColor(clBtnText);
    if (Dy != 0)
        C->Polygon({Point(cx - h, cy - Dy * h / 2), Point(cx + h, cy - Dy * h / 2), Point(cx, cy + Dy * (h + 1) / 2)});
    else
        C->Polygon({Point(cx - Dx * h / 2, cy - h), Point(cx - Dx * h / 2, cy + h), Point(cx + Dx * (h + 1) / 2, cy)});
}

}  // namespace

void TCustomGrid::PaintScrollBar(const TGridLayout& L, bool Vertical)
{
    TCanvas* c = Canvas();
    const TBarGeometry g = BarGeometry(L, Vertical);
    const TRect& b = g.Bar;
    auto along = [&](int32_t From, int32_t To) {
        return Vertical ? Rect(b.Left, b.Top + From, b.Right, b.Top + To) : Rect(b.Left + From, b.Top, b.Left + To, b.Bottom);
    };
    c->Brush()->SetColor(clScrollBar);
    c->FillRect(b);
    const TRect before = along(0, g.TrackStart), after = along(g.TrackStart + g.TrackLength, 2 * g.TrackStart + g.TrackLength);
    RaisedBox(c, before);
    RaisedBox(c, after);
    Arrow(c, before, Vertical ? 0 : -1, Vertical ? -1 : 0);
    Arrow(c, after, Vertical ? 0 : 1, Vertical ? 1 : 0);
    if (g.TrackLength > 0) RaisedBox(c, along(g.ThumbStart, g.ThumbStart + g.ThumbLength));
}

void TCustomGrid::PaintScrollBars(const TGridLayout& L)
{
    if (L.VBar) PaintScrollBar(L, true);
    if (L.HBar) PaintScrollBar(L, false);
    if (L.VBar && L.HBar) {
        Canvas()->Brush()->SetColor(clBtnFace);
        Canvas()->FillRect(Rect(L.CellsWidth, L.CellsHeight, ClientWidth(), ClientHeight()));
    }
}

}  // namespace qel
