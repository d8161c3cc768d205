// TControl, painting part: the retained image, Invalidate/Update and the canvas.
#include "framework/gui/Controls.h"

#include "framework/gui/qt/WidgetBridge.h"

namespace qel {

TCanvas* TControl::ControlCanvas()
{
    if (!FCanvas) {
        FCanvas = std::make_unique<TCanvas>();
        FCanvas->SetImage(&FImage);
        FCanvas->OnDamage = [this](const TRect& R) { CanvasDamaged(R); };
    }
    return FCanvas.get();
}

void TControl::ResizeImage()
{
    const TRect c = ClientRect();
    const int w = std::max(c.Right - c.Left, 0), h = std::max(c.Bottom - c.Top, 0);
    if (FImage.width() == w && FImage.height() == h && !FImage.isNull()) return;
    FImage = QImage(std::max(w, 1), std::max(h, 1), QImage::Format_RGB32);
    FImage.fill(ToQColor(FColor));
    if (FCanvas) FCanvas->SetImage(&FImage);
    // A size change inside Paint is Paint's own doing: what it draws next is current, so no
    // second Paint is asked for (that would loop whenever Paint sizes the control).
    if (FPainting) {
        RequestWindowUpdate(Rect(0, 0, w, h));
        return;
    }
    Invalidate();
}

void TControl::Invalidate()
{
    FImageValid = false;
    if (FWindow) FWindow->UpdateAll();
}

void TControl::Update()
{
    if (!FImageValid) WindowPaint();
}

void TControl::Repaint()
{
    Invalidate();
    Update();
}

void TControl::WindowPaint()
{
    if (FImageValid || FPainting) return;
    if (FImage.isNull()) ResizeImage();
    FPainting = true;
    FImageValid = true;
    try {
        PrepareImage();
        if (FCanvas) {
            FCanvas->Font()->Assign(FFont.get());
            FCanvas->Brush()->SetColor(FColor);
        }
        Paint();
    } catch (...) {
        FPainting = false;
        throw;
    }
    FPainting = false;
    if (FWindow) FWindow->UpdateAll();
}

void TControl::PrepareImage() { FImage.fill(ToQColor(FColor)); }

void TControl::CanvasDamaged(const TRect& R) { RequestWindowUpdate(R); }

void TControl::RequestWindowUpdate(const TRect& R)
{
    if (FWindow) FWindow->Update(R);
}

}  // namespace qel
