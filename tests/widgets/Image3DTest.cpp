// TQELImage: the bevel worked into the picture's border rings, the rebuild rules and placement.
#include "widgets/QELImage.h"

#include "framework/core/FormFiles.h"
#include "framework/gui/Forms.h"

#include <gtest/gtest.h>

#include <memory>

using namespace qel;

namespace {

QRgb Grey(int V) { return qRgb(V, V, V); }
QRgb Rgb(TColor C) { return ToQRgb(C); }

void Fill(TBitmap& B, int W, int H, TColor C)
{
    B.SetSize(W, H);
    B.Canvas()->Brush()->SetColor(C);
    B.Canvas()->FillRect(Rect(0, 0, W, H));
}

class Image3DTest : public ::testing::Test {
protected:
    Image3DTest() : Form(new TForm(nullptr)), Image(new TQELImage(Form.get()))
    {
        Form->SetName("Form1");
        Form->SetColor(clYellow);
        Image->SetName("Image1");
        Image->SetParent(Form.get());
        Image->SetBounds(5, 5, 20, 20);
    }

    QRgb Shown(int X, int Y) const { return Image->Display()->Image().pixel(X, Y) | 0xFF000000u; }
    QRgb Screen(int X, int Y)
    {
        Image->Update();
        return Image->RetainedImage().pixel(X, Y) | 0xFF000000u;
    }
    void Assign(int W, int H, TColor C)
    {
        TBitmap b;
        Fill(b, W, H, C);
        Image->Setfbitm(&b);
    }

    std::unique_ptr<TForm> Form;
    TQELImage* Image;
};

}  // namespace

TEST_F(Image3DTest, ShowsNothingUntilAPictureIsAssigned)
{
    EXPECT_TRUE(Image->Display()->Empty());
    for (int i = 0; i < 20; ++i) EXPECT_EQ(Rgb(clYellow), Screen(i, i));
    EXPECT_EQ(70, Image->Intensity());
    EXPECT_EQ(4, Image->Borderwidth());
    // No bitmap at all empties the picture rather than failing.
    Assign(3, 3, clRed);
    Image->Setfbitm(nullptr);
    EXPECT_TRUE(Image->Picture()->Empty());
    EXPECT_TRUE(Image->Display()->Empty());
    EXPECT_EQ(Rgb(clYellow), Screen(1, 1));
}

