// TGraphic, TBitmap, TIcon and TPicture (Graphics.h).
#include "framework/gui/Canvas.h"
#include "framework/gui/Graphics.h"

#include <QBuffer>
#include <QHash>
#include <QImageReader>
#include <QPixmap>

namespace qel {

namespace {

QByteArray ReadRest(TStream* Stream)
{
    const int64_t count = Stream->Size() - Stream->Position();
    QByteArray bytes(static_cast<qsizetype>(std::max<int64_t>(count, 0)), '\0');
    if (count > 0) Stream->ReadBuffer(bytes.data(), count);
    return bytes;
}

QImage Decode(const QByteArray& Bytes)
{
    QImage img;
    if (!img.loadFromData(Bytes)) throw EInvalidGraphic("Bitmap image is not valid");
    return img;
}

QByteArray Encode(const QImage& Image, const char* Format)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    if (!Image.save(&buf, Format)) throw EInvalidGraphic(String("Cannot write the image as ") + Format);
    return bytes;
}

// The sixteen classic colours in their palette order, then (for 256 entries) a colour cube and greys.
QVector<QRgb> DefaultPalette(TPixelFormat Format)
{
    if (Format == pf1bit) return {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    QVector<QRgb> p{0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    for (QRgb& c : p) c |= 0xFF000000u;
    if (Format == pf4bit) return p;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) p.append(qRgb(r * 51, g * 51, b * 51));
    for (int i = 1; p.size() < 256; ++i) p.append(qRgb(i * 10, i * 10, i * 10));
    return p;
}

TPixelFormat FormatForDepth(int Depth, int Colors)
{
    if (Colors > 0) return Colors <= 2 ? pf1bit : Colors <= 16 ? pf4bit : pf8bit;
    return Depth == 24 ? pf24bit : Depth == 16 ? pf16bit : Depth == 32 ? pf32bit : pfDevice;
}

}  // namespace

// ---------------------------------------------------------------- TGraphic

void TGraphic::Changed()
{
    if (OnChange) OnChange(this);
}

QByteArray TGraphic::FormatOf(const String& FileName)
{
    const QString suffix = QString::fromStdString(FileName).section(QLatin1Char('.'), -1).toUpper();
    if (suffix == QLatin1String("BMP") || suffix == QLatin1String("JPG") || suffix == QLatin1String("ICO"))
        return suffix.toLatin1();
    return "PNG";
}

void TGraphic::LoadFromFile(const String& FileName)
{
    TFileStream file(FileName, fmOpenRead);
    LoadFromStream(&file);
}

void TGraphic::SaveToFile(const String& FileName)
{
    const QByteArray keep = FSaveFormat;
    FSaveFormat = FormatOf(FileName);
    TMemoryStream bytes;
    try {
        SaveToStream(&bytes);
    } catch (...) {
        FSaveFormat = keep;
        throw;
    }
    FSaveFormat = keep;
    bytes.SaveToFile(FileName);
}

// ---------------------------------------------------------------- TBitmap

TBitmap::TBitmap() = default;
TBitmap::~TBitmap() = default;

void TBitmap::SetSize(int32_t AWidth, int32_t AHeight)
{
    AWidth = std::max(AWidth, 0);
    AHeight = std::max(AHeight, 0);
    if (AWidth == Width() && AHeight == Height()) return;
    FWidth = AWidth;
    FHeight = AHeight;
    QImage img(AWidth, AHeight, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int y = 0; y < std::min(AHeight, FImage.height()); ++y)
        std::copy_n(reinterpret_cast<const QRgb*>(FImage.constScanLine(y)), std::min(AWidth, FImage.width()),
                    reinterpret_cast<QRgb*>(img.scanLine(y)));
    FImage = img;  // the canvas keeps pointing at FImage
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat Value)
{
    FPixelFormat = Value;
    FPalette = (Value == pf1bit || Value == pf4bit || Value == pf8bit) ? DefaultPalette(Value) : QVector<QRgb>{};
    SnapToPalette();
    Changed();
}

void TBitmap::SetPalette(const QVector<QRgb>& Value)
{
    FPalette = Value;
    for (QRgb& c : FPalette) c |= 0xFF000000u;
    if (FPalette.isEmpty()) FPixelFormat = pf32bit;
    else if (FPixelFormat != pf1bit && FPixelFormat != pf4bit && FPixelFormat != pf8bit)
        FPixelFormat = FormatForDepth(8, int(FPalette.size()));
    SnapToPalette();
    Changed();
}

QRgb TBitmap::NearestPaletteColor(QRgb Color) const
{
    if (FPalette.isEmpty()) return Color | 0xFF000000u;
    QRgb best = FPalette.front();
    int bestDist = INT32_MAX;
    for (QRgb c : FPalette) {
        const int dr = qRed(c) - qRed(Color), dg = qGreen(c) - qGreen(Color), db = qBlue(c) - qBlue(Color);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDist) { bestDist = d; best = c; }
    }
    return best;
}

