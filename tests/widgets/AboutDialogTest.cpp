// TQELAboutDialog: the component's values and the box it shows, looked at while it is open.
#include "widgets/QELAboutDialog.h"
#include "widgets/QELAboutInfoForm.h"

#include "framework/core/Application.h"
#include "framework/core/FormFiles.h"
#include "framework/gui/GuiApplication.h"
#include "widgets/WidgetTestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

using namespace qel;
using namespace qel::test;

namespace {

int BoxesLeft()
{
    int n = 0;
    for (int i = 0; i < Application->ComponentCount(); ++i)
        if (qobject_cast<TQELAboutInfoForm*>(Application->Components(i))) ++n;
    return n;
}

// Runs Execute while Inspect looks at the open box; the box is then closed unless Inspect closed
// it. A watchdog closes it after 5 s, so a fault never hangs the run.
void ExecuteAndInspect(TQELAboutDialog& Dialog, const std::function<void(TQELAboutInfoForm*)>& Inspect)
{
    bool inspected = false;
    QTimer probe, watchdog;
    probe.setSingleShot(true);
    watchdog.setSingleShot(true);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        TQELAboutInfoForm* box = QELAboutInfoForm;
        if (!box || !box->Modal()) return;
        inspected = true;
        Inspect(box);
        if (box->ModalResult() == mrNone) box->Close();
    });
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        if (QELAboutInfoForm) QELAboutInfoForm->Close();
    });
    probe.start(30);
    watchdog.start(5000);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(Dialog.Execute());
    EXPECT_LT(clock.elapsed(), 5000) << "the box was not closed";
    EXPECT_TRUE(inspected);
    EXPECT_EQ(nullptr, QELAboutInfoForm) << "the reference is cleared with the box";
    EXPECT_EQ(0, BoxesLeft()) << "Execute frees its box";
}

void SavePicture(TCustomForm* Form, const char* Name)
{
    const QByteArray dir = qgetenv("QEL_TEST_PICTURES");
    if (!dir.isEmpty()) RenderForm(Form).save(QString::fromUtf8(dir) + "/" + Name, "PNG");
}

std::vector<String> Listed(TQELAboutInfoForm* Box)
{
    std::vector<String> lines;
    for (int i = 0; i < Box->ListBox1->Items()->Count(); ++i) lines.push_back(Box->ListBox1->Items()->Get(i));
    return lines;
}

void Fill(TStrings* Lines, std::initializer_list<const char*> Texts)
{
    Lines->Clear();
    for (const char* t : Texts) Lines->Add(t);
}

// The application's title and icon a test sets are taken back afterwards.
class AboutDialog : public ::testing::Test {
protected:
    ~AboutDialog() override
    {
        Application->SetTitle("");
        GuiApplication().Icon()->SetIcon(QIcon());
    }
};

}  // namespace

TEST_F(AboutDialog, StartsWithAVersionLineEmptyListsAndTheDefaultFont)
{
    TQELAboutDialog dialog(nullptr);
    EXPECT_EQ("Version 1.0", dialog.VersionDescription);
    EXPECT_EQ(0, dialog.ActualInformation()->Count());
    EXPECT_EQ(0, dialog.SystemInformation()->Count());
    EXPECT_EQ("", dialog.About.ToString());
    TFont plain;
    EXPECT_EQ(plain.Name(), dialog.Fonts()->Name());
    EXPECT_EQ(plain.Height(), dialog.Fonts()->Height());
}

TEST_F(AboutDialog, SettersCopyAndAFormFileKeepsTheLines)
{
    TForm owner(nullptr);
    owner.SetName("Host");
    auto* dialog = new TQELAboutDialog(&owner);
    dialog->SetName("About1");
    EXPECT_EQ(String::npos, ComponentToText(&owner).find("VersionDescription"));

    TStringList given;
    Fill(&given, {"one", "two"});
    dialog->sact(&given);
    Fill(&given, {"sys"});
    dialog->ssys(&given);
    given.Clear();
    EXPECT_EQ(2, dialog->ActualInformation()->Count());
    EXPECT_EQ("sys", dialog->SystemInformation()->Get(0));
    TFont font;
    font.SetName("DejaVu Serif");
    dialog->Setfont(&font);
    font.SetName("Other");
    EXPECT_EQ("DejaVu Serif", dialog->Fonts()->Name());
    dialog->VersionDescription = "Version 2.5";

    TForm copy(nullptr);
    TextToComponent(ComponentToText(&owner), &copy);
    auto* read = As<TQELAboutDialog>(copy.FindComponent("About1"));
    ASSERT_NE(nullptr, read);
    EXPECT_EQ("two", read->ActualInformation()->Get(1));
    EXPECT_EQ("sys", read->SystemInformation()->Get(0));
    EXPECT_EQ("Version 2.5", read->VersionDescription);
    EXPECT_EQ("DejaVu Serif", read->Fonts()->Name());
}