TEST_F(Image3DTest, ATinyPictureHasOneRingAndItsCornersAreWorkedTwice)
{
    Image->Setint(200);
    Assign(3, 3, clWhite);  // rings 2 to 4 lie beyond the middle
    // Raised: bottom and right darkened, then top and left lightened.
    const QRgb raised[3][3] = {{Grey(255), Grey(255), Grey(255)},
                               {Grey(255), Grey(255), Grey(55)},
                               {Grey(255), Grey(55), Grey(0)}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(raised[y][x], Shown(x, y)) << x << "," << y;
    // Sunken: top and left darkened, then bottom and right lightened.
    Image->SetForm(true);
    const QRgb sunken[3][3] = {{Grey(0), Grey(55), Grey(255)},
                               {Grey(55), Grey(255), Grey(255)},
                               {Grey(255), Grey(255), Grey(255)}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(sunken[y][x], Shown(x, y)) << x << "," << y;
}

TEST_F(Image3DTest, RingsZeroToBorderwidthAreLitOrShadedWithClamping)
{
    Assign(40, 30, RGB(128, 128, 128));  // Intensity 70, Borderwidth 4
    EXPECT_EQ(Grey(198), Shown(20, 0));   // top lightened
    EXPECT_EQ(Grey(198), Shown(20, 4));   // ring 4
    EXPECT_EQ(Grey(128), Shown(20, 5));   // ring 5 untouched
    EXPECT_EQ(Grey(198), Shown(2, 15));   // left lightened
    EXPECT_EQ(Grey(58), Shown(20, 27));   // bottom darkened
    EXPECT_EQ(Grey(58), Shown(37, 15));   // right darkened
    EXPECT_EQ(Grey(128), Shown(20, 15));
    EXPECT_EQ(Grey(255), Shown(0, 0));    // lightened twice, clamped
    EXPECT_EQ(Grey(128), Shown(39, 0));   // right darkened, then top lightened
    EXPECT_EQ(Grey(128), Shown(0, 29));   // bottom darkened, then left lightened
    EXPECT_EQ(Grey(0), Shown(39, 29));    // darkened twice, clamped
    EXPECT_EQ(Grey(255), Shown(4, 4));
    EXPECT_EQ(Grey(128), Shown(4, 25));

    Image->SetForm(true);
    EXPECT_EQ(Grey(58), Shown(20, 0));
    EXPECT_EQ(Grey(198), Shown(20, 29));
    EXPECT_EQ(Grey(0), Shown(0, 0));
    EXPECT_EQ(Grey(255), Shown(39, 29));
    EXPECT_EQ(Grey(128), Image->Picture()->Image().pixel(0, 0) | 0xFF000000u);  // the source stays as it was

    Image->Setborder(1);
    EXPECT_EQ(Grey(58), Shown(20, 1));
    EXPECT_EQ(Grey(128), Shown(20, 2));
}

TEST_F(Image3DTest, IntensityZeroAndTwoHundredOnWhite)
{
    Assign(40, 30, clWhite);
    Image->Setint(0);
    EXPECT_EQ(Image->Picture()->Image(), Image->Display()->Image());
    Image->Setint(200);
    EXPECT_EQ(Grey(55), Shown(20, 29));   // darkened once
    EXPECT_EQ(Grey(55), Shown(39, 15));
    EXPECT_EQ(Grey(255), Shown(20, 0));   // lightened once
    EXPECT_EQ(Grey(255), Shown(0, 15));
}

TEST_F(Image3DTest, IgnoredAndUnchangedValuesDoNotRebuild)
{
    Assign(40, 30, RGB(128, 128, 128));
    Image->Update();
    // A change of the source in place shows only when the copy is rebuilt.
    Image->Picture()->Canvas()->SetPixel(20, 15, clRed);
    Image->Setint(201);
    Image->Setint(-1);
    Image->Setint(70);
    Image->Setborder(0);
    Image->Setborder(4);
    Image->SetForm(false);
    Image->Setfbitm(Image->Picture());
    Image->SetCenter(false);
    EXPECT_EQ(70, Image->Intensity());
    EXPECT_EQ(4, Image->Borderwidth());
    EXPECT_EQ(Grey(128), Shown(20, 15));
    EXPECT_TRUE(Image->PaintPending());  // only Center asked for a repaint
    Image->Setint(200);
    EXPECT_EQ(Rgb(clRed), Shown(20, 15));
    EXPECT_EQ(200, Image->Intensity());
}

TEST_F(Image3DTest, PaintsTheCopyAtTheCornerOrCentredAndClipsIt)
{
    TBitmap b;
    Fill(b, 6, 4, clBlue);
    b.Canvas()->SetPixel(0, 0, clRed);
    Image->Setint(0);
    Image->Setfbitm(&b);
    EXPECT_EQ(Rgb(clRed), Screen(0, 0));
    EXPECT_EQ(Rgb(clBlue), Screen(5, 3));
    EXPECT_EQ(Rgb(clYellow), Screen(6, 3));
    Image->SetCenter(true);
    EXPECT_TRUE(Image->PaintPending());
    EXPECT_EQ(Rgb(clRed), Screen(7, 8));  // 20 div 2 - 6 div 2, 20 div 2 - 4 div 2
    EXPECT_EQ(Rgb(clBlue), Screen(12, 11));
    EXPECT_EQ(Rgb(clYellow), Screen(13, 11));
    // Larger than the control: cut on both sides.
    Fill(b, 40, 30, clBlue);
    b.Canvas()->SetPixel(10, 5, clRed);
    Image->Setfbitm(&b);
    EXPECT_EQ(Rgb(clRed), Screen(0, 0));  // 10 - 20, 10 - 15
    EXPECT_EQ(Rgb(clBlue), Screen(19, 19));
}

TEST_F(Image3DTest, APaletteBitmapTakesItsNearestEntries)
{
    TBitmap b;
    Fill(b, 40, 30, RGB(128, 128, 128));
    b.SetPalette({Grey(0), Grey(255), Grey(128), Grey(60), Grey(200)});
    Image->Setfbitm(&b);
    EXPECT_EQ(Grey(200), Shown(20, 0));   // 198 is not in the palette
    EXPECT_EQ(Grey(60), Shown(20, 29));   // nor is 58
    EXPECT_EQ(Grey(255), Shown(0, 0));
    EXPECT_EQ(b.Palette(), Image->Display()->Palette());
}

TEST_F(Image3DTest, PublishedPropertiesAndThePictureComeBackFromAFormFile)
{
    TBitmap b;
    Fill(b, 12, 9, RGB(100, 150, 200));
    b.Canvas()->SetPixel(6, 4, clRed);
    Image->About = TQELAboutFreeStr("image");
    Image->Setint(120);
    Image->Setborder(2);
    Image->SetCenter(true);
    Image->SetForm(true);
    Image->Setfbitm(&b);
    const String text = ComponentToText(Form.get());
    std::unique_ptr<TComponent> copy(TextToComponent(text));
    auto* image = dynamic_cast<TQELImage*>(copy->FindComponent("Image1"));
    ASSERT_NE(nullptr, image);
    EXPECT_EQ("image", image->About.ToString());
    EXPECT_EQ(120, image->Intensity());
    EXPECT_EQ(2, image->Borderwidth());
    EXPECT_TRUE(image->Center());
    EXPECT_TRUE(image->Border3DIn());
    EXPECT_EQ(b.Image(), image->Picture()->Image());
    EXPECT_EQ(Image->Display()->Image(), image->Display()->Image());  // rebuilt once read
}
