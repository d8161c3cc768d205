// Forms: form files with nested controls, stored layouts, window flags and modal runs.
#include "framework/core/FormFiles.h"
#include "framework/core/Timer.h"
#include "framework/gui/ExtCtrls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/GuiApplication.h"
#include "framework/gui/StdCtrls.h"
#include "framework/gui/qt/WidgetBridge.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QPixmap>
#include <QWidget>

#include <gtest/gtest.h>

using namespace qel;

namespace qel {

// A form class with a designed layout compiled into the program; events wired in code.
class TLayoutTestForm : public TForm {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TLayoutTestForm(TComponent* AOwner) : TForm(AOwner)
    {
        LoadFormLayout(this, ":/forms/TLayoutTestForm.qelform");
        TopPanel = As<TPanel>(FindComponent("TopPanel"));
        NameLabel = As<TLabel>(FindComponent("NameLabel"));
        TopPanel->OnClick = [this](TObject*) { ++PanelClicks; };
    }
    TPanel* TopPanel = nullptr;
    TLabel* NameLabel = nullptr;
    int PanelClicks = 0;
};

QEL_REGISTER_CLASS(TLayoutTestForm);

}  // namespace qel

namespace {

TForm* MakeNestedForm()
{
    auto* form = new TForm(nullptr);
    form->SetName("Form1");
    form->SetCaption("Nested");
    form->SetClientWidth(200);
    form->SetClientHeight(120);
    auto* panel = new TPanel(form);
    panel->SetName("Panel1");
    panel->SetParent(form);
    panel->SetBounds(10, 10, 150, 80);
    panel->SetBevelOuter(bvLowered);
    auto* label = new TLabel(form);
    label->SetName("Label1");
    label->SetParent(panel);
    label->SetBounds(5, 5, 60, 15);
    label->SetCaption("In panel");
    auto* bevel = new TBevel(form);
    bevel->SetName("Bevel1");
    bevel->SetParent(panel);
    bevel->SetBounds(5, 30, 100, 2);
    bevel->SetShape(bsTopLine);
    return form;
}

}  // namespace

TEST(FormFiles, AFormWithNestedControlsComesBackWithItsParentsAndProperties)
{
    std::unique_ptr<TForm> form(MakeNestedForm());
    const String text = ComponentToText(form.get());
    EXPECT_NE(String::npos, text.find("\"Parent\": \"Panel1\""));
    EXPECT_NE(String::npos, text.find("\"Shape\": \"bsTopLine\""));
    std::unique_ptr<TComponent> copy(TextToComponent(text));
    auto* f = As<TForm>(copy.get());
    auto* panel = As<TPanel>(f->FindComponent("Panel1"));
    auto* label = As<TLabel>(f->FindComponent("Label1"));
    auto* bevel = As<TBevel>(f->FindComponent("Bevel1"));
    EXPECT_EQ(f, panel->Parent());
    EXPECT_EQ(panel, label->Parent());
    EXPECT_EQ(panel, bevel->Parent());
    EXPECT_EQ(2, panel->ControlCount());
    EXPECT_EQ(label, panel->Controls(0));
    EXPECT_EQ(Rect(10, 10, 160, 90), panel->BoundsRect());
    EXPECT_EQ(bvLowered, panel->BevelOuter());
    EXPECT_EQ("In panel", label->Caption());
    EXPECT_EQ(bsTopLine, bevel->Shape());
    EXPECT_EQ(200, f->ClientWidth());
    EXPECT_EQ(text, ComponentToText(f));
    // Same pixels as the original.
    EXPECT_EQ(RenderForm(form.get()), RenderForm(f));
}

TEST(FormFiles, AStoredLayoutBuildsTheFormInItsConstructor)
{
    TLayoutTestForm form(nullptr);
    EXPECT_EQ("Stored layout", form.Caption());
    EXPECT_EQ(240, form.ClientWidth());
    EXPECT_EQ(bsDialog, form.BorderStyle());
    ASSERT_NE(nullptr, form.TopPanel);
    EXPECT_EQ(Rect(0, 0, 240, 40), form.TopPanel->BoundsRect());
    EXPECT_EQ(form.TopPanel, form.NameLabel->Parent());
    EXPECT_EQ("Name:", form.NameLabel->Caption());
    form.TopPanel->Click();
    EXPECT_EQ(1, form.PanelClicks);
    const QImage img = RenderForm(&form);
    EXPECT_EQ(QSize(240, 160), img.size());
}

