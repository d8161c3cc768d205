// Bitmaps, icons and pictures: storage, palettes, copies, files, form files, drawing them.
#include "framework/core/Component.h"
#include "framework/core/FormFiles.h"
#include "framework/gui/CanvasTestSupport.h"

#include <QImageReader>
#include <QTemporaryDir>

using namespace qel;
using namespace qel::test;

namespace qel::test {

// A component with a font and a picture, as controls will publish them.
class TPictureHolder : public TComponent {
    Q_OBJECT
    Q_PROPERTY(qel::TFont* Font READ Font)
    Q_PROPERTY(qel::TPicture* Picture READ Picture)
public:
    Q_INVOKABLE explicit TPictureHolder(TComponent* AOwner) : TComponent(AOwner) {}
    TFont* Font() { return &FFont; }
    TPicture* Picture() { return &FPicture; }

private:
    TFont FFont;
    TPicture FPicture;
};

}  // namespace qel::test

namespace {

class Bitmaps : public ::testing::Test {
protected:
    std::string File(const char* Name) const { return Dir.filePath(QString::fromLatin1(Name)).toStdString(); }
    QTemporaryDir Dir;
};

TEST_F(Bitmaps, SizeSettersKeepPixelsAndCanvasDraws)
{
    TBitmap b;
    EXPECT_TRUE(b.Empty());
    b.SetWidth(10);
    b.SetHeight(8);
    EXPECT_EQ(b.Image().format(), QImage::Format_RGB32);
    b.Canvas()->SetPixel(2, 3, clRed);
    b.SetSize(20, 20);
    EXPECT_EQ(b.Canvas()->Pixel(2, 3), clRed);
    EXPECT_EQ(b.Canvas()->Pixel(15, 15), clWhite);
    b.Canvas()->Rectangle(0, 0, 20, 20);
    EXPECT_EQ(b.Canvas()->Pixel(19, 19), clBlack);
}

TEST_F(Bitmaps, AssignIsADeepCopy)
{
    TBitmap a, b;
    a.SetSize(5, 5);
    a.Canvas()->SetPixel(1, 1, clRed);
    b.Assign(&a);
    a.Canvas()->SetPixel(1, 1, clBlue);
    b.Canvas()->SetPixel(2, 2, clLime);
    EXPECT_EQ(b.Canvas()->Pixel(1, 1), clRed);
    EXPECT_EQ(a.Canvas()->Pixel(2, 2), clWhite);
    TPen pen;
    EXPECT_THROW(b.Assign(&pen), EConvertError);
}

TEST_F(Bitmaps, BmpAndPngRoundTrip)
{
    TBitmap a;
    a.SetSize(7, 5);
    a.Canvas()->SetPixel(6, 4, RGB(1, 2, 3));
    for (const char* name : {"a.bmp", "a.png"}) {
        a.SaveToFile(File(name));
        EXPECT_EQ(QImageReader(QString::fromStdString(File(name))).format(), QByteArray(name + 2)) << name;
        TBitmap b;
        b.LoadFromFile(File(name));
        EXPECT_EQ(b.Width(), 7);
        EXPECT_EQ(b.Height(), 5);
        EXPECT_EQ(b.Canvas()->Pixel(6, 4), RGB(1, 2, 3)) << name;
    }
}

TEST_F(Bitmaps, BadFilesRaise)
{
    TBitmap b;
    EXPECT_THROW(b.LoadFromFile(File("missing.bmp")), EFOpenError);
    TMemoryStream junk;
    junk.WriteString("not an image");
    junk.SetPosition(0);
    EXPECT_THROW(b.LoadFromStream(&junk), EInvalidGraphic);
}

TEST_F(Bitmaps, PaletteRelativeColoursResolveToTheNearestEntry)
{
    TBitmap b;
    b.SetSize(4, 4);
    b.SetPalette({qRgb(0, 0, 0), qRgb(200, 0, 0), qRgb(0, 0, 200), qRgb(255, 255, 255)});
    EXPECT_EQ(b.PixelFormat(), pf4bit);
    b.Canvas()->SetPixel(0, 0, PaletteRGB(230, 10, 10));
    b.Canvas()->SetPixel(1, 0, PaletteRGB(10, 10, 150));
    b.Canvas()->SetPixel(2, 0, RGB(230, 10, 10));  // not palette-relative: as given
    EXPECT_EQ(b.Canvas()->Pixel(0, 0), RGB(200, 0, 0));
    EXPECT_EQ(b.Canvas()->Pixel(1, 0), RGB(0, 0, 200));
    EXPECT_EQ(b.Canvas()->Pixel(2, 0), RGB(230, 10, 10));

    TCanvas plain;  // without a palette the colour is used as it is
    QImage img(2, 2, QImage::Format_RGB32);
    plain.SetImage(&img);
    plain.SetPixel(0, 0, PaletteRGB(230, 10, 10));
    EXPECT_EQ(plain.Pixel(0, 0), RGB(230, 10, 10));
}

TEST_F(Bitmaps, PaletteFormatsSaveIndexedAndReloadTheirPalette)
{
    TBitmap b;
    b.SetSize(6, 6);
    b.SetPixelFormat(pf8bit);
    EXPECT_EQ(b.Palette().size(), 256);
    b.Canvas()->SetPixel(1, 1, PaletteRGB(250, 5, 5));
    EXPECT_EQ(b.Canvas()->Pixel(1, 1), RGB(255, 0, 0));
    b.SaveToFile(File("p.bmp"));
    EXPECT_EQ(QImage(QString::fromStdString(File("p.bmp"))).format(), QImage::Format_Indexed8);
    TBitmap c;
    c.LoadFromFile(File("p.bmp"));
    EXPECT_EQ(c.PixelFormat(), pf8bit);
    EXPECT_EQ(c.Image().format(), QImage::Format_RGB32);
    EXPECT_EQ(c.Canvas()->Pixel(1, 1), RGB(255, 0, 0));
    EXPECT_FALSE(c.Palette().isEmpty());

    TBitmap mono;
    mono.SetSize(3, 3);
    mono.Canvas()->SetPixel(0, 0, RGB(100, 100, 100));
    mono.SetPixelFormat(pf1bit);
    EXPECT_EQ(mono.Canvas()->Pixel(0, 0), clBlack);
    mono.SaveToFile(File("m.bmp"));
    EXPECT_EQ(QImage(QString::fromStdString(File("m.bmp"))).depth(), 1);
}

TEST_F(Bitmaps, DrawAndStretchDrawOnACanvas)
{
    TBitmap b;
    b.SetSize(2, 1);
    b.Canvas()->SetPixel(0, 0, clRed);
    b.Canvas()->SetPixel(1, 0, clBlue);
    QImage img(10, 10, QImage::Format_RGB32);
    img.fill(Qt::white);
    TCanvas c;
    c.SetImage(&img);
    c.Draw(3, 4, &b);
    EXPECT_EQ(c.Pixel(3, 4), clRed);
    EXPECT_EQ(c.Pixel(4, 4), clBlue);
    EXPECT_EQ(c.Pixel(5, 4), clWhite);
    c.StretchDraw(Rect(0, 0, 4, 3), &b);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(c.Pixel(x, y), x < 2 ? clRed : clBlue) << x << "," << y;
    EXPECT_EQ(c.Pixel(0, 3), clWhite);
}

TEST_F(Bitmaps, PictureLoadsByExtensionCopiesAndTellsOfChanges)
{
    TBitmap b;
    b.SetSize(3, 2);
    b.SaveToFile(File("x.png"));
    TPicture pic;
    int changes = 0;
    pic.OnChange = [&](TObject*) { ++changes; };
    pic.LoadFromFile(File("x.png"));
    ASSERT_TRUE(qobject_cast<TBitmap*>(pic.Graphic()));
    EXPECT_EQ(pic.Width(), 3);
    EXPECT_EQ(changes, 1);
    pic.Bitmap()->Canvas()->SetPixel(0, 0, clRed);  // drawing on the held bitmap is a change too
    EXPECT_GE(changes, 2);

    QImage icoImg(16, 16, QImage::Format_ARGB32);
    icoImg.fill(Qt::red);
    ASSERT_TRUE(icoImg.save(QString::fromStdString(File("i.ico")), "ICO"));
    TPicture icon;
    icon.LoadFromFile(File("i.ico"));
    ASSERT_TRUE(qobject_cast<TIcon*>(icon.Graphic()));
    EXPECT_EQ(icon.Width(), 16);

    TPicture copy;
    copy.Assign(&pic);
    pic.Bitmap()->Canvas()->SetPixel(0, 0, clBlue);
    EXPECT_EQ(copy.Bitmap()->Canvas()->Pixel(0, 0), clRed);
    TBitmap fromPic;
    fromPic.Assign(&copy);
    EXPECT_EQ(fromPic.Canvas()->Pixel(0, 0), clRed);
}

TEST_F(Bitmaps, FontsAndPicturesAreStoredInFormFiles)
{
    TPictureHolder a(nullptr);
    a.SetName("Holder");
    a.Font()->SetName("Courier New");
    a.Font()->SetStyle({fsBold, fsItalic});
    a.Picture()->Bitmap()->SetSize(3, 3);
    a.Picture()->Bitmap()->Canvas()->SetPixel(1, 1, clRed);
    const String text = ComponentToText(&a);
    EXPECT_NE(text.find("fsBold"), String::npos) << text;
    EXPECT_EQ(text.find("\"Height\""), String::npos) << "the default height is not written\n" << text;

    TPictureHolder b(nullptr);
    TextToComponent(text, &b);
    EXPECT_EQ(b.Font()->Name(), "Courier New");
    EXPECT_EQ(b.Font()->Style(), TFontStyles({fsBold, fsItalic}));
    ASSERT_TRUE(qobject_cast<TBitmap*>(b.Picture()->Graphic()));
    EXPECT_EQ(b.Picture()->Bitmap()->Canvas()->Pixel(1, 1), clRed);
    EXPECT_EQ(b.Picture()->Width(), 3);

    TPictureHolder empty(nullptr);
    empty.SetName("Empty");
    EXPECT_EQ(ComponentToText(&empty).find("\"Picture\""), String::npos);
}

}  // namespace

#include "BitmapTest.moc"
