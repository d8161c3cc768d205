#pragma once
// A form to put components on, and ways to look at a control's retained picture.
#include "framework/gui/Controls.h"
#include "framework/gui/Forms.h"

#include <QCoreApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <utility>

namespace qel::test {

inline void Pump()
{
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

inline QRgb Rgb(TColor C) { return ToQColor(C).rgb() | 0xFF000000u; }

inline QRgb PixelAt(const QImage& Image, int X, int Y) { return Image.pixel(X, Y) | 0xFF000000u; }

using TPixels = std::set<std::pair<int, int>>;

inline TPixels PixelsWithColor(const QImage& Image, TColor C)
{
    TPixels s;
    for (int y = 0; y < Image.height(); ++y)
        for (int x = 0; x < Image.width(); ++x)
            if (PixelAt(Image, x, y) == Rgb(C)) s.insert({x, y});
    return s;
}

// The pixels where two pictures of one size differ: empty when they agree.
inline TPixels Differences(const QImage& A, const QImage& B)
{
    TPixels s;
    for (int y = 0; y < std::min(A.height(), B.height()); ++y)
        for (int x = 0; x < std::min(A.width(), B.width()); ++x)
            if (PixelAt(A, x, y) != PixelAt(B, x, y)) s.insert({x, y});
    return s;
}

// A copy of Image with Draw applied through a canvas: the picture a control should show.
inline QImage Drawn(QImage Image, const std::function<void(TCanvas&)>& Draw)
{
    Image = Image.convertToFormat(QImage::Format_RGB32);
    TCanvas canvas;
    canvas.SetImage(&Image);
    Draw(canvas);
    return Image;
}

// Scaled up by nearest pixel, to look at.
inline bool SavePng(const QImage& Image, const QString& FileName, int Scale = 6)
{
    return Image.scaled(Image.size() * Scale, Qt::IgnoreAspectRatio, Qt::FastTransformation).save(FileName, "PNG");
}

class WidgetFixture : public ::testing::Test {
protected:
    WidgetFixture() : Form(new TForm(nullptr))
    {
        Form->SetName("Form1");
        Form->SetBounds(10, 10, 300, 200);
    }
    ~WidgetFixture() override { delete Form; }

    // Shows the form and runs every pending Paint, so pictures are current.
    void ShowForm()
    {
        Form->Show();
        Pump();
    }

    template <class T>
    T* Place(int32_t Left, int32_t Top, int32_t Width, int32_t Height, const String& Name = {})
    {
        auto* c = new T(Form);
        if (!Name.empty()) c->SetName(Name);
        c->SetParent(Form);
        c->SetBounds(Left, Top, Width, Height);
        return c;
    }

    TForm* Form;
};

}  // namespace qel::test
