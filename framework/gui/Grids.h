#pragma once
// Grids: cells in rows and columns, painted through the canvas, fixed rows and columns in
// button colours, and a string grid that keeps text per cell and edits it in place.
#include "framework/gui/Controls.h"
#include "framework/gui/PaintedScrollBar.h"
#include "framework/gui/StdCtrls.h"

#include <map>
#include <memory>

namespace qel {

using TMovedEvent = std::function<void(TObject* Sender, int32_t FromIndex, int32_t ToIndex)>;

class QEL_GUI_EXPORT TCustomGrid : public TCustomControl {
    Q_OBJECT
public:
    enum TGridOption {
        goFixedVertLine = 0x1, goFixedHorzLine = 0x2, goVertLine = 0x4, goHorzLine = 0x8,
        goRangeSelect = 0x10, goDrawFocusSelected = 0x20, goRowSizing = 0x40, goColSizing = 0x80,
        goRowMoving = 0x100, goColMoving = 0x200, goEditing = 0x400, goTabs = 0x800,
        goRowSelect = 0x1000, goAlwaysShowEditor = 0x2000, goThumbTracking = 0x4000
    };
    Q_DECLARE_FLAGS(TGridOptions, TGridOption)
    Q_FLAG(TGridOptions)

private:
    Q_PROPERTY(int32_t ColCount READ ColCount WRITE SetColCount)
    Q_PROPERTY(int32_t RowCount READ RowCount WRITE SetRowCount)
    Q_PROPERTY(int32_t FixedCols READ FixedCols WRITE SetFixedCols)
    Q_PROPERTY(int32_t FixedRows READ FixedRows WRITE SetFixedRows)
    Q_PROPERTY(int32_t DefaultColWidth READ DefaultColWidth WRITE SetDefaultColWidth)
    Q_PROPERTY(int32_t DefaultRowHeight READ DefaultRowHeight WRITE SetDefaultRowHeight)
    Q_PROPERTY(int32_t FixedColor READ FixedColor WRITE SetFixedColor)
    Q_PROPERTY(TGridOptions Options READ Options WRITE SetOptions)
    Q_PROPERTY(qel::TMemo::TScrollStyle ScrollBars READ ScrollBars WRITE SetScrollBars)
    Q_CLASSINFO("default:ColCount", "5")
    Q_CLASSINFO("default:RowCount", "5")
    Q_CLASSINFO("default:FixedCols", "1")
    Q_CLASSINFO("default:FixedRows", "1")
    Q_CLASSINFO("default:DefaultColWidth", "64")
    Q_CLASSINFO("default:DefaultRowHeight", "24")
    Q_CLASSINFO("default:FixedColor", "-2147483633")  // clBtnFace
    Q_CLASSINFO("default:Options",
                "goFixedVertLine|goFixedHorzLine|goVertLine|goHorzLine|goRangeSelect")
    Q_CLASSINFO("default:ScrollBars", "ssBoth")
    Q_CLASSINFO("default:Color", "-2147483643")  // clWindow
    Q_CLASSINFO("default:TabStop", "true")

public:
    Q_INVOKABLE explicit TCustomGrid(TComponent* AOwner);

    int32_t ColCount() const { return static_cast<int32_t>(FColWidths.size()); }
    void SetColCount(int32_t Value);
    int32_t RowCount() const { return static_cast<int32_t>(FRowHeights.size()); }
    void SetRowCount(int32_t Value);
    int32_t FixedCols() const { return FFixedCols; }
    void SetFixedCols(int32_t Value);
    int32_t FixedRows() const { return FFixedRows; }
    void SetFixedRows(int32_t Value);
    int32_t DefaultColWidth() const { return FDefaultColWidth; }
    void SetDefaultColWidth(int32_t Value);  // every column takes it
    int32_t DefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(int32_t Value);
    int32_t ColWidths(int Index) const { return FColWidths.at(Index); }
    void SetColWidths(int Index, int32_t Value);
    int32_t RowHeights(int Index) const { return FRowHeights.at(Index); }
    void SetRowHeights(int Index, int32_t Value);
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor Value);
    TGridOptions Options() const { return FOptions; }
    void SetOptions(TGridOptions Value);
    int32_t Col() const { return FCol; }
    void SetCol(int32_t Value) { FocusCell(Value, FRow, true); }
    int32_t Row() const { return FRow; }
    void SetRow(int32_t Value) { FocusCell(FCol, Value, true); }
    TRect Selection() const;  // Left/Top/Right/Bottom are cell indexes, inclusive
    TRect CellRect(int32_t ACol, int32_t ARow) const;
    void MouseToCell(int32_t X, int32_t Y, int32_t& ACol, int32_t& ARow) const;  // -1 outside
    bool EditorMode() const { return FEditing; }
    void SetEditorMode(bool Value);

