#pragma once
// TCanvas: drawing with the framework's exact rules on a retained image.
// INTERFACE AGREED BETWEEN THE CANVAS AND THE CONTROLS: names below are fixed; add, do not rename.
#include "framework/gui/Graphics.h"

#include <QImage>
#include <QRect>

#include <functional>
#include <memory>
#include <vector>

namespace qel {

struct TPoint { int32_t X = 0, Y = 0; };
struct TRect { int32_t Left = 0, Top = 0, Right = 0, Bottom = 0; };  // Right/Bottom exclusive
QEL_GUI_EXPORT TRect Rect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom);
QEL_GUI_EXPORT TPoint Point(int32_t X, int32_t Y);

// DrawText format flags (DT_LEFT, DT_CENTER, DT_RIGHT, DT_VCENTER, DT_BOTTOM, DT_WORDBREAK,
// DT_SINGLELINE, DT_NOPREFIX, DT_CALCRECT, DT_EXPANDTABS, ...), declared by the canvas implementation.
constexpr uint32_t DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4,
                   DT_BOTTOM = 0x8, DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40,
                   DT_NOCLIP = 0x100, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800;

inline QRect ToQRect(const TRect& R) { return QRect(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top); }
inline TRect FromQRect(const QRect& R) { return TRect{R.left(), R.top(), R.left() + R.width(), R.top() + R.height()}; }
inline bool operator==(const TRect& A, const TRect& B)
{
    return A.Left == B.Left && A.Top == B.Top && A.Right == B.Right && A.Bottom == B.Bottom;
}
inline bool operator==(const TPoint& A, const TPoint& B) { return A.X == B.X && A.Y == B.Y; }

class QEL_GUI_EXPORT TCanvas : public TPersistent {
    Q_OBJECT
public:
    TCanvas();
    ~TCanvas() override;

    // The image drawn on (owned by the caller: a control's retained image or a bitmap's).
    void SetImage(QImage* Image);
    QImage* Image() const;
    // Told of every area drawn, so that a control can update that area on screen at once.
    std::function<void(const TRect& Damaged)> OnDamage;

    TPen* Pen() const;
    TBrush* Brush() const;
    TFont* Font() const;
    TPoint PenPos() const;
    void SetPenPos(TPoint P);
    TRect ClipRect() const;

    void MoveTo(int32_t X, int32_t Y);
    void LineTo(int32_t X, int32_t Y);          // the end point is not painted, any slope
    void Polyline(const std::vector<TPoint>& Points);
    void Polygon(const std::vector<TPoint>& Points);
    void Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2);   // outline on X1..X2-1 x Y1..Y2-1
    void Rectangle(const TRect& R);
    void FillRect(const TRect& R);                                    // X1..X2-1 x Y1..Y2-1 with the brush
    void FrameRect(const TRect& R);                                   // one-pixel frame in the brush colour
    void Ellipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2);     // inside the box, symmetric
    void RoundRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t X3, int32_t Y3);
    void TextOut(int32_t X, int32_t Y, const String& Text);          // cell filled with the brush unless clear
    void TextRect(const TRect& R, int32_t X, int32_t Y, const String& Text);
    int32_t TextWidth(const String& Text) const;
    int32_t TextHeight(const String& Text) const;
    int32_t DrawText(const String& Text, TRect& R, uint32_t Format);  // returns the text height
    void Draw(int32_t X, int32_t Y, TGraphic* Graphic);
    void StretchDraw(const TRect& R, TGraphic* Graphic);
    void CopyRect(const TRect& Dest, TCanvas* Source, const TRect& Src);
    TColor Pixel(int32_t X, int32_t Y) const;
    void SetPixel(int32_t X, int32_t Y, TColor Color);

    // A bitmap with a palette hands it here: palette-relative colours resolve to its nearest entry.
    void SetPalette(std::function<QRgb(QRgb)> NearestEntry);
    // The opaque pixel value a colour paints with on this canvas.
    QRgb Resolve(TColor Color) const;

private:
    struct TSpan { int32_t Left, Right; };  // inclusive, relative to a shape's box
    using TSpans = std::vector<TSpan>;
    void Damage(const QRect& R);
    void Plot(int32_t X, int32_t Y, QRgb Color, TPenMode Mode);
    void PenLine(int32_t X0, int32_t Y0, int32_t X1, int32_t Y1);
    void WideLine(int32_t X0, int32_t Y0, int32_t X1, int32_t Y1);
    void Shape(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t CornerW, int32_t CornerH);
    void FillSpans(int32_t Left, int32_t Top, const TSpans& Spans, const TSpans& Outline);
    void FillBrushRect(const QRect& R);
    void DrawTextLine(const QString& Line, int32_t X, int32_t Y, int32_t Accel, const QRect* Clip);

    QImage* FImage = nullptr;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
    std::unique_ptr<TFont> FFont;
    TPoint FPenPos;
    std::function<QRgb(QRgb)> FNearestEntry;
};

}  // namespace qel