void TBitmap::SnapToPalette()
{
    if (FPalette.isEmpty()) return;
    QHash<QRgb, QRgb> seen;
    for (int y = 0; y < FImage.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(FImage.scanLine(y));
        for (int x = 0; x < FImage.width(); ++x) {
            auto it = seen.find(line[x]);
            if (it == seen.end()) it = seen.insert(line[x], NearestPaletteColor(line[x]));
            line[x] = *it;
        }
    }
}

TCanvas* TBitmap::Canvas()
{
    if (!FCanvas) {
        FCanvas = std::make_unique<TCanvas>();
        FCanvas->SetImage(&FImage);
        FCanvas->SetPalette([this](QRgb C) { return NearestPaletteColor(C); });
        FCanvas->OnDamage = [this](const TRect&) { Changed(); };
    }
    return FCanvas.get();
}

void TBitmap::SetImage(const QImage& Value)
{
    const QVector<QRgb> table = Value.colorTable();
    FPixelFormat = FormatForDepth(Value.depth(), int(table.size()));
    FPalette = table;
    for (QRgb& c : FPalette) c |= 0xFF000000u;
    FImage = Value.convertToFormat(QImage::Format_RGB32);
    FWidth = FImage.width();
    FHeight = FImage.height();
    Changed();
}

void TBitmap::Assign(TPersistent* Source)
{
    if (auto* src = qobject_cast<TBitmap*>(Source)) {
        FImage = src->FImage.copy();  // deep: drawing on either leaves the other alone
        FWidth = src->FWidth;
        FHeight = src->FHeight;
        FPixelFormat = src->FPixelFormat;
        FPalette = src->FPalette;
        return Changed();
    }
    if (auto* g = qobject_cast<TGraphic*>(Source)) return SetImage(g->ToImage().convertToFormat(QImage::Format_RGB32));
    if (auto* pic = qobject_cast<TPicture*>(Source); pic && pic->Graphic()) return Assign(pic->Graphic());
    TPersistent::Assign(Source);
}

QImage TBitmap::Encoded() const
{
    if (FPalette.isEmpty()) return FImage;
    if (FPixelFormat == pf1bit && FPalette.size() <= 2)
        return FImage.convertToFormat(QImage::Format_Mono, FPalette, Qt::ThresholdDither);
    return FImage.convertToFormat(QImage::Format_Indexed8, FPalette, Qt::ThresholdDither);
}

void TBitmap::LoadFromStream(TStream* Stream) { SetImage(Decode(ReadRest(Stream))); }

void TBitmap::SaveToStream(TStream* Stream)
{
    const QByteArray bytes = Encode(Encoded(), FSaveFormat.constData());
    Stream->WriteBuffer(bytes.constData(), bytes.size());
}

String TBitmap::Data() const
{
    if (Empty()) return {};
    return Encode(Encoded(), "PNG").toBase64().toStdString();
}

void TBitmap::SetData(const String& Value)
{
    if (Value.empty()) return SetImage(QImage());
    SetImage(Decode(QByteArray::fromBase64(QByteArray::fromStdString(Value))));
}

// ---------------------------------------------------------------- TIcon

void TIcon::SetWidth(int32_t Value)
{
    FWidth = std::max(Value, 0);
    Changed();
}

void TIcon::SetHeight(int32_t Value)
{
    FHeight = std::max(Value, 0);
    Changed();
}

QImage TIcon::ToImage() const
{
    if (FIcon.isNull()) return {};
    return FIcon.pixmap(QSize(FWidth, FHeight)).toImage().convertToFormat(QImage::Format_ARGB32)
        .scaled(FWidth, FHeight);
}

void TIcon::SetIcon(const QIcon& Value)
{
    FIcon = Value;
    Changed();
}

void TIcon::Assign(TPersistent* Source)
{
    auto* src = qobject_cast<TIcon*>(Source);
    if (!src) return TPersistent::Assign(Source);
    FIcon = src->FIcon;
    FWidth = src->FWidth;
    FHeight = src->FHeight;
    Changed();
}