    // Scrolling: the first non-fixed row and column shown, kept where the last rows/columns still fill the grid.
    int32_t TopRow() const { return FTopRow; }
    void SetTopRow(int32_t Value) { MoveTopLeft(FLeftCol, Value); }
    int32_t LeftCol() const { return FLeftCol; }
    void SetLeftCol(int32_t Value) { MoveTopLeft(Value, FTopRow); }
    int32_t VisibleRowCount() const;  // non-fixed rows shown whole
    int32_t VisibleColCount() const;
    TMemo::TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TMemo::TScrollStyle Value);
    static constexpr int32_t ScrollBarSize = 16;

    // Cells, sizes, the current cell and the selection travel with the moved row or column.
    void MoveColumn(int32_t FromIndex, int32_t ToIndex);
    void MoveRow(int32_t FromIndex, int32_t ToIndex);

    std::function<void(TObject* Sender, int32_t ACol, int32_t ARow, bool& CanSelect)> OnSelectCell;
    std::function<void(TObject* Sender, int32_t ACol, int32_t ARow, TRect Rect, TOwnerDrawState State)>
        OnDrawCell;
    TNotifyEvent OnTopLeftChanged;

protected:
    void Paint() override;
    virtual void DrawCell(int32_t ACol, int32_t ARow, const TRect& ARect, TOwnerDrawState State);
    void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
    void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    virtual bool CanEditCell() const { return false; }
    virtual String GetEditText(int32_t ACol, int32_t ARow) const;
    virtual void SetEditText(int32_t ACol, int32_t ARow, const String& Value);
    const String& EditText() const { return FEditText; }
    bool IsSelected(int32_t ACol, int32_t ARow) const;
    bool DoMouseWheel(TShiftState Shift, int32_t WheelDelta, int32_t X, int32_t Y) override;
    void Resize() override;
    virtual void TopLeftChanged();
    virtual void ColumnMoved(int32_t, int32_t) {}
    virtual void RowMoved(int32_t, int32_t) {}