TEST_F(AboutDialog, StoredLayoutOfTheBox)
{
    TQELAboutInfoForm box(nullptr);
    EXPECT_EQ("About", box.Caption());
    EXPECT_EQ(TBorderIcons(), box.BorderIcons());
    EXPECT_EQ(bsDialog, box.BorderStyle());
    EXPECT_EQ(314, box.ClientWidth());
    EXPECT_EQ(247, box.ClientHeight());
    EXPECT_EQ(clBtnFace, box.Color());
    EXPECT_EQ("System", box.Font()->Name());
    EXPECT_EQ(-13, box.Font()->Height());
    EXPECT_EQ(fsStayOnTop, box.FormStyle());
    EXPECT_EQ(poScreenCenter, box.Position());

    EXPECT_EQ(Rect(0, 0, 314, 247), box.Panel1->BoundsRect());
    EXPECT_EQ(bvLowered, box.Panel1->BevelInner());
    EXPECT_EQ(3, box.Panel1->BorderWidth());
    for (TPanel* inner : {box.Panel2, box.Panel3, box.Panel4, box.Panel5}) EXPECT_EQ(box.Panel1, inner->Parent());
    EXPECT_EQ(Rect(5, 5, 56, 57), box.Panel5->BoundsRect());
    EXPECT_EQ(bvLowered, box.Panel5->BevelInner());
    EXPECT_EQ(box.Panel5, box.Image1->Parent());
    EXPECT_EQ(alClient, box.Image1->Align());
    EXPECT_TRUE(box.Image1->Center());
    EXPECT_EQ(Rect(56, 5, 309, 57), box.Panel2->BoundsRect());
    EXPECT_EQ(box.Panel2, box.Label1->Parent());
    EXPECT_EQ(box.Panel2, box.Label2->Parent());
    EXPECT_EQ(16, box.Label1->Height());
    EXPECT_EQ(16, box.Label2->Height());
    EXPECT_EQ(box.Label1->Top() + 16, box.Label2->Top()) << "Label1 above Label2";
    EXPECT_EQ(box.Panel2->ClientHeight() - 1, box.Label2->Top() + 16) << "both at the panel's bottom";
    EXPECT_EQ(taCenter, box.Label1->Alignment());
    EXPECT_EQ(taCenter, box.Label2->Alignment());
    EXPECT_EQ(Rect(5, 57, 309, 212), box.Panel4->BoundsRect());
    EXPECT_EQ(bvLowered, box.Panel4->BevelInner());
    EXPECT_EQ(box.Panel4, box.ListBox1->Parent());
    EXPECT_EQ(alClient, box.ListBox1->Align());
    EXPECT_EQ(16, box.ListBox1->ItemHeight());
    EXPECT_EQ(Rect(5, 212, 309, 242), box.Panel3->BoundsRect());
    EXPECT_EQ(bvLowered, box.Panel3->BevelInner());
    EXPECT_EQ(Rect(3, 4, 92, 28), box.BitBtn1->BoundsRect());
    EXPECT_EQ("Ok", box.BitBtn1->Caption());
    EXPECT_EQ(Rect(92, 4, 300, 28), box.BitBtn2->BoundsRect());
    EXPECT_EQ("System Information", box.BitBtn2->Caption());
}

TEST_F(AboutDialog, ExecuteShowsTheComponentsLinesVersionAndFontOnTopCentred)
{
    TQELAboutDialog dialog(nullptr);
    Fill(dialog.ActualInformation(), {"First about line", "Second about line"});
    dialog.VersionDescription = "Version 3.1";
    dialog.Fonts()->SetName("DejaVu Serif");
    dialog.Fonts()->SetHeight(-12);
    ExecuteAndInspect(dialog, [&](TQELAboutInfoForm* box) {
        EXPECT_EQ(dialog.ActualInformation(), box->AboutLines) << "the component's own list";
        EXPECT_EQ(dialog.SystemInformation(), box->SystemLines);
        EXPECT_EQ("Version 3.1", box->Label2->Caption());
        EXPECT_EQ((std::vector<String>{"First about line", "Second about line"}), Listed(box));
        EXPECT_EQ("System Information", box->BitBtn2->Caption());
        EXPECT_EQ("DejaVu Serif", box->Font()->Name());
        const std::vector<TControl*> following{box->Label1, box->Label2, box->ListBox1, box->BitBtn1, box->BitBtn2};
        for (TControl* c : following) {
            EXPECT_EQ("DejaVu Serif", c->Font()->Name()) << c->Name();
            EXPECT_EQ(-12, c->Font()->Height()) << c->Name();
        }
        QWidget* window = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowTitle() == "About") window = w;
        ASSERT_NE(nullptr, window);
        EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_EQ(Qt::Dialog, window->windowFlags() & Qt::WindowType_Mask);
        EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowCloseButtonHint)) << "no title-bar buttons";
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_LE(std::abs(box->Left() + box->Width() / 2 - area.center().x()), 1);
        EXPECT_LE(std::abs(box->Top() + box->Height() / 2 - area.center().y()), 1);
    });
}

