// TCanvas: state, lines, shapes, pixels and pictures. Text is in Canvas_Text.cpp.
#include "framework/gui/Canvas.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace qel {

namespace {

// The 24 colour bits of a pixel after a pen mode combined the pen P with the destination D.
QRgb Combine(TPenMode Mode, QRgb D, QRgb P)
{
    QRgb r = P;
    switch (Mode) {
    case pmBlack: r = 0; break;
    case pmWhite: r = 0xFFFFFF; break;
    case pmNop: r = D; break;
    case pmNot: r = ~D; break;
    case pmCopy: r = P; break;
    case pmNotCopy: r = ~P; break;
    case pmMergePenNot: r = P | ~D; break;
    case pmMaskPenNot: r = P & ~D; break;
    case pmMergeNotPen: r = ~P | D; break;
    case pmMaskNotPen: r = ~P & D; break;
    case pmMerge: r = P | D; break;
    case pmNotMerge: r = ~(P | D); break;
    case pmMask: r = P & D; break;
    case pmNotMask: r = ~(P & D); break;
    case pmXor: r = P ^ D; break;
    case pmNotXor: r = ~(P ^ D); break;
    }
    return r | 0xFF000000u;
}

QPainter::CompositionMode CompositionFor(TPenMode Mode)
{
    switch (Mode) {
    case pmNot: return QPainter::RasterOp_NotDestination;
    case pmNotCopy: return QPainter::RasterOp_NotSource;
    case pmMerge: return QPainter::RasterOp_SourceOrDestination;
    case pmMask: return QPainter::RasterOp_SourceAndDestination;
    case pmXor: return QPainter::RasterOp_SourceXorDestination;
    case pmNotXor: return QPainter::RasterOp_NotSourceXorDestination;
    case pmNotMerge: return QPainter::RasterOp_NotSourceAndNotDestination;
    case pmNotMask: return QPainter::RasterOp_NotSourceOrNotDestination;
    default: return QPainter::CompositionMode_SourceOver;
    }
}

// On/off run lengths of the styled cosmetic pens, in pixels.
std::vector<int> DashPattern(TPenStyle Style)
{
    switch (Style) {
    case psDash: return {18, 6};
    case psDot: return {3, 3};
    case psDashDot: return {9, 6, 3, 6};
    case psDashDotDot: return {9, 3, 3, 3, 3, 3};
    default: return {};
    }
}

Qt::BrushStyle QtBrushStyle(TBrushStyle Style)
{
    static constexpr std::array<Qt::BrushStyle, 8> Styles{Qt::SolidPattern, Qt::NoBrush, Qt::HorPattern,
        Qt::VerPattern, Qt::FDiagPattern, Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
    return Styles[static_cast<size_t>(Style)];
}

// The left end of row J of an ellipse filling a W x H box. A row spans the pixels whose centres lie
// within the ellipse's width at the row's edge nearer the centre, so that both halves mirror exactly
// and every side of the box is touched.
int32_t EllipseRowInset(int32_t W, int32_t H, int32_t J)
{
    const double c = H / 2.0, dy = (J + 1 <= c) ? c - (J + 1) : (J >= c ? J - c : 0.0);
    const double hw = (W / 2.0) * std::sqrt(std::max(0.0, 1.0 - (dy / c) * (dy / c)));
    const auto left = static_cast<int32_t>(std::ceil(W / 2.0 - 0.5 - hw - 1e-9));
    return std::clamp(left, 0, (W - 1) / 2);
}

}  // namespace

TRect Rect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) { return TRect{Left, Top, Right, Bottom}; }
TPoint Point(int32_t X, int32_t Y) { return TPoint{X, Y}; }

TCanvas::TCanvas() : FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()), FFont(std::make_unique<TFont>()) {}
TCanvas::~TCanvas() = default;

void TCanvas::SetImage(QImage* Image) { FImage = Image; }
QImage* TCanvas::Image() const { return FImage; }
TPen* TCanvas::Pen() const { return FPen.get(); }
TBrush* TCanvas::Brush() const { return FBrush.get(); }
TFont* TCanvas::Font() const { return FFont.get(); }
TPoint TCanvas::PenPos() const { return FPenPos; }
void TCanvas::SetPenPos(TPoint P) { FPenPos = P; }
TRect TCanvas::ClipRect() const { return FImage ? FromQRect(FImage->rect()) : TRect{}; }
void TCanvas::SetPalette(std::function<QRgb(QRgb)> NearestEntry) { FNearestEntry = std::move(NearestEntry); }