private:
    enum class TDrag { None, SizeCol, SizeRow, MoveCol, MoveRow, VThumb, HThumb };
    // Where the cells end (scroll bars lie beyond) and which bars show.
    struct TGridLayout {
        int32_t CellsWidth, CellsHeight;
        bool HBar, VBar;
    };
    // Show scrolls the cell into view; the size setters only keep it in range.
    void FocusCell(int32_t ACol, int32_t ARow, bool MoveAnchor, bool Show = true);
    void CommitEdit();
    int32_t ColumnEdgeAt(int32_t X, int32_t Y) const;  // the column whose right edge is at X, or -1
    int32_t RowEdgeAt(int32_t X, int32_t Y) const;
    void PaintCell(int32_t ACol, int32_t ARow, const TRect& ARect);
    TGridLayout Layout() const;
    // (index, pixel offset) of the columns or rows drawn within Avail pixels: fixed ones, then from LeftCol/TopRow.
    std::vector<std::pair<int32_t, int32_t>> Shown(bool Columns, int32_t Avail) const;
    int32_t MaxTopRow(const TGridLayout& L) const;
    int32_t MaxLeftCol(const TGridLayout& L) const;
    void MoveTopLeft(int32_t ALeftCol, int32_t ATopRow);
    void ScrollIntoView(int32_t ACol, int32_t ARow);
    bool NavigationKey(uint16_t Key, TShiftState Shift);
    // Positions in cells past the fixed ones.
    TPaintedScrollBar ScrollBar(const TGridLayout& L, bool Vertical) const;
    void PaintScrollBars(const TGridLayout& L);
    bool ScrollBarMouseDown(int32_t X, int32_t Y);
    void TrackThumb(int32_t X, int32_t Y);
    bool StartFixedCellDrag(int32_t X, int32_t Y);
    void EndFixedCellDrag(int32_t X, int32_t Y);

    std::vector<int32_t> FColWidths, FRowHeights;
    int32_t FFixedCols = 1, FFixedRows = 1;
    int32_t FDefaultColWidth = 64, FDefaultRowHeight = 24;
    TColor FFixedColor = clBtnFace;
    TGridOptions FOptions = TGridOptions(goFixedVertLine) | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    int32_t FCol = 1, FRow = 1, FAnchorCol = 1, FAnchorRow = 1;
    bool FEditing = false;
    TDrag FDrag = TDrag::None;
    int32_t FDragIndex = -1, FDragOffset = 0;
    int32_t FTopRow = 1, FLeftCol = 1;
    TMemo::TScrollStyle FScrollBars = ssBoth;
    std::shared_ptr<TScrollRepeat> FBarRepeat;  // a held arrow or trough
    String FEditText;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TCustomGrid::TGridOptions)
using enum TCustomGrid::TGridOption;
using TGridOption = TCustomGrid::TGridOption;
using TGridOptions = TCustomGrid::TGridOptions;

class QEL_GUI_EXPORT TDrawGrid : public TCustomGrid {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TDrawGrid(TComponent* AOwner);

    TMovedEvent OnColumnMoved;
    TMovedEvent OnRowMoved;

protected:
    void ColumnMoved(int32_t FromIndex, int32_t ToIndex) override;
    void RowMoved(int32_t FromIndex, int32_t ToIndex) override;
};

// Cells hold text; the form file keeps the non-empty ones as lines "col,row=text".
class QEL_GUI_EXPORT TStringGrid : public TDrawGrid {
    Q_OBJECT
    Q_PROPERTY(TStrings* CellText READ CellText WRITE SetCellText)

public:
    Q_INVOKABLE explicit TStringGrid(TComponent* AOwner);
    String Cells(int32_t ACol, int32_t ARow) const;
    void SetCell(int32_t ACol, int32_t ARow, const String& Value);
    TStrings* CellText() const;
    void SetCellText(TStrings* Value) { FCellText->Assign(Value); }
    // Live views of one column / one row: reading gives the cells, writing sets them.
    TStrings* Cols(int32_t Index) const;
    void SetCols(int32_t Index, TStrings* Value) { Cols(Index)->Assign(Value); }
    TStrings* Rows(int32_t Index) const;
    void SetRows(int32_t Index, TStrings* Value) { Rows(Index)->Assign(Value); }

protected:
    void ColumnMoved(int32_t FromIndex, int32_t ToIndex) override;
    void RowMoved(int32_t FromIndex, int32_t ToIndex) override;
    void DrawCell(int32_t ACol, int32_t ARow, const TRect& ARect, TOwnerDrawState State) override;
    bool CanEditCell() const override { return true; }
    String GetEditText(int32_t ACol, int32_t ARow) const override { return Cells(ACol, ARow); }
    void SetEditText(int32_t ACol, int32_t ARow, const String& Value) override { SetCell(ACol, ARow, Value); }

private:
    void CellTextChanged();
    std::map<std::pair<int32_t, int32_t>, String> FCells;
    std::unique_ptr<TStringList> FCellText;
    bool FWritingText = false;
    mutable std::map<std::pair<bool, int32_t>, std::unique_ptr<TStrings>> FLines;  // (is a column, index)
};

}  // namespace qel
