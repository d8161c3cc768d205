// TImage: a picture drawn at the corner, centred or stretched, repainted when the picture changes.
#include "framework/gui/ExtCtrls.h"
#include "framework/gui/Forms.h"

#include <gtest/gtest.h>

using namespace qel;

namespace {

QRgb Rgb(TColor C) { return ToQColor(C).rgb() | 0xFF000000u; }

class ImageTest : public ::testing::Test {
protected:
    ImageTest() : Form(new TForm(nullptr)), Image(new TImage(Form))
    {
        Form->SetColor(clWhite);
        Image->SetParent(Form);
        Image->SetBounds(10, 10, 20, 10);
        // 4 x 2: red, with a blue top-left pixel and a lime bottom-right one.
        Bitmap.SetSize(4, 2);
        Bitmap.Canvas()->Brush()->SetColor(clRed);
        Bitmap.Canvas()->FillRect(Rect(0, 0, 4, 2));
        Bitmap.Canvas()->SetPixel(0, 0, clBlue);
        Bitmap.Canvas()->SetPixel(3, 1, clLime);
        Image->Picture()->Assign(&Bitmap);
    }
    ~ImageTest() override { delete Form; }

    QRgb At(int X, int Y)
    {
        Image->Update();
        return Image->RetainedImage().pixel(X, Y);
    }

    TForm* Form;
    TImage* Image;
    TBitmap Bitmap;
};

}  // namespace

TEST_F(ImageTest, APlainPictureSitsAtTheTopLeftOverTheParent)
{
    EXPECT_EQ(Rgb(clBlue), At(0, 0));
    EXPECT_EQ(Rgb(clRed), At(1, 0));
    EXPECT_EQ(Rgb(clLime), At(3, 1));
    EXPECT_EQ(Rgb(clWhite), At(4, 0));  // the parent shows beside the picture
    EXPECT_EQ(Rgb(clWhite), At(0, 2));
}

TEST_F(ImageTest, ACentredPictureSitsInTheMiddle)
{
    Image->SetCenter(true);
    EXPECT_EQ(Rgb(clBlue), At(8, 4));  // (20 - 4) / 2, (10 - 2) / 2
    EXPECT_EQ(Rgb(clLime), At(11, 5));
    EXPECT_EQ(Rgb(clWhite), At(0, 0));
    EXPECT_EQ(Rgb(clWhite), At(12, 4));
}

TEST_F(ImageTest, AStretchedPictureFillsTheControlPixelByPixel)
{
    Image->SetCenter(true);  // stretching wins over centring
    Image->SetStretch(true);
    // Each picture pixel becomes a 5 x 5 block, without smoothing.
    EXPECT_EQ(Rgb(clBlue), At(0, 0));
    EXPECT_EQ(Rgb(clBlue), At(4, 4));
    EXPECT_EQ(Rgb(clRed), At(5, 0));
    EXPECT_EQ(Rgb(clRed), At(0, 5));
    EXPECT_EQ(Rgb(clLime), At(15, 5));
    EXPECT_EQ(Rgb(clLime), At(19, 9));
}

TEST_F(ImageTest, ChangingThePictureRepaints)
{
    EXPECT_EQ(Rgb(clBlue), At(0, 0));
    EXPECT_FALSE(Image->PaintPending());
    TBitmap green;
    green.SetSize(2, 2);
    green.Canvas()->Brush()->SetColor(clGreen);
    green.Canvas()->FillRect(Rect(0, 0, 2, 2));
    Image->Picture()->Assign(&green);
    EXPECT_TRUE(Image->PaintPending());
    EXPECT_EQ(Rgb(clGreen), At(0, 0));
    EXPECT_EQ(Rgb(clWhite), At(2, 0));
    Image->Picture()->Bitmap()->SetSize(3, 2);  // the picture's own graphic changing counts too
    EXPECT_TRUE(Image->PaintPending());
    Image->Picture()->Assign(nullptr);
    EXPECT_EQ(Rgb(clWhite), At(0, 0));
}
