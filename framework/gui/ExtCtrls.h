#pragma once
// Panels, bevels and images.
#include "framework/gui/Controls.h"

namespace qel {

// Draws a classic 3D edge Width pixels deep inside Rect and shrinks Rect by it.
QEL_GUI_EXPORT void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int32_t Width);

class QEL_GUI_EXPORT TCustomPanel : public TCustomControl {
    Q_OBJECT
public:
    enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
    Q_ENUM(TBevelCut)

private:
    Q_PROPERTY(qel::TControl::TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(TBevelCut BevelInner READ BevelInner WRITE SetBevelInner)
    Q_PROPERTY(TBevelCut BevelOuter READ BevelOuter WRITE SetBevelOuter)
    Q_PROPERTY(int32_t BevelWidth READ BevelWidth WRITE SetBevelWidth)
    Q_PROPERTY(int32_t BorderWidth READ BorderWidth WRITE SetBorderWidth)
    Q_PROPERTY(qel::TControl::TFormBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_CLASSINFO("default:Alignment", "taCenter")
    Q_CLASSINFO("default:BevelInner", "bvNone")
    Q_CLASSINFO("default:BevelOuter", "bvRaised")
    Q_CLASSINFO("default:BevelWidth", "1")
    Q_CLASSINFO("default:BorderWidth", "0")
    Q_CLASSINFO("default:BorderStyle", "bsNone")

public:
    Q_INVOKABLE explicit TCustomPanel(TComponent* AOwner);
    ~TCustomPanel() override;

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut Value);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut Value);
    int32_t BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int32_t Value);
    int32_t BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int32_t Value);
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);  // bsSingle: a one-pixel window border

protected:
    void CreateParams(TCreateParams& Params) override;
    void AdjustClientRect(TRect& Rect) const override;
    void Paint() override;

private:
    void Changed();
    TAlignment FAlignment = taCenter;
    TBevelCut FBevelInner = bvNone;
    TBevelCut FBevelOuter = bvRaised;
    int32_t FBevelWidth = 1;
    int32_t FBorderWidth = 0;
    TFormBorderStyle FBorderStyle = bsNone;
};

using enum TCustomPanel::TBevelCut;
using TBevelCut = TCustomPanel::TBevelCut;

class QEL_GUI_EXPORT TPanel : public TCustomPanel {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TPanel(TComponent* AOwner);
};

class QEL_GUI_EXPORT TBevel : public TGraphicControl {
    Q_OBJECT
public:
    enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
    Q_ENUM(TBevelShape)
    enum TBevelStyle { bsLowered, bsRaised };
    Q_ENUM(TBevelStyle)

private:
    Q_PROPERTY(TBevelShape Shape READ Shape WRITE SetShape)
    Q_PROPERTY(TBevelStyle Style READ Style WRITE SetStyle)
    Q_CLASSINFO("default:Shape", "bsBox")
    Q_CLASSINFO("default:Style", "bsLowered")

public:
    Q_INVOKABLE explicit TBevel(TComponent* AOwner);
    TBevelShape Shape() const { return FShape; }
    void SetShape(TBevelShape Value);
    TBevelStyle Style() const { return FStyle; }
    void SetStyle(TBevelStyle Value);

protected:
    void Paint() override;
    void PaintBevel(TColor Highlight, TColor Shadow);  // the shape and style in these two colours

private:
    TBevelShape FShape = bsBox;
    TBevelStyle FStyle = bsLowered;
};

using enum TBevel::TBevelShape;
using enum TBevel::TBevelStyle;
using TBevelShape = TBevel::TBevelShape;
using TBevelStyle = TBevel::TBevelStyle;

class QEL_GUI_EXPORT TImage : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(TPicture* Picture READ Picture)
    Q_PROPERTY(bool Center READ Center WRITE SetCenter)
    Q_PROPERTY(bool Stretch READ Stretch WRITE SetStretch)
    Q_CLASSINFO("default:Center", "false")
    Q_CLASSINFO("default:Stretch", "false")

public:
    Q_INVOKABLE explicit TImage(TComponent* AOwner);
    ~TImage() override;
    TPicture* Picture() const { return FPicture.get(); }
    void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
    bool Center() const { return FCenter; }
    void SetCenter(bool Value);
    bool Stretch() const { return FStretch; }
    void SetStretch(bool Value);

protected:
    void Paint() override;

private:
    std::unique_ptr<TPicture> FPicture;
    bool FCenter = false;
    bool FStretch = false;
};

}  // namespace qel