TEST(Forms, BorderStylesAndIconsBecomeWindowFlags)
{
    TForm form(nullptr);
    form.HandleNeeded();
    QWidget* w = form.Window()->OuterWidget();
    EXPECT_TRUE(w->isWindow());
    EXPECT_TRUE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_NE(w->minimumSize(), w->maximumSize());
    form.SetBorderStyle(bsDialog);
    w = form.Window()->OuterWidget();
    EXPECT_EQ(Qt::Dialog, w->windowFlags() & Qt::WindowType_Mask);
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    form.SetBorderIcons({});
    EXPECT_FALSE(form.Window()->OuterWidget()->windowFlags() & Qt::WindowCloseButtonHint);
    form.SetBorderStyle(bsToolWindow);
    EXPECT_EQ(Qt::Tool, form.Window()->OuterWidget()->windowFlags() & Qt::WindowType_Mask);
    form.SetBorderStyle(bsNone);
    EXPECT_TRUE(form.Window()->OuterWidget()->windowFlags() & Qt::FramelessWindowHint);
    form.SetFormStyle(fsStayOnTop);
    EXPECT_TRUE(form.Window()->OuterWidget()->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST(Forms, ScreenCenterPlacesTheFormInTheMiddle)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 100);
    form.SetPosition(poScreenCenter);
    form.Show();
    const QRect g = form.Window()->OuterWidget()->geometry();
    EXPECT_NEAR(400, g.center().x(), 2);  // the offscreen screen is 800 x 800
    EXPECT_EQ(form.Left(), g.x());
}

TEST(Forms, AModalFormEndsWhenATimerSetsItsResult)
{
    TForm form(nullptr);
    TTimer timer(nullptr);
    timer.SetInterval(30);
    int ticks = 0;
    timer.OnTimer = [&](TObject*) {
        if (++ticks == 3) form.SetModalResult(mrOk);
    };
    bool shown = false;
    form.OnShow = [&](TObject*) { shown = true; };
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(mrOk, form.ShowModal());
    EXPECT_TRUE(shown);
    EXPECT_EQ(3, ticks);
    EXPECT_FALSE(form.Visible());
    EXPECT_LT(clock.elapsed(), 5000);
}

TEST(Forms, CloseQueryCanRefuseAndCloseHidesAndCloseInAModalRunCancels)
{
    TForm form(nullptr);
    bool allow = false;
    std::vector<TCloseAction> actions;
    form.OnCloseQuery = [&](TObject*, bool& CanClose) { CanClose = allow; };
    form.OnClose = [&](TObject*, TCloseAction& A) { actions.push_back(A); };
    form.Show();
    form.Window()->Close();  // as the user would
    EXPECT_TRUE(form.Visible());
    allow = true;
    form.Window()->Close();
    EXPECT_FALSE(form.Visible());
    ASSERT_EQ(1u, actions.size());
    EXPECT_EQ(caHide, actions[0]);
    TTimer timer(nullptr);
    timer.SetInterval(20);
    timer.OnTimer = [&](TObject*) { form.Close(); };
    EXPECT_EQ(mrCancel, form.ShowModal());
}
namespace {

QImage SolidImage(QRgb Color)
{
    QImage img(16, 16, QImage::Format_ARGB32);
    img.fill(Color);
    return img;
}

QRgb IconColour(QWidget* W) { return W->windowIcon().pixmap(16, 16).toImage().pixel(8, 8); }

}  // namespace

