#include "framework/gui/Graphics.h"

#include "framework/core/SysUtils.h"
#include "framework/gui/Canvas.h"

#include <QGuiApplication>

#include <array>

namespace qel {

namespace {

struct TSystemColor {
    QPalette::ColorRole Role;
    QPalette::ColorGroup Group;
    QRgb Default;  // the fusion palette's value, for programs without a GUI application
};

// Index = system colour number. Roles chosen so that controls drawn with system colours look like
// the Qt widgets beside them.
constexpr std::array<TSystemColor, SystemColorCount> SystemColors{{
    {QPalette::Button, QPalette::Active, 0xefefef},           // clScrollBar
    {QPalette::Dark, QPalette::Active, 0x9f9f9f},             // clBackground
    {QPalette::Highlight, QPalette::Active, 0x308cc6},        // clActiveCaption
    {QPalette::Mid, QPalette::Active, 0xb8b8b8},              // clInactiveCaption
    {QPalette::Window, QPalette::Active, 0xefefef},           // clMenu
    {QPalette::Base, QPalette::Active, 0xffffff},             // clWindow
    {QPalette::WindowText, QPalette::Active, 0x000000},       // clWindowFrame
    {QPalette::WindowText, QPalette::Active, 0x000000},       // clMenuText
    {QPalette::Text, QPalette::Active, 0x000000},             // clWindowText
    {QPalette::HighlightedText, QPalette::Active, 0xffffff},  // clCaptionText
    {QPalette::Window, QPalette::Active, 0xefefef},           // clActiveBorder
    {QPalette::Window, QPalette::Active, 0xefefef},           // clInactiveBorder
    {QPalette::Mid, QPalette::Active, 0xb8b8b8},              // clAppWorkSpace
    {QPalette::Highlight, QPalette::Active, 0x308cc6},        // clHighlight
    {QPalette::HighlightedText, QPalette::Active, 0xffffff},  // clHighlightText
    {QPalette::Button, QPalette::Active, 0xefefef},           // clBtnFace
    {QPalette::Dark, QPalette::Active, 0x9f9f9f},             // clBtnShadow
    {QPalette::Text, QPalette::Disabled, 0xbebebe},           // clGrayText
    {QPalette::ButtonText, QPalette::Active, 0x000000},       // clBtnText
    {QPalette::WindowText, QPalette::Active, 0x000000},       // clInactiveCaptionText
    {QPalette::Light, QPalette::Active, 0xffffff},            // clBtnHighlight
    {QPalette::Shadow, QPalette::Active, 0x767676},           // cl3DDkShadow
    {QPalette::Midlight, QPalette::Active, 0xcacaca},         // cl3DLight
    {QPalette::ToolTipText, QPalette::Active, 0x000000},      // clInfoText
    {QPalette::ToolTipBase, QPalette::Active, 0xffffdc},      // clInfoBk
}};

const TSystemColor& SystemEntry(TColor Color)
{
    const uint32_t index = static_cast<uint32_t>(Color) & 0xFF;
    return SystemColors[index < SystemColors.size() ? index : 0];
}

int32_t FromQRgb(QRgb C) { return RGB(uint8_t(qRed(C)), uint8_t(qGreen(C)), uint8_t(qBlue(C))); }

}  // namespace

QPalette::ColorRole SystemColorRole(TColor Color) { return SystemEntry(Color).Role; }
QPalette::ColorGroup SystemColorGroup(TColor Color) { return SystemEntry(Color).Group; }
int32_t DefaultSystemColorRGB(TColor Color) { return FromQRgb(SystemEntry(Color).Default); }

int32_t ColorToRGB(TColor Color)
{
    if (!IsSystemColor(Color)) return Color;
    const TSystemColor& e = SystemEntry(Color);
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return FromQRgb(e.Default);
    return FromQRgb(QGuiApplication::palette().color(e.Group, e.Role).rgb());
}

QRgb ToQRgb(TColor Color)
{
    const int32_t c = ColorToRGB(Color);
    return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

QColor ToQColor(TColor Color) { return QColor(ToQRgb(Color)); }

void TGraphicsObject::Changed()
{
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------- TPen

void TPen::SetColor(TColor Value)
{
    FColor = Value;
    Changed();
}

void TPen::SetWidth(int32_t Value)
{
    FWidth = Value < 1 ? 1 : Value;
    Changed();
}

void TPen::SetStyle(TPenStyle Value)
{
    FStyle = Value;
    Changed();
}

void TPen::SetMode(TPenMode Value)
{
    FMode = Value;
    Changed();
}

void TPen::Assign(TPersistent* Source)
{
    auto* src = qobject_cast<TPen*>(Source);
    if (!src) return TPersistent::Assign(Source);
    FColor = src->FColor;
    FWidth = src->FWidth;
    FStyle = src->FStyle;
    FMode = src->FMode;
    Changed();
}

// ---------------------------------------------------------------- TBrush

void TBrush::SetColor(TColor Value)
{
    FColor = Value;
    if (FStyle == bsClear) FStyle = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle Value)
{
    FStyle = Value;
    Changed();
}

void TBrush::Assign(TPersistent* Source)
{
    auto* src = qobject_cast<TBrush*>(Source);
    if (!src) return TPersistent::Assign(Source);
    FColor = src->FColor;
    FStyle = src->FStyle;
    Changed();
}

namespace {

struct TColorIdent {
    const char* Name;
    TColor Color;
};

// clLtGray and clDkGray come last: their values have the names clSilver and clGray.
constexpr TColorIdent ColorIdents[] = {
    {"clBlack", clBlack}, {"clMaroon", clMaroon}, {"clGreen", clGreen}, {"clOlive", clOlive},
    {"clNavy", clNavy}, {"clPurple", clPurple}, {"clTeal", clTeal}, {"clGray", clGray},
    {"clSilver", clSilver}, {"clRed", clRed}, {"clLime", clLime}, {"clYellow", clYellow},
    {"clBlue", clBlue}, {"clFuchsia", clFuchsia}, {"clAqua", clAqua}, {"clWhite", clWhite},
    {"clNone", clNone}, {"clDefault", clDefault}, {"clScrollBar", clScrollBar},
    {"clBackground", clBackground}, {"clActiveCaption", clActiveCaption},
    {"clInactiveCaption", clInactiveCaption}, {"clMenu", clMenu}, {"clWindow", clWindow},
    {"clWindowFrame", clWindowFrame}, {"clMenuText", clMenuText}, {"clWindowText", clWindowText},
    {"clCaptionText", clCaptionText}, {"clActiveBorder", clActiveBorder},
    {"clInactiveBorder", clInactiveBorder}, {"clAppWorkSpace", clAppWorkSpace},
    {"clHighlight", clHighlight}, {"clHighlightText", clHighlightText}, {"clBtnFace", clBtnFace},
    {"clBtnShadow", clBtnShadow}, {"clGrayText", clGrayText}, {"clBtnText", clBtnText},
    {"clInactiveCaptionText", clInactiveCaptionText}, {"clBtnHighlight", clBtnHighlight},
    {"cl3DDkShadow", cl3DDkShadow}, {"cl3DLight", cl3DLight}, {"clInfoText", clInfoText},
    {"clInfoBk", clInfoBk}, {"clLtGray", clLtGray}, {"clDkGray", clDkGray},
};

}  // namespace

bool IdentToColor(const String& Ident, TColor& Color)
{
    for (const TColorIdent& c : ColorIdents)
        if (SameText(Ident, c.Name)) {
            Color = c.Color;
            return true;
        }
    return false;
}

String ColorToIdent(TColor Color)
{
    for (const TColorIdent& c : ColorIdents)
        if (c.Color == Color) return c.Name;
    return String();
}

}  // namespace qel
