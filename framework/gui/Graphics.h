#pragma once
// Colours, pens, brushes, fonts and pictures: the framework's graphics objects.
// INTERFACE AGREED BETWEEN THE CANVAS AND THE CONTROLS: names below are fixed; add, do not rename.
#include "framework/core/Classes.h"
#include "framework/gui/GuiExport.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPalette>
#include <QVector>

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
constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
                 clLtGray = 0xC0C0C0, clDkGray = 0x808080, clNone = 0x1FFFFFFF, clDefault = 0x20000000;
constexpr TColor SystemColorBase = static_cast<TColor>(0x80000000u);
constexpr TColor PaletteRelativeFlag = 0x02000000;
constexpr TColor clScrollBar = SystemColorBase + 0, clBackground = SystemColorBase + 1,
                 clActiveCaption = SystemColorBase + 2, clInactiveCaption = SystemColorBase + 3,
                 clMenu = SystemColorBase + 4, clWindow = SystemColorBase + 5, clWindowFrame = SystemColorBase + 6,
                 clMenuText = SystemColorBase + 7, clWindowText = SystemColorBase + 8,
                 clCaptionText = SystemColorBase + 9, clActiveBorder = SystemColorBase + 10,
                 clInactiveBorder = SystemColorBase + 11, clAppWorkSpace = SystemColorBase + 12,
                 clHighlight = SystemColorBase + 13, clHighlightText = SystemColorBase + 14,
                 clBtnFace = SystemColorBase + 15, clBtnShadow = SystemColorBase + 16,
                 clGrayText = SystemColorBase + 17, clBtnText = SystemColorBase + 18,
                 clInactiveCaptionText = SystemColorBase + 19, clBtnHighlight = SystemColorBase + 20,
                 cl3DDkShadow = SystemColorBase + 21, cl3DLight = SystemColorBase + 22,
                 clInfoText = SystemColorBase + 23, clInfoBk = SystemColorBase + 24;
constexpr int32_t SystemColorCount = 25;

constexpr TColor RGB(uint8_t R, uint8_t G, uint8_t B) { return TColor(R) | TColor(G) << 8 | TColor(B) << 16; }
constexpr TColor PaletteRGB(uint8_t R, uint8_t G, uint8_t B) { return PaletteRelativeFlag | RGB(R, G, B); }
constexpr bool IsSystemColor(TColor Color) { return Color < 0; }

// A colour constant by its name ("clRed", "clBtnFace"; letter case ignored): false when unknown.
QEL_GUI_EXPORT bool IdentToColor(const String& Ident, TColor& Color);
// The name of a colour constant, or "" for a colour without one.
QEL_GUI_EXPORT String ColorToIdent(TColor Color);

// The RGB value (0x00BBGGRR) of any colour; system colours from the current palette.
QEL_GUI_EXPORT int32_t ColorToRGB(TColor Color);
QEL_GUI_EXPORT QColor ToQColor(TColor Color);
// The system colour a palette role stands for, and the fixed values used without a GUI application
// (the fusion palette's, so that headless pictures match the screen).
QEL_GUI_EXPORT QPalette::ColorRole SystemColorRole(TColor Color);
QEL_GUI_EXPORT QPalette::ColorGroup SystemColorGroup(TColor Color);
QEL_GUI_EXPORT int32_t DefaultSystemColorRGB(TColor Color);
QEL_GUI_EXPORT QRgb ToQRgb(TColor Color);  // opaque 0xFFRRGGBB

class QEL_GUI_EXPORT EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

using TNotifyChange = std::function<void(TObject* Sender)>;

// The enumerations live in a namespace of their own so that moc gives their names to form files.
namespace GraphicsEnums {
Q_NAMESPACE_EXPORT(QEL_GUI_EXPORT)
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
Q_ENUM_NS(TPenStyle)
enum TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen,
                pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor };
Q_ENUM_NS(TPenMode)
enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
Q_ENUM_NS(TBrushStyle)
enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
Q_ENUM_NS(TFontStyle)
enum TFontPitch { fpDefault, fpVariable, fpFixed };
Q_ENUM_NS(TFontPitch)
enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
Q_ENUM_NS(TPixelFormat)
}  // namespace GraphicsEnums
using namespace GraphicsEnums;