TEST_F(AboutDialog, SystemInformationTogglesWithTheAboutLinesAndTwoClicksReturn)
{
    TQELAboutDialog dialog(nullptr);
    Fill(dialog.ActualInformation(), {"about"});
    Fill(dialog.SystemInformation(), {"cpu", "memory"});
    ExecuteAndInspect(dialog, [&](TQELAboutInfoForm* box) {
        box->BitBtn2->Click();
        EXPECT_EQ("About Information", box->BitBtn2->Caption());
        EXPECT_EQ((std::vector<String>{"cpu", "memory"}), Listed(box));
        box->BitBtn2->Click();
        EXPECT_EQ("System Information", box->BitBtn2->Caption());
        EXPECT_EQ((std::vector<String>{"about"}), Listed(box));
        // The box reads the component's lists, so a change while it is open shows on the next switch.
        dialog.SystemInformation()->Add("disk");
        box->BitBtn2->Click();
        EXPECT_EQ((std::vector<String>{"cpu", "memory", "disk"}), Listed(box));
        SavePicture(box, "about-system.png");
    });
}

TEST_F(AboutDialog, EmptyListsGiveAnEmptyListOnBothSides)
{
    TQELAboutDialog dialog(nullptr);
    ExecuteAndInspect(dialog, [](TQELAboutInfoForm* box) {
        EXPECT_TRUE(Listed(box).empty());
        box->BitBtn2->Click();
        EXPECT_EQ("About Information", box->BitBtn2->Caption());
        EXPECT_TRUE(Listed(box).empty());
        box->BitBtn2->Click();
        EXPECT_TRUE(Listed(box).empty());
    });
}

TEST_F(AboutDialog, ShowsTheApplicationsTitleAndIcon)
{
    Application->SetTitle("Host Program");
    QPixmap red(32, 32);
    red.fill(Qt::red);
    GuiApplication().Icon()->SetIcon(QIcon(red));
    TQELAboutDialog dialog(nullptr);
    Fill(dialog.ActualInformation(), {"A host with an icon"});
    ExecuteAndInspect(dialog, [](TQELAboutInfoForm* box) {
        EXPECT_EQ("Host Program", box->Label1->Caption());
        ASSERT_NE(nullptr, box->Image1->Picture()->Graphic());
        EXPECT_FALSE(box->Image1->Picture()->Graphic()->Empty());
        const QImage picture = RenderForm(box);
        const TRect area = box->Panel5->BoundsRect();
        EXPECT_EQ(Rgb(clRed), PixelAt(picture, (area.Left + area.Right) / 2, (area.Top + area.Bottom) / 2));
        SavePicture(box, "about.png");
    });
}

TEST_F(AboutDialog, WithoutAnIconTheIconAreaStaysEmpty)
{
    GuiApplication().Icon()->SetIcon(QIcon());
    TQELAboutDialog dialog(nullptr);
    ExecuteAndInspect(dialog, [](TQELAboutInfoForm* box) {
        const TGraphic* g = box->Image1->Picture()->Graphic();
        EXPECT_TRUE(!g || g->Empty());
        const QImage picture = RenderForm(box);
        const TRect area = box->Panel5->BoundsRect();
        const QImage inner =
            picture.copy(area.Left + 3, area.Top + 3, area.Right - area.Left - 6, area.Bottom - area.Top - 6);
        EXPECT_EQ(static_cast<size_t>(inner.width() * inner.height()), PixelsWithColor(inner, clBtnFace).size());
        SavePicture(box, "about-noicon.png");
    });
}

TEST_F(AboutDialog, Label1ShowsTheApplicationsTitleWhateverItIs)
{
    Application->SetTitle("");
    TQELAboutDialog dialog(nullptr);
    ExecuteAndInspect(dialog, [](TQELAboutInfoForm* box) { EXPECT_EQ(Application->Title(), box->Label1->Caption()); });
}

TEST_F(AboutDialog, TheOkButtonClosesTheBox)
{
    TQELAboutDialog dialog(nullptr);
    bool stillOpen = true;
    ExecuteAndInspect(dialog, [&](TQELAboutInfoForm* box) {
        box->BitBtn1->Click();
        stillOpen = box->ModalResult() == mrNone;
    });
    EXPECT_FALSE(stillOpen);
}
