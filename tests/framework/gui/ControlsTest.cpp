// Controls: bounds, alignment, visibility, the retained image and painting.
#include "framework/gui/Controls.h"
#include "framework/gui/ExtCtrls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StdCtrls.h"
#include "framework/gui/qt/WidgetBridge.h"

#include <QCoreApplication>
#include <QWidget>

#include <gtest/gtest.h>

using namespace qel;

namespace {

void Pump()
{
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

QRgb Rgb(TColor C) { return ToQColor(C).rgb() | 0xFF000000u; }

// Counts its paints and fills itself with one colour.
class TCountingControl : public TCustomControl {
public:
    explicit TCountingControl(TComponent* AOwner) : TCustomControl(AOwner) {}
    int Paints = 0;
    std::function<void()> DuringPaint;

protected:
    void Paint() override
    {
        ++Paints;
        Canvas()->Brush()->SetColor(clBlue);
        Canvas()->FillRect(ClientRect());
        if (DuringPaint) DuringPaint();
    }
};

class TCountingGraphic : public TGraphicControl {
public:
    explicit TCountingGraphic(TComponent* AOwner) : TGraphicControl(AOwner) {}
    int Paints = 0;

protected:
    void Paint() override { ++Paints; }
};

class ControlsTest : public ::testing::Test {
protected:
    ControlsTest() : Form(new TForm(nullptr)) { Form->SetBounds(10, 10, 300, 200); }
    ~ControlsTest() override { delete Form; }
    TForm* Form;
};

}  // namespace

TEST_F(ControlsTest, AlignedChildrenShareTheClientAreaEdgeByEdge)
{
    auto* top = new TPanel(Form);
    auto* left = new TPanel(Form);
    auto* bottom = new TPanel(Form);
    auto* client = new TPanel(Form);
    for (TControl* c : std::initializer_list<TControl*>{client, left, bottom, top}) c->SetParent(Form);
    top->SetHeight(30);
    top->SetAlign(alTop);
    bottom->SetHeight(20);
    bottom->SetAlign(alBottom);
    left->SetWidth(50);
    left->SetAlign(alLeft);
    client->SetAlign(alClient);
    EXPECT_EQ(Rect(0, 0, 300, 30), top->BoundsRect());
    EXPECT_EQ(Rect(0, 180, 300, 200), bottom->BoundsRect());
    EXPECT_EQ(Rect(0, 30, 50, 180), left->BoundsRect());
    EXPECT_EQ(Rect(50, 30, 300, 180), client->BoundsRect());
    Form->SetClientWidth(400);
    EXPECT_EQ(Rect(50, 30, 400, 180), client->BoundsRect());
    top->SetVisible(false);  // hidden controls give their row back
    EXPECT_EQ(Rect(0, 0, 50, 180), left->BoundsRect());
}

TEST_F(ControlsTest, PanelBordersAndBevelsShrinkTheAreaForAlignedChildren)
{
    auto* panel = new TPanel(Form);
    panel->SetParent(Form);
    panel->SetBounds(0, 0, 100, 80);
    panel->SetBevelInner(bvLowered);
    panel->SetBevelWidth(2);
    panel->SetBorderWidth(3);
    auto* inner = new TPanel(Form);
    inner->SetParent(panel);
    inner->SetAlign(alClient);
    EXPECT_EQ(Rect(7, 7, 93, 73), inner->BoundsRect());
}

TEST_F(ControlsTest, ParentsKeepChildrenInZOrderAndFreeTheirWindows)
{
    auto* a = new TPanel(Form);
    auto* b = new TLabel(Form);
    a->SetParent(Form);
    b->SetParent(Form);
    ASSERT_EQ(2, Form->ControlCount());
    EXPECT_EQ(a, Form->Controls(0));
    a->BringToFront();
    EXPECT_EQ(b, Form->Controls(0));
    EXPECT_EQ(a, Form->Controls(1));
    EXPECT_THROW(Form->Controls(2), EListError);
    Form->HandleNeeded();
    EXPECT_TRUE(a->HandleAllocated());
    EXPECT_NE(nullptr, b->Window());
    delete a;
    EXPECT_EQ(1, Form->ControlCount());
    EXPECT_THROW(Form->SetParent(Form), EInvalidOperation);
}

TEST_F(ControlsTest, VisibilityReachesTheWidgetAndColoursAndFontsFollowTheParent)
{
    auto* label = new TLabel(Form);
    label->SetParent(Form);
    Form->Show();
    Pump();
    Bridge::TWindow* w = label->Window();
    ASSERT_NE(nullptr, w);
    EXPECT_TRUE(w->IsVisible());
    label->Hide();
    EXPECT_FALSE(w->IsVisible());
    Form->SetColor(clYellow);
    EXPECT_EQ(clYellow, label->Color());
    Form->Font()->SetColor(clRed);
    EXPECT_EQ(clRed, label->Font()->Color());
    label->Font()->SetColor(clGreen);
    EXPECT_FALSE(label->ParentFont());
    Form->Font()->SetColor(clBlue);
    EXPECT_EQ(clGreen, label->Font()->Color());
}

TEST_F(ControlsTest, DrawingOutsidePaintShowsAtOnceAndLastsUntilTheNextPaint)
{
    auto* c = new TCountingControl(Form);
    c->SetParent(Form);
    c->SetBounds(0, 0, 40, 30);
    Form->Show();
    Pump();
    ASSERT_EQ(1, c->Paints);
    c->Canvas()->Pen()->SetColor(clRed);
    c->Canvas()->MoveTo(0, 5);
    c->Canvas()->LineTo(10, 5);
    EXPECT_EQ(Rgb(clRed), c->RetainedImage().pixel(3, 5) | 0xFF000000u);
    Pump();  // an expose blits; it does not paint again
    EXPECT_EQ(1, c->Paints);
    QImage screen = c->Window()->ClientWidget()->grab().toImage();
    EXPECT_EQ(Rgb(clRed), screen.pixel(3, 5) | 0xFF000000u);
    c->Invalidate();
    c->Invalidate();
    c->Invalidate();
    Pump();
    EXPECT_EQ(2, c->Paints);  // coalesced into one
    EXPECT_EQ(Rgb(clBlue), c->RetainedImage().pixel(3, 5) | 0xFF000000u);
}

TEST_F(ControlsTest, AControlThatResizesItselfInPaintIsPaintedOnce)
{
    auto* c = new TCountingControl(Form);
    c->SetParent(Form);
    c->SetBounds(0, 0, 40, 30);
    c->DuringPaint = [c] {
        c->SetWidth(c->Width() == 40 ? 60 : 40);
        c->Canvas()->Brush()->SetColor(clRed);
        c->Canvas()->FillRect(c->ClientRect());
    };
    Form->Show();
    for (int i = 0; i < 10; ++i) Pump();
    EXPECT_EQ(1, c->Paints);
    EXPECT_EQ(60, c->RetainedImage().width());
    EXPECT_EQ(Rgb(clRed), c->RetainedImage().pixel(55, 5) | 0xFF000000u);
}

TEST_F(ControlsTest, UpdateRunsAPendingPaintWithoutAWindow)
{
    auto* g = new TCountingGraphic(Form);
    g->SetParent(Form);
    g->SetBounds(5, 5, 20, 20);
    EXPECT_TRUE(g->PaintPending());
    g->Update();
    EXPECT_EQ(1, g->Paints);
    g->Update();
    EXPECT_EQ(1, g->Paints);
    g->Repaint();
    EXPECT_EQ(2, g->Paints);
}

TEST_F(ControlsTest, AGraphicControlStartsFromItsParentsPicture)
{
    auto* panel = new TPanel(Form);
    panel->SetParent(Form);
    panel->SetBounds(0, 0, 100, 60);
    panel->SetColor(clYellow);
    auto* bevel = new TBevel(Form);
    bevel->SetParent(panel);
    bevel->SetBounds(0, 0, 30, 20);  // over the panel's raised edge
    bevel->Update();
    const QImage& img = bevel->RetainedImage();
    EXPECT_EQ(Rgb(clBtnShadow), img.pixel(0, 0) | 0xFF000000u);     // bevel's own line
    EXPECT_EQ(Rgb(clYellow), img.pixel(10, 10) | 0xFF000000u);      // the panel shows through
    EXPECT_EQ(Rgb(clBtnHighlight), img.pixel(29, 10) | 0xFF000000u);  // lowered: light right edge
}

TEST_F(ControlsTest, PanelPaintsARaisedEdgeInButtonColours)
{
    auto* panel = new TPanel(Form);
    panel->SetParent(Form);
    panel->SetBounds(0, 0, 50, 40);
    panel->Update();
    const QImage& img = panel->RetainedImage();
    EXPECT_EQ(Rgb(clBtnHighlight), img.pixel(0, 0) | 0xFF000000u);
    EXPECT_EQ(Rgb(clBtnHighlight), img.pixel(0, 38) | 0xFF000000u);
    EXPECT_EQ(Rgb(clBtnShadow), img.pixel(49, 0) | 0xFF000000u);
    EXPECT_EQ(Rgb(clBtnShadow), img.pixel(10, 39) | 0xFF000000u);
    EXPECT_EQ(Rgb(clBtnFace), img.pixel(10, 10) | 0xFF000000u);
}

TEST_F(ControlsTest, LabelSizesItselfToItsCaption)
{
    auto* label = new TLabel(Form);
    label->SetParent(Form);
    label->SetCaption("Hello");
    const int w = label->Width();
    EXPECT_GT(w, 10);
    label->SetCaption("Hello, world");
    EXPECT_GT(label->Width(), w);
    label->SetAutoSize(false);
    label->SetCaption("x");
    EXPECT_GT(label->Width(), w);
}

TEST_F(ControlsTest, ClicksAndMouseEventsReachTheControl)
{
    auto* label = new TLabel(Form);
    label->SetParent(Form);
    label->SetBounds(10, 10, 50, 20);
    int clicks = 0;
    std::vector<std::pair<int, int>> downs;
    label->OnClick = [&](TObject*) { ++clicks; };
    label->OnMouseDown = [&](TObject*, TMouseButton, TShiftState S, int32_t X, int32_t Y) {
        EXPECT_TRUE(S.Contains(ssLeft));
        downs.push_back({X, Y});
    };
    label->WindowMouseDown(mbLeft, TShiftState{ssLeft}, 4, 5, false);
    label->WindowMouseUp(mbLeft, {}, 4, 5);
    label->WindowMouseDown(mbLeft, TShiftState{ssLeft}, 4, 5, false);
    label->WindowMouseUp(mbLeft, {}, 400, 5);  // released outside: no click
    EXPECT_EQ(1, clicks);
    ASSERT_EQ(2u, downs.size());
    EXPECT_EQ(std::make_pair(4, 5), downs[0]);
    label->SetDesigning(true);
    label->WindowMouseDown(mbLeft, TShiftState{ssLeft}, 4, 5, false);
    label->WindowMouseUp(mbLeft, {}, 4, 5);
    EXPECT_EQ(1, clicks);  // designing controls take no input
}