TEST(Forms, DefaultPositionsCascadeAndDesignedOnesStay)
{
    TForm first(nullptr), second(nullptr), designed(nullptr);
    for (TForm* f : {&first, &second}) {
        f->SetBounds(0, 0, 200, 100);
        f->SetPosition(poDefault);
        f->Show();
    }
    EXPECT_EQ(24, second.Left() - first.Left());
    EXPECT_EQ(24, second.Top() - first.Top());
    EXPECT_GT(first.Left(), 0);
    EXPECT_EQ(second.Left(), second.Window()->OuterWidget()->geometry().x());
    designed.SetBounds(37, 41, 200, 100);
    designed.Show();
    EXPECT_EQ(37, designed.Left());
    EXPECT_EQ(41, designed.Window()->OuterWidget()->geometry().y());
}

TEST(Forms, TheApplicationIconShowsUntilTheFormHasItsOwn)
{
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
    GuiApplication().Icon()->SetIcon(QIcon(QPixmap::fromImage(SolidImage(red))));
    TForm form(nullptr);
    form.HandleNeeded();
    QWidget* w = form.Window()->OuterWidget();
    EXPECT_EQ(red, IconColour(w));
    form.Icon()->SetIcon(QIcon(QPixmap::fromImage(SolidImage(blue))));
    EXPECT_EQ(blue, IconColour(w));
    form.Icon()->SetData("");
    EXPECT_EQ(red, IconColour(w));
    GuiApplication().Icon()->SetIcon(QIcon());
    EXPECT_TRUE(w->windowIcon().isNull());
}

TEST(FormFiles, AFormsIconIsStoredAndADefaultFontIsNot)
{
    TForm form(nullptr);
    form.SetName("IconForm");
    auto* label = new TLabel(&form);
    label->SetName("Label1");
    label->SetParent(&form);
    EXPECT_EQ(String::npos, ComponentToText(&form).find("\"Icon\""));
    form.Icon()->SetIcon(QIcon(QPixmap::fromImage(SolidImage(qRgb(0, 0, 255)))));
    const String text = ComponentToText(&form);
    EXPECT_NE(String::npos, text.find("\"Data\""));
    EXPECT_EQ(String::npos, text.find("\"Style\""));  // nothing about fonts left at their defaults
    EXPECT_EQ(String::npos, text.find("\"Font\""));
    std::unique_ptr<TComponent> copy(TextToComponent(text));
    auto* f = As<TForm>(copy.get());
    ASSERT_FALSE(f->Icon()->Empty());
    EXPECT_EQ(form.Icon()->Width(), f->Icon()->Width());
    EXPECT_EQ(form.Icon()->ToImage(), f->Icon()->ToImage());
    EXPECT_EQ(text, ComponentToText(f));
    // A styled font is still written and read.
    label->Font()->SetStyle(TFontStyles{fsBold});
    const String bold = ComponentToText(&form);
    EXPECT_NE(String::npos, bold.find("fsBold"));
    std::unique_ptr<TComponent> boldCopy(TextToComponent(bold));
    EXPECT_TRUE(As<TLabel>(boldCopy->FindComponent("Label1"))->Font()->Style().Contains(fsBold));
}

TEST(FormFiles, AColourOrFontTakenFromTheParentIsNotWrittenAndStaysTheParents)
{
    TForm form(nullptr);
    form.SetName("ColourForm");
    form.SetColor(clYellow);
    form.Font()->SetHeight(-20);
    auto* label = new TLabel(&form);  // takes colour and font from the form
    label->SetName("Inherits");
    label->SetParent(&form);
    auto* own = new TLabel(&form);
    own->SetName("Own");
    own->SetParent(&form);
    own->SetColor(clAqua);
    const String text = ComponentToText(&form);
    std::unique_ptr<TComponent> copy(TextToComponent(text));
    auto* inherits = As<TLabel>(copy->FindComponent("Inherits"));
    EXPECT_TRUE(inherits->ParentColor());
    EXPECT_TRUE(inherits->ParentFont());
    EXPECT_EQ(inherits->Color(), clYellow);
    EXPECT_EQ(inherits->Font()->Height(), -20);
    EXPECT_FALSE(As<TLabel>(copy->FindComponent("Own"))->ParentColor());
    EXPECT_EQ(As<TLabel>(copy->FindComponent("Own"))->Color(), clAqua);
    // Written again, nothing changed: a read does not turn inherited values into own ones.
    EXPECT_EQ(text, ComponentToText(copy.get()));
}

#include "FormsTest.moc"