void TIcon::LoadFromStream(TStream* Stream)
{
    const QImage img = Decode(ReadRest(Stream));
    FIcon = QIcon(QPixmap::fromImage(img));
    FWidth = img.width();
    FHeight = img.height();
    Changed();
}

void TIcon::SaveToStream(TStream* Stream)
{
    const QByteArray bytes = Encode(ToImage(), FSaveFormat == "ICO" ? "ICO" : "PNG");
    Stream->WriteBuffer(bytes.constData(), bytes.size());
}

String TIcon::Data() const
{
    if (Empty()) return {};
    return Encode(ToImage(), "PNG").toBase64().toStdString();
}

void TIcon::SetData(const String& Value)
{
    if (Value.empty()) {
        FIcon = QIcon();
        return Changed();
    }
    const QImage img = Decode(QByteArray::fromBase64(QByteArray::fromStdString(Value)));
    FIcon = QIcon(QPixmap::fromImage(img));
    FWidth = img.width();
    FHeight = img.height();
    Changed();
}

// ---------------------------------------------------------------- TPicture

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed()
{
    if (OnChange) OnChange(this);
}

void TPicture::Take(std::unique_ptr<TGraphic> Value)
{
    FGraphic = std::move(Value);
    if (FGraphic) FGraphic->OnChange = [this](TObject*) { Changed(); };
    Changed();
}

void TPicture::SetGraphic(TGraphic* Value)
{
    if (!Value) return Take(nullptr);
    std::unique_ptr<TGraphic> copy(qobject_cast<TGraphic*>(Value->metaObject()->newInstance()));
    if (!copy) throw EInvalidGraphic(String("Cannot copy a ") + Value->metaObject()->className());
    copy->Assign(Value);
    Take(std::move(copy));
}

TBitmap* TPicture::Bitmap()
{
    if (!qobject_cast<TBitmap*>(FGraphic.get())) Take(std::make_unique<TBitmap>());
    return static_cast<TBitmap*>(FGraphic.get());
}

TIcon* TPicture::Icon()
{
    if (!qobject_cast<TIcon*>(FGraphic.get())) Take(std::make_unique<TIcon>());
    return static_cast<TIcon*>(FGraphic.get());
}

void TPicture::LoadFromFile(const String& FileName)
{
    std::unique_ptr<TGraphic> g;
    if (TGraphic::FormatOf(FileName) == "ICO") g = std::make_unique<TIcon>();
    else g = std::make_unique<TBitmap>();
    g->LoadFromFile(FileName);
    Take(std::move(g));
}

void TPicture::SaveToFile(const String& FileName)
{
    if (FGraphic) FGraphic->SaveToFile(FileName);
}

void TPicture::Assign(TPersistent* Source)
{
    if (!Source) return Take(nullptr);
    if (auto* pic = qobject_cast<TPicture*>(Source)) return SetGraphic(pic->Graphic());
    if (auto* g = qobject_cast<TGraphic*>(Source)) return SetGraphic(g);
    TPersistent::Assign(Source);
}

void TPicture::AssignTo(TPersistent* Dest)
{
    if (FGraphic && qobject_cast<TGraphic*>(Dest)) return Dest->Assign(FGraphic.get());
    TPersistent::AssignTo(Dest);
}

String TPicture::Data() const
{
    if (!FGraphic || FGraphic->Empty()) return {};
    if (auto* b = qobject_cast<TBitmap*>(FGraphic.get())) return "TBitmap:" + b->Data();
    if (auto* i = qobject_cast<TIcon*>(FGraphic.get())) return "TIcon:" + i->Data();
    return "TIcon:" + Encode(FGraphic->ToImage(), "PNG").toBase64().toStdString();
}

void TPicture::SetData(const String& Value)
{
    if (Value.empty()) return Take(nullptr);
    const size_t colon = Value.find(':');
    const String kind = Value.substr(0, colon), data = colon == String::npos ? String() : Value.substr(colon + 1);
    if (kind == "TBitmap") {
        auto b = std::make_unique<TBitmap>();
        b->SetData(data);
        return Take(std::move(b));
    }
    if (kind != "TIcon") throw EInvalidGraphic("Unknown picture kind " + kind);
    auto icon = std::make_unique<TIcon>();
    icon->SetData(data);
    Take(std::move(icon));
}

}  // namespace qel
