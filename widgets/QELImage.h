#pragma once
// TQELImage: a bitmap whose own border pixels are worked into a raised or sunken bevel. The source
// picture is kept; every accepted change rebuilds the processed copy that Paint draws.
#include "framework/gui/Controls.h"
#include "widgets/QELAboutFree.h"
#include "widgets/WidgetsExport.h"

#include <memory>

namespace qel {

class QEL_WIDGETS_EXPORT TQELImage : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(qel::TQELAboutFreeStr About MEMBER About)
    Q_PROPERTY(qel::TBitmap* Picture READ Picture WRITE Setfbitm)
    Q_PROPERTY(int32_t Intensity READ Intensity WRITE Setint)
    Q_PROPERTY(int32_t Borderwidth READ Borderwidth WRITE Setborder)
    Q_PROPERTY(bool Center READ Center WRITE SetCenter)
    Q_PROPERTY(bool Border3DIn READ Border3DIn WRITE SetForm)
    Q_CLASSINFO("default:About", "")

public:
    Q_INVOKABLE explicit TQELImage(TComponent* AOwner);
    ~TQELImage() override;

    TBitmap* Picture() const { return FPicture.get(); }
    void Setfbitm(TBitmap* Value);      // copies, unless Value is Picture itself
    int32_t Intensity() const { return FIntensity; }
    void Setint(int32_t Value);         // 0..200; others and the current value are ignored
    int32_t Borderwidth() const { return FBorderwidth; }
    void Setborder(int32_t Value);      // 1 and up; others and the current value are ignored
    bool Center() const { return FCenter; }
    void SetCenter(bool Value);         // moves the copy only: no rebuild
    bool Border3DIn() const { return FBorder3DIn; }
    void SetForm(bool Value);

    // The processed copy that is painted.
    const TBitmap* Display() const { return FDisplay.get(); }
    void Setbuts();

    TQELAboutFreeStr About;

protected:
    void Paint() override;
    // A form file fills Picture in place, past its setter: the copy is built from it here.
    void Loaded() override;

private:
    std::unique_ptr<TBitmap> FPicture;
    std::unique_ptr<TBitmap> FDisplay;
    int32_t FBorderwidth = 4;
    bool FBorder3DIn = false;
    bool FCenter = false;
    int32_t FIntensity = 70;
};

}  // namespace qel
