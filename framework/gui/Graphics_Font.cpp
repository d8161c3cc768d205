// TFont and the face-substitution table (Graphics.h).
#include "framework/gui/Graphics.h"

#include <array>
#include <cmath>
#include <cstring>

namespace qel {

namespace {

struct TFaceSubstitute {
    const char* Name;     // as components and form files name it
    const char* Face;     // installed face (fonts-dejavu-core, fonts-liberation2)
    QFont::StyleHint Hint;
};

// The one place where the face names the components use become installed fonts; documented in
// docs/ARCHITECTURE.md. Liberation faces have the metrics of the faces they stand in for.
constexpr std::array<TFaceSubstitute, 5> FaceSubstitutes{{
    {"MS Sans Serif", "DejaVu Sans", QFont::SansSerif},
    {"System", "DejaVu Sans", QFont::SansSerif},
    {"Arial", "Liberation Sans", QFont::SansSerif},
    {"Courier New", "Liberation Mono", QFont::Monospace},
    {"Times New Roman", "Liberation Serif", QFont::Serif},
}};

const TFaceSubstitute* FindSubstitute(const String& Name)
{
    for (const TFaceSubstitute& s : FaceSubstitutes)
        if (strcasecmp(s.Name, Name.c_str()) == 0) return &s;
    return nullptr;
}

// Integer a * b / c rounded half away from zero, as the classic MulDiv.
int32_t MulDiv(int32_t A, int32_t B, int32_t C)
{
    return static_cast<int32_t>(std::lround(static_cast<double>(A) * B / C));
}

}  // namespace

QString TFont::SubstituteFace(const String& Name)
{
    const TFaceSubstitute* s = FindSubstitute(Name);
    return QString::fromUtf8(s ? s->Face : Name.c_str());
}

void TFont::SetName(const String& Value)
{
    FName = Value;
    Changed();
}

void TFont::SetHeight(int32_t Value)
{
    FHeight = Value;
    Changed();
}

int32_t TFont::Size() const { return -MulDiv(FHeight, 72, PixelsPerInch); }

void TFont::SetSize(int32_t Value) { SetHeight(-MulDiv(Value, PixelsPerInch, 72)); }

void TFont::SetColor(TColor Value)
{
    FColor = Value;
    Changed();
}

void TFont::SetStyle(TFontStyles Value)
{
    FStyle = Value;
    Changed();
}

FontStyleFlags::TFontStyleFlags TFont::StyleFlags() const
{
    return FontStyleFlags::TFontStyleFlags::fromInt(static_cast<int>(FStyle.Bits()));
}

void TFont::SetStyleFlags(FontStyleFlags::TFontStyleFlags Value)
{
    TFontStyles s;
    for (TFontStyle f : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
        if (Value.toInt() & (1 << f)) s.Include(f);
    SetStyle(s);
}

void TFont::SetPitch(TFontPitch Value)
{
    FPitch = Value;
    Changed();
}

void TFont::SetCharset(int32_t Value)
{
    FCharset = Value;
    Changed();
}

void TFont::Assign(TPersistent* Source)
{
    auto* src = qobject_cast<TFont*>(Source);
    if (!src) return TPersistent::Assign(Source);
    FName = src->FName;
    FHeight = src->FHeight;
    FColor = src->FColor;
    FStyle = src->FStyle;
    FPitch = src->FPitch;
    FCharset = src->FCharset;
    Changed();
}

QFont TFont::ToQFont() const
{
    QFont f(SubstituteFace(FName));
    if (const TFaceSubstitute* s = FindSubstitute(FName)) f.setStyleHint(s->Hint);
    if (FPitch == fpFixed) f.setFixedPitch(true);
    // A positive height is the cell height; Qt's pixel size is the em height, near enough to both.
    f.setPixelSize(std::max(1, std::abs(FHeight)));
    f.setBold(FStyle.Contains(fsBold));
    f.setItalic(FStyle.Contains(fsItalic));
    f.setUnderline(FStyle.Contains(fsUnderline));
    f.setStrikeOut(FStyle.Contains(fsStrikeOut));
    f.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
    return f;
}

}  // namespace qel