QRgb TCanvas::Resolve(TColor Color) const
{
    if ((static_cast<uint32_t>(Color) & 0xFF000000u) != PaletteRelativeFlag) return ToQRgb(Color);
    const QRgb rgb = ToQRgb(Color & 0xFFFFFF);
    return FNearestEntry ? (FNearestEntry(rgb) | 0xFF000000u) : rgb;
}

void TCanvas::Damage(const QRect& R)
{
    if (!FImage) return;
    const QRect r = R & FImage->rect();
    if (!r.isEmpty() && OnDamage) OnDamage(FromQRect(r));
}

void TCanvas::Plot(int32_t X, int32_t Y, QRgb Color, TPenMode Mode)
{
    if (X < 0 || Y < 0 || X >= FImage->width() || Y >= FImage->height()) return;
    QRgb* p = reinterpret_cast<QRgb*>(FImage->scanLine(Y)) + X;
    *p = Mode == pmCopy ? (Color | 0xFF000000u) : Combine(Mode, *p, Color);
}

// ---------------------------------------------------------------- lines

void TCanvas::PenLine(int32_t X0, int32_t Y0, int32_t X1, int32_t Y1)
{
    if (FPen->Style() == psClear || FPen->Mode() == pmNop) return;
    if (FPen->Width() > 1) return WideLine(X0, Y0, X1, Y1);
    const QRgb c = Resolve(FPen->Color());
    const std::vector<int> dash = DashPattern(FPen->Style());
    size_t run = 0;
    int left = dash.empty() ? 0 : dash[0];
    const int dx = std::abs(X1 - X0), sx = X0 < X1 ? 1 : -1, dy = -std::abs(Y1 - Y0), sy = Y0 < Y1 ? 1 : -1;
    int err = dx + dy;
    while (X0 != X1 || Y0 != Y1) {  // the end point itself is never painted
        if (dash.empty() || run % 2 == 0) Plot(X0, Y0, c, FPen->Mode());
        if (!dash.empty() && --left == 0) { run = (run + 1) % dash.size(); left = dash[run]; }
        const int e2 = 2 * err;
        if (e2 >= dy) { err += dy; X0 += sx; }
        if (e2 <= dx) { err += dx; Y0 += sy; }
    }
}