// A font style set as form files store it: a list of fsBold, fsItalic, ... names.
namespace FontStyleFlags {
Q_NAMESPACE_EXPORT(QEL_GUI_EXPORT)
enum TFontStyleFlag { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
Q_DECLARE_FLAGS(TFontStyleFlags, TFontStyleFlag)
Q_FLAG_NS(TFontStyleFlags)
}  // namespace FontStyleFlags

using TFontStyles = TSet<TFontStyle>;

class QEL_GUI_EXPORT TGraphicsObject : public TPersistent {
    Q_OBJECT
public:
    TNotifyChange OnChange;  // fired after every change
protected:
    void Changed();
};

class QEL_GUI_EXPORT TPen : public TGraphicsObject {
    Q_OBJECT
    Q_PROPERTY(int32_t Color READ Color WRITE SetColor)
    Q_PROPERTY(int32_t Width READ Width WRITE SetWidth)
    Q_PROPERTY(qel::GraphicsEnums::TPenStyle Style READ Style WRITE SetStyle)
    Q_PROPERTY(qel::GraphicsEnums::TPenMode Mode READ Mode WRITE SetMode)
    Q_CLASSINFO("default:Color", "0")
    Q_CLASSINFO("default:Width", "1")
    Q_CLASSINFO("default:Style", "psSolid")
    Q_CLASSINFO("default:Mode", "pmCopy")
public:
    Q_INVOKABLE TPen() = default;
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    int32_t Width() const { return FWidth; }
    void SetWidth(int32_t Value);  // below 1 becomes 1
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle Value);
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode Value);
    void Assign(TPersistent* Source) override;

private:
    TColor FColor = clBlack;
    int32_t FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;
};

class QEL_GUI_EXPORT TBrush : public TGraphicsObject {
    Q_OBJECT
    Q_PROPERTY(int32_t Color READ Color WRITE SetColor)
    Q_PROPERTY(qel::GraphicsEnums::TBrushStyle Style READ Style WRITE SetStyle)
    Q_CLASSINFO("default:Color", "16777215")
    Q_CLASSINFO("default:Style", "bsSolid")
public:
    Q_INVOKABLE TBrush() = default;
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);  // a clear brush becomes solid, as the classic setter does
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle Value);
    void Assign(TPersistent* Source) override;

private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
};

// Name, Size (points), Height (negative pixels convention), Color, Style, Pitch, Charset; Assign;
// ToQFont() through the one face-substitution table ("MS Sans Serif", "System", "Arial", "Courier New").
class QEL_GUI_EXPORT TFont : public TGraphicsObject {
    Q_OBJECT
    Q_PROPERTY(String Name READ Name WRITE SetName)
    Q_PROPERTY(int32_t Height READ Height WRITE SetHeight)
    Q_PROPERTY(int32_t Size READ Size WRITE SetSize STORED false)
    Q_PROPERTY(int32_t Color READ Color WRITE SetColor)
    Q_PROPERTY(qel::FontStyleFlags::TFontStyleFlags Style READ StyleFlags WRITE SetStyleFlags)
    Q_PROPERTY(qel::GraphicsEnums::TFontPitch Pitch READ Pitch WRITE SetPitch)
    Q_PROPERTY(int32_t Charset READ Charset WRITE SetCharset)
    Q_CLASSINFO("default:Name", "MS Sans Serif")
    Q_CLASSINFO("default:Height", "-11")
    Q_CLASSINFO("default:Color", "-2147483640")
    Q_CLASSINFO("default:Style", "")  // the empty set
    Q_CLASSINFO("default:Pitch", "fpDefault")
    Q_CLASSINFO("default:Charset", "1")
public:
    static constexpr int32_t PixelsPerInch = 96;
    Q_INVOKABLE TFont() = default;

    String Name() const { return FName; }
    void SetName(const String& Value);
    int32_t Height() const { return FHeight; }
    void SetHeight(int32_t Value);
    int32_t Size() const;          // -Height * 72 / 96, rounded
    void SetSize(int32_t Value);   // Height = -Size * 96 / 72, rounded
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles Value);
    FontStyleFlags::TFontStyleFlags StyleFlags() const;
    void SetStyleFlags(FontStyleFlags::TFontStyleFlags Value);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch Value);
    int32_t Charset() const { return FCharset; }
    void SetCharset(int32_t Value);
    void Assign(TPersistent* Source) override;

    // The Qt font to draw with: the substituted face, pixel size, styles, no antialiasing.
    QFont ToQFont() const;
    // The installed face a name stands for (the table in Graphics_Font.cpp); unknown names pass through.
    static QString SubstituteFace(const String& Name);

private:
    String FName = "MS Sans Serif";
    int32_t FHeight = -11;
    TColor FColor = clWindowText;
    TFontStyles FStyle;
    TFontPitch FPitch = fpDefault;
    int32_t FCharset = 1;
};

class TCanvas;
class TStream;

// A picture of some kind; the canvas draws any graphic through its image.
class QEL_GUI_EXPORT TGraphic : public TPersistent {
    Q_OBJECT
public:
    TNotifyChange OnChange;

    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    virtual void SetWidth(int32_t Value) = 0;
    virtual void SetHeight(int32_t Value) = 0;
    virtual bool Empty() const { return Width() == 0 || Height() == 0; }
    // The pixels to draw, RGB32 or ARGB32 (an icon's transparency).
    virtual QImage ToImage() const = 0;

