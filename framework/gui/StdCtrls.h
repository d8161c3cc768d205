#pragma once
// Labels.
#include "framework/gui/Controls.h"

namespace qel {

class QEL_GUI_EXPORT TCustomLabel : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(qel::TControl::TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(bool ShowAccelChar READ ShowAccelChar WRITE SetShowAccelChar)
    Q_PROPERTY(TWinControl* FocusControl READ FocusControl WRITE SetFocusControl)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
    Q_PROPERTY(qel::TControl::TTextLayout Layout READ Layout WRITE SetLayout)
    Q_CLASSINFO("default:Alignment", "taLeftJustify")
    Q_CLASSINFO("default:AutoSize", "true")
    Q_CLASSINFO("default:ShowAccelChar", "true")
    Q_CLASSINFO("default:Transparent", "false")
    Q_CLASSINFO("default:WordWrap", "false")
    Q_CLASSINFO("default:Layout", "tlTop")

public:
    Q_INVOKABLE explicit TCustomLabel(TComponent* AOwner);

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool Value);
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout Value);

protected:
    void Paint() override;
    void TextChanged() override;
    void FontChanged() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void AdjustBounds();
    uint32_t TextFlags() const;

private:
    TAlignment FAlignment = taLeftJustify;
    bool FAutoSize = true;
    bool FShowAccelChar = true;
    TWinControl* FFocusControl = nullptr;
    bool FTransparent = false;
    bool FWordWrap = false;
    TTextLayout FLayout = tlTop;
};

class QEL_GUI_EXPORT TLabel : public TCustomLabel {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TLabel(TComponent* AOwner);
};

}  // namespace qel
