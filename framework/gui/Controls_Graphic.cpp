// TGraphicControl and TCustomControl.
#include "framework/gui/Controls.h"

#include "framework/gui/qt/WidgetBridge.h"

namespace qel {

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) { SetParentColor(true); }

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::CreateGraphicWindow()
{
    if (FWindow || !Parent() || !Parent()->HandleAllocated()) return;
    TCreateParams params;
    params.Style = WS_CHILD;
    params.X = Left();
    params.Y = Top();
    params.Width = Width();
    params.Height = Height();
    params.WndParent = Parent();
    FWindow = std::make_unique<Bridge::TWindow>(this, params, Parent()->Window());
    FWindow->SetCursor(Cursor());
    FWindow->SetToolTip(ShowHint() ? Hint() : String());
    FWindow->SetEnabled(Enabled());
    ResizeImage();
    Invalidate();
    FWindow->SetVisible(Visible() || ComponentState().Contains(csDesigning));
}

void TGraphicControl::PrepareImage()
{
    // The parent's own picture under this control, painted first when it is due.
    TWinControl* p = Parent();
    if (!p) return TControl::PrepareImage();
    p->Update();
    const QImage& back = p->RetainedImage();
    const TRect c = p->ClientRect();
    QImage& image = ImageRef();
    image.fill(ToQColor(p->Color()));
    if (back.width() != c.Right || back.height() != c.Bottom) return;
    for (int y = 0; y < image.height(); ++y) {
        const int sy = Top() + y;
        if (sy < 0 || sy >= back.height()) continue;
        const auto* src = reinterpret_cast<const QRgb*>(back.constScanLine(sy));
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int sx = Left() + x;
            if (sx >= 0 && sx < back.width()) dst[x] = src[sx];
        }
    }
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {}

TCustomControl::~TCustomControl() = default;

QEL_REGISTER_CLASS(TControl);
QEL_REGISTER_CLASS(TWinControl);
QEL_REGISTER_CLASS(TGraphicControl);
QEL_REGISTER_CLASS(TCustomControl);

}  // namespace qel