    void LoadFromFile(const String& FileName);  // EFOpenError, EInvalidGraphic
    void SaveToFile(const String& FileName);    // format from the extension
    virtual void LoadFromStream(TStream* Stream) = 0;
    virtual void SaveToStream(TStream* Stream) = 0;

    // The format a file name's extension asks for ("BMP", "PNG", ...), PNG when unknown.
    static QByteArray FormatOf(const String& FileName);

protected:
    void Changed();
    QByteArray FSaveFormat = "BMP";
};

// Pixels in RGB32 (QPainter cannot paint on 8-bit images), with the colour table of a palette
// format kept beside them: saving writes indexed pixels, palette-relative colours resolve to it.
class QEL_GUI_EXPORT TBitmap : public TGraphic {
    Q_OBJECT
    Q_PROPERTY(String Data READ Data WRITE SetData)  // base64 PNG in form files
public:
    Q_INVOKABLE TBitmap();
    ~TBitmap() override;

    int32_t Width() const override { return FWidth; }
    int32_t Height() const override { return FHeight; }
    void SetWidth(int32_t Value) override { SetSize(Value, Height()); }
    void SetHeight(int32_t Value) override { SetSize(Width(), Value); }
    void SetSize(int32_t AWidth, int32_t AHeight);  // keeps the overlapping pixels, new ones white
    QImage ToImage() const override { return FImage; }

    TPixelFormat PixelFormat() const { return FPixelFormat; }
    void SetPixelFormat(TPixelFormat Value);  // palette formats get a default palette, pixels snap to it
    const QVector<QRgb>& Palette() const { return FPalette; }
    void SetPalette(const QVector<QRgb>& Value);  // snaps the pixels to the new entries
    QRgb NearestPaletteColor(QRgb Color) const;

    TCanvas* Canvas();
    QImage& Image() { return FImage; }
    const QImage& Image() const { return FImage; }
    void SetImage(const QImage& Value);  // copied into RGB32; a colour table becomes the palette

    void Assign(TPersistent* Source) override;
    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;
    String Data() const;
    void SetData(const String& Value);

private:
    QImage Encoded() const;  // what is written: indexed when there is a palette
    void SnapToPalette();
    QImage FImage;
    int32_t FWidth = 0;  // kept apart from the image: a 10 x 0 bitmap has no image but a width
    int32_t FHeight = 0;
    TPixelFormat FPixelFormat = pfDevice;
    QVector<QRgb> FPalette;
    std::unique_ptr<TCanvas> FCanvas;
};

class QEL_GUI_EXPORT TIcon : public TGraphic {
    Q_OBJECT
    Q_PROPERTY(String Data READ Data WRITE SetData)  // base64 PNG in form files, as TBitmap's
public:
    Q_INVOKABLE TIcon() = default;
    int32_t Width() const override { return FWidth; }
    int32_t Height() const override { return FHeight; }
    void SetWidth(int32_t Value) override;
    void SetHeight(int32_t Value) override;
    bool Empty() const override { return FIcon.isNull(); }
    QImage ToImage() const override;  // ARGB32 at Width x Height
    const QIcon& Icon() const { return FIcon; }
    void SetIcon(const QIcon& Value);
    void Assign(TPersistent* Source) override;
    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;  // PNG of the image
    String Data() const;
    void SetData(const String& Value);  // the image's size becomes the icon's

private:
    QIcon FIcon;
    int32_t FWidth = 32;
    int32_t FHeight = 32;
};

// Holds one graphic of any kind; Bitmap() makes it a bitmap when it is not one.
class QEL_GUI_EXPORT TPicture : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(String Data READ Data WRITE SetData)  // "TBitmap:" or "TIcon:" + base64 PNG
public:
    Q_INVOKABLE TPicture();
    ~TPicture() override;
    TNotifyChange OnChange;

    TGraphic* Graphic() const { return FGraphic.get(); }
    void SetGraphic(TGraphic* Value);  // copies Value
    TBitmap* Bitmap();
    TIcon* Icon();
    int32_t Width() const { return FGraphic ? FGraphic->Width() : 0; }
    int32_t Height() const { return FGraphic ? FGraphic->Height() : 0; }

    void LoadFromFile(const String& FileName);  // .ico: an icon; other image files: a bitmap
    void SaveToFile(const String& FileName);
    void Assign(TPersistent* Source) override;
    String Data() const;
    void SetData(const String& Value);

protected:
    void AssignTo(TPersistent* Dest) override;

private:
    void Take(std::unique_ptr<TGraphic> Value);
    void Changed();
    std::unique_ptr<TGraphic> FGraphic;
};

}  // namespace qel
