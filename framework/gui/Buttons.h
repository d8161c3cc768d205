#pragma once
// Bitmap buttons and speed buttons.
#include "framework/gui/Graphics.h"
#include "framework/gui/StdCtrls.h"

#include <memory>

namespace qel {

class QEL_GUI_EXPORT TBitBtn : public TButton {
    Q_OBJECT
public:
    enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
    Q_ENUM(TBitBtnKind)
    enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
    Q_ENUM(TButtonLayout)

private:
    Q_PROPERTY(TBitBtnKind Kind READ Kind WRITE SetKind)
    Q_PROPERTY(qel::TBitmap* Glyph READ Glyph)
    Q_PROPERTY(TButtonLayout Layout READ Layout WRITE SetLayout)
    Q_PROPERTY(int32_t Spacing READ Spacing WRITE SetSpacing)
    Q_CLASSINFO("default:Kind", "bkCustom")
    Q_CLASSINFO("default:Layout", "blGlyphLeft")
    Q_CLASSINFO("default:Spacing", "4")

public:
    Q_INVOKABLE explicit TBitBtn(TComponent* AOwner);
    ~TBitBtn() override;

    TBitBtnKind Kind() const { return FKind; }
    // A kind other than bkCustom sets the caption and the modal result (bkClose closes the form).
    void SetKind(TBitBtnKind Value);
    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* Value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    int32_t Spacing() const { return FSpacing; }
    void SetSpacing(int32_t Value);
    void Click() override;

protected:
    void PaintFace(const TRect& Face) override;

private:
    TBitBtnKind FKind = bkCustom;
    std::unique_ptr<TBitmap> FGlyph;
    TButtonLayout FLayout = blGlyphLeft;
    int32_t FSpacing = 4;
};
using enum TBitBtn::TBitBtnKind;
using enum TBitBtn::TButtonLayout;

// A button drawn in its parent. Buttons with the same non-zero GroupIndex in one parent form a
// group of which at most one is down (exactly one unless AllowAllUp).
class QEL_GUI_EXPORT TSpeedButton : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(qel::TBitmap* Glyph READ Glyph)
    Q_PROPERTY(bool Flat READ Flat WRITE SetFlat)
    Q_PROPERTY(int32_t GroupIndex READ GroupIndex WRITE SetGroupIndex)
    Q_PROPERTY(bool Down READ Down WRITE SetDown)
    Q_PROPERTY(bool AllowAllUp READ AllowAllUp WRITE SetAllowAllUp)
    Q_CLASSINFO("default:Flat", "false")
    Q_CLASSINFO("default:GroupIndex", "0")
    Q_CLASSINFO("default:Down", "false")
    Q_CLASSINFO("default:AllowAllUp", "false")

public:
    Q_INVOKABLE explicit TSpeedButton(TComponent* AOwner);
    ~TSpeedButton() override;

    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    int32_t GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int32_t Value) { FGroupIndex = Value; }
    bool Down() const { return FDown; }
    void SetDown(bool Value);  // down in a group: the others of the group go up
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value);  // the whole group follows
    void Click() override;

protected:
    void Paint() override;

private:
    template <class F>
    void ForGroup(F Each);
    std::unique_ptr<TBitmap> FGlyph;
    bool FFlat = false;
    int32_t FGroupIndex = 0;
    bool FDown = false;
    bool FAllowAllUp = false;
};

}  // namespace qel
