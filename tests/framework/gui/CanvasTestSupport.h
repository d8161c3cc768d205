#pragma once
// A white image with a canvas on it, and ways to look at what was painted.
#include "framework/gui/Canvas.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

namespace qel::test {

using TPixelSet = std::set<std::pair<int, int>>;

class CanvasFixture : public ::testing::Test {
protected:
    explicit CanvasFixture(int W = 40, int H = 40) : Img(W, H, QImage::Format_RGB32)
    {
        Img.fill(Qt::white);
        Canvas.SetImage(&Img);
        Canvas.OnDamage = [this](const TRect& R) { Damaged.push_back(R); };
    }
    void Clear() { Img.fill(Qt::white); Damaged.clear(); }
    bool Painted(int X, int Y) const { return Img.pixel(X, Y) != qRgb(255, 255, 255); }
    QRgb At(int X, int Y) const { return Img.pixel(X, Y) | 0xFF000000u; }
    TPixelSet PaintedSet() const
    {
        TPixelSet s;
        for (int y = 0; y < Img.height(); ++y)
            for (int x = 0; x < Img.width(); ++x)
                if (Painted(x, y)) s.insert({x, y});
        return s;
    }
    TPixelSet WithColor(QRgb C) const
    {
        TPixelSet s;
        for (int y = 0; y < Img.height(); ++y)
            for (int x = 0; x < Img.width(); ++x)
                if (At(x, y) == (C | 0xFF000000u)) s.insert({x, y});
        return s;
    }
    // '.' white, '#' pen black, 'o' anything else: readable failure messages.
    std::string Picture() const
    {
        std::string out;
        for (int y = 0; y < Img.height(); ++y) {
            for (int x = 0; x < Img.width(); ++x)
                out += !Painted(x, y) ? '.' : At(x, y) == qRgb(0, 0, 0) ? '#' : 'o';
            out += '\n';
        }
        return out;
    }

    QImage Img;
    TCanvas Canvas;
    std::vector<TRect> Damaged;
};

}  // namespace qel::test