void TCanvas::WideLine(int32_t X0, int32_t Y0, int32_t X1, int32_t Y1)
{
    QPainter p(FImage);
    p.setCompositionMode(CompositionFor(FPen->Mode()));
    p.setPen(QPen(QColor(Resolve(FPen->Color())), FPen->Width(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(X0, Y0, X1, Y1);
}

namespace {
QRect LineBounds(TPoint A, TPoint B, int32_t Width)
{
    const int32_t m = Width / 2 + 1;
    return QRect(QPoint(std::min(A.X, B.X) - m, std::min(A.Y, B.Y) - m), QPoint(std::max(A.X, B.X) + m, std::max(A.Y, B.Y) + m));
}
}  // namespace

void TCanvas::MoveTo(int32_t X, int32_t Y) { FPenPos = {X, Y}; }

void TCanvas::LineTo(int32_t X, int32_t Y)
{
    const TPoint from = FPenPos;
    FPenPos = {X, Y};
    if (!FImage) return;
    PenLine(from.X, from.Y, X, Y);
    Damage(LineBounds(from, FPenPos, FPen->Width()));
}

void TCanvas::Polyline(const std::vector<TPoint>& Points)
{
    if (Points.empty()) return;
    FPenPos = Points.front();
    if (!FImage) return;
    QRect bounds;
    for (size_t i = 1; i < Points.size(); ++i) {
        PenLine(Points[i - 1].X, Points[i - 1].Y, Points[i].X, Points[i].Y);
        bounds |= LineBounds(Points[i - 1], Points[i], FPen->Width());
    }
    FPenPos = Points.back();
    Damage(bounds);
}

void TCanvas::Polygon(const std::vector<TPoint>& Points)
{
    if (!FImage || Points.empty()) return;
    QPolygon poly;
    for (const TPoint& pt : Points) poly << QPoint(pt.X, pt.Y);
    if (FBrush->Style() != bsClear) {
        QPainter p(FImage);
        p.setPen(Qt::NoPen);
        p.setBrush(QBrush(QColor(Resolve(FBrush->Color())), QtBrushStyle(FBrush->Style())));
        p.drawPolygon(poly);
    }
    for (size_t i = 0; i < Points.size(); ++i) {
        const TPoint& a = Points[i];
        const TPoint& b = Points[(i + 1) % Points.size()];
        PenLine(a.X, a.Y, b.X, b.Y);
    }
    Damage(poly.boundingRect().adjusted(-FPen->Width(), -FPen->Width(), FPen->Width(), FPen->Width()));
}

// ---------------------------------------------------------------- shapes

namespace {

using TRowSpans = std::vector<std::pair<int32_t, int32_t>>;  // inclusive, empty when first > second

// The rows of a W x H box with rounded corners of CW x CH (full box: an ellipse; 0: a rectangle).
TRowSpans ShapeRows(int32_t W, int32_t H, int32_t CW, int32_t CH)
{
    TRowSpans rows(static_cast<size_t>(std::max(H, 0)), {0, W - 1});
    if (W <= 0 || H <= 0 || CW <= 0 || CH <= 0) return rows;
    CW = std::min(CW, W);
    CH = std::min(CH, H);
    for (int32_t j = 0; j < CH / 2; ++j) {
        const int32_t inset = EllipseRowInset(CW, CH, j);
        rows[size_t(j)] = rows[size_t(H - 1 - j)] = {inset, W - 1 - inset};
    }
    return rows;
}

// The rows inside the outline: pixels of the shape whose four neighbours are all in the shape.
TRowSpans InteriorRows(const TRowSpans& Rows)
{
    TRowSpans inner(Rows.size(), {0, -1});
    for (size_t j = 1; j + 1 < Rows.size(); ++j) {
        const auto& [l, r] = Rows[j];
        inner[j] = {std::max({l + 1, Rows[j - 1].first, Rows[j + 1].first}),
                    std::min({r - 1, Rows[j - 1].second, Rows[j + 1].second})};
    }
    return inner;
}

}  // namespace

void TCanvas::Shape(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t CornerW, int32_t CornerH)
{
    if (!FImage) return;
    const int32_t L = std::min(X1, X2), T = std::min(Y1, Y2), W = std::abs(X2 - X1), H = std::abs(Y2 - Y1);
    if (W <= 0 || H <= 0) return;
    const bool pen = FPen->Style() != psClear && FPen->Mode() != pmNop;
    const int32_t inset = pen ? std::min(FPen->Width() - 1, std::min(W, H) / 2) : 0;
    const TRowSpans outer = ShapeRows(W, H, CornerW, CornerH);
    const int32_t iw = W - 2 * inset, ih = H - 2 * inset;
    const int32_t icw = CornerW >= W ? iw : std::max(0, CornerW - 2 * inset);
    const int32_t ich = CornerH >= H ? ih : std::max(0, CornerH - 2 * inset);
    TRowSpans inner(size_t(H), {0, -1});
    const TRowSpans innerShape = ShapeRows(iw, ih, icw, ich);
    const TRowSpans core = pen ? InteriorRows(innerShape) : innerShape;
    for (int32_t j = 0; j < ih; ++j)
        inner[size_t(j + inset)] = {core[size_t(j)].first + inset, core[size_t(j)].second + inset};
    TSpans fill, outline;
    for (size_t j = 0; j < size_t(H); ++j) {
        fill.push_back({inner[j].first, inner[j].second});
        outline.push_back({outer[j].first, outer[j].second});
    }
    FillSpans(L, T, fill, pen ? outline : TSpans{});
    Damage(QRect(L, T, W, H));
}

// Fill spans get the brush; the outline is every pixel of Outline outside the fill span of its row.
void TCanvas::FillSpans(int32_t Left, int32_t Top, const TSpans& Fill, const TSpans& Outline)
{
    if (FBrush->Style() == bsSolid) {
        const QRgb b = Resolve(FBrush->Color());
        for (size_t j = 0; j < Fill.size(); ++j)
            for (int32_t x = Fill[j].Left; x <= Fill[j].Right; ++x) Plot(Left + x, Top + int32_t(j), b, FPen->Mode());
    } else if (FBrush->Style() != bsClear) {
        QPainter p(FImage);
        p.setCompositionMode(CompositionFor(FPen->Mode()));
        const QBrush brush(QColor(Resolve(FBrush->Color())), QtBrushStyle(FBrush->Style()));
        for (size_t j = 0; j < Fill.size(); ++j)
            if (Fill[j].Right >= Fill[j].Left)
                p.fillRect(QRect(Left + Fill[j].Left, Top + int32_t(j), Fill[j].Right - Fill[j].Left + 1, 1), brush);
    }
    if (Outline.empty()) return;
    const QRgb c = Resolve(FPen->Color());
    for (size_t j = 0; j < Outline.size(); ++j) {
        const TSpan& f = Fill[j];
        for (int32_t x = Outline[j].Left; x <= Outline[j].Right; ++x)
            if (x < f.Left || x > f.Right) Plot(Left + x, Top + int32_t(j), c, FPen->Mode());
    }
}

void TCanvas::Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) { Shape(X1, Y1, X2, Y2, 0, 0); }
void TCanvas::Rectangle(const TRect& R) { Shape(R.Left, R.Top, R.Right, R.Bottom, 0, 0); }

void TCanvas::Ellipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2)
{
    Shape(X1, Y1, X2, Y2, std::abs(X2 - X1), std::abs(Y2 - Y1));
}

void TCanvas::RoundRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t X3, int32_t Y3)
{
    Shape(X1, Y1, X2, Y2, std::abs(X3), std::abs(Y3));
}

