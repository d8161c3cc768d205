#pragma once
// Colours, pens, brushes, fonts and pictures: the framework's graphics objects.
// INTERFACE AGREED BETWEEN THE CANVAS AND THE CONTROLS: names below are fixed; add, do not rename.
#include "framework/core/Classes.h"
#include "framework/gui/GuiExport.h"

#include <QColor>
#include <QFont>
#include <QImage>

#include <functional>
#include <memory>

namespace qel {

// 0x00BBGGRR for an RGB colour; 0x80000000 + index for a system colour (clBtnFace, ...);
// 0x02000000 + BBGGRR asks for the nearest entry of a bitmap's palette.
using TColor = int32_t;

// Named colours and the classic system colours (index table), e.g.:
//   clBlack 0x000000, clMaroon 0x000080, ..., clWhite 0xFFFFFF, clNone 0x1FFFFFFF, clDefault 0x20000000
//   clScrollBar = 0x80000000 + 0, clBackground +1, clActiveCaption +2, clInactiveCaption +3, clMenu +4,
//   clWindow +5, clWindowFrame +6, clMenuText +7, clWindowText +8, clCaptionText +9, clActiveBorder +10,
//   clInactiveBorder +11, clAppWorkSpace +12, clHighlight +13, clHighlightText +14, clBtnFace +15,
//   clBtnShadow +16, clGrayText +17, clBtnText +18, clInactiveCaptionText +19, clBtnHighlight +20,
//   cl3DDkShadow +21, cl3DLight +22, clInfoText +23, clInfoBk +24
// (declared as constexpr TColor values in this header by the graphics implementation)

// The RGB value (0x00BBGGRR) of any colour; system colours from the current palette.
QEL_GUI_EXPORT int32_t ColorToRGB(TColor Color);
QEL_GUI_EXPORT QColor ToQColor(TColor Color);

using TNotifyChange = std::function<void(TObject* Sender)>;

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen,
                pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor };
enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };

class QEL_GUI_EXPORT TGraphicsObject : public TPersistent {
    Q_OBJECT
public:
    TNotifyChange OnChange;  // fired after every change
protected:
    void Changed();
};

class QEL_GUI_EXPORT TPen : public TGraphicsObject { /* Color, Width, Style, Mode; Assign */ Q_OBJECT };
class QEL_GUI_EXPORT TBrush : public TGraphicsObject { /* Color, Style; Assign */ Q_OBJECT };
// Name, Size (points), Height (negative pixels convention), Color, Style, Pitch, Charset; Assign;
// ToQFont() through the one face-substitution table ("MS Sans Serif", "System", "Arial", "Courier New").
class QEL_GUI_EXPORT TFont : public TGraphicsObject { Q_OBJECT };

class TCanvas;
// TGraphic (abstract), TBitmap (Width, Height, PixelFormat, palette, Canvas(), Assign deep copy,
// LoadFromFile/SaveToFile/LoadFromStream BMP and PNG, Empty, form-file storage), TIcon, TPicture.
class QEL_GUI_EXPORT TGraphic : public TPersistent { Q_OBJECT };
class QEL_GUI_EXPORT TBitmap : public TGraphic { Q_OBJECT };
class QEL_GUI_EXPORT TIcon : public TGraphic { Q_OBJECT };
class QEL_GUI_EXPORT TPicture : public TPersistent { Q_OBJECT };

}  // namespace qel