void TCanvas::FillBrushRect(const QRect& R)
{
    if (!FImage || FBrush->Style() == bsClear || R.isEmpty()) return;
    QPainter p(FImage);
    p.fillRect(R, QBrush(QColor(Resolve(FBrush->Color())), QtBrushStyle(FBrush->Style())));
}

void TCanvas::FillRect(const TRect& R)
{
    const QRect r = ToQRect(R).normalized();
    FillBrushRect(r);
    if (FBrush->Style() != bsClear) Damage(r);
}

void TCanvas::FrameRect(const TRect& R)
{
    const QRect r = ToQRect(R);
    if (!FImage || r.width() <= 0 || r.height() <= 0) return;
    const TBrushStyle keep = FBrush->Style();
    if (keep == bsClear) return;
    FillBrushRect(QRect(r.left(), r.top(), r.width(), 1));
    FillBrushRect(QRect(r.left(), r.bottom(), r.width(), 1));
    FillBrushRect(QRect(r.left(), r.top(), 1, r.height()));
    FillBrushRect(QRect(r.right(), r.top(), 1, r.height()));
    Damage(r);
}

// ---------------------------------------------------------------- pictures and pixels

void TCanvas::Draw(int32_t X, int32_t Y, TGraphic* Graphic)
{
    if (!FImage || !Graphic || Graphic->Empty()) return;
    const QImage img = Graphic->ToImage();
    QPainter p(FImage);
    p.drawImage(QPoint(X, Y), img);
    Damage(QRect(QPoint(X, Y), img.size()));
}

void TCanvas::StretchDraw(const TRect& R, TGraphic* Graphic)
{
    if (!FImage || !Graphic || Graphic->Empty()) return;
    const QRect r = ToQRect(R);
    QPainter p(FImage);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(r, Graphic->ToImage());
    Damage(r);
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Source, const TRect& Src)
{
    if (!FImage || !Source || !Source->Image() || Source->Image()->isNull()) return;
    const QImage part = Source->Image()->copy(ToQRect(Src));  // a copy: the source may be this image
    const QRect d = ToQRect(Dest);
    QPainter p(FImage);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(d, part);
    Damage(d);
}

TColor TCanvas::Pixel(int32_t X, int32_t Y) const
{
    if (!FImage || !FImage->rect().contains(X, Y)) return -1;  // as the classic call: CLR_INVALID
    const QRgb c = FImage->pixel(X, Y);
    return RGB(uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c)));
}

void TCanvas::SetPixel(int32_t X, int32_t Y, TColor Color)
{
    if (!FImage) return;
    Plot(X, Y, Resolve(Color), pmCopy);
    Damage(QRect(X, Y, 1, 1));
}

}  // namespace qel
