// Window styles from CreateParams: framed child windows, edges, and user moves and resizes.
#include "framework/gui/ExtCtrls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/qt/WidgetBridge.h"

#include <QMdiSubWindow>
#include <QTest>

#include <gtest/gtest.h>

using namespace qel;

namespace {

// A child control that asks for a caption bar and a sizing border.
class TFramedChild : public TCustomControl {
public:
    explicit TFramedChild(TComponent* AOwner) : TCustomControl(AOwner) {}
    uint32_t ExtraStyle = WS_CAPTION | WS_THICKFRAME;
    uint32_t ExtraExStyle = 0;

protected:
    void CreateParams(TCreateParams& Params) override
    {
        TCustomControl::CreateParams(Params);
        Params.Style |= ExtraStyle;
        Params.ExStyle |= ExtraExStyle;
    }
};

class StylesTest : public ::testing::Test {
protected:
    StylesTest()
    {
        Form.SetBounds(50, 50, 400, 300);
        Child = new TFramedChild(&Form);
        Child->SetCaption("Child window");
        Child->SetBounds(20, 30, 160, 120);
        Child->SetParent(&Form);
    }
    TForm Form{nullptr};
    TFramedChild* Child;
};

}  // namespace

TEST_F(StylesTest, CaptionAndSizingFrameMakeAFramedChildWindow)
{
    Form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.Window()->OuterWidget()));
    Bridge::TWindow* w = Child->Window();
    EXPECT_EQ(Bridge::TFrameKind::Caption, w->FrameKind());
    auto* sub = qobject_cast<QMdiSubWindow*>(w->OuterWidget());
    ASSERT_NE(nullptr, sub);
    EXPECT_EQ(Form.Window()->ClientWidget(), sub->parentWidget());
    EXPECT_EQ(QRect(20, 30, 160, 120), sub->geometry());
    EXPECT_EQ(QString("Child window"), sub->windowTitle());
    const Bridge::TMargins m = w->Margins();
    EXPECT_GE(m.Top, 18);  // the caption bar
    EXPECT_GT(m.Left, 0);
    EXPECT_EQ(160 - m.Left - m.Right, Child->ClientWidth());
    EXPECT_EQ(120 - m.Top - m.Bottom, Child->ClientHeight());
    EXPECT_EQ(Child->ClientWidth(), Child->RetainedImage().width());
    EXPECT_EQ(QSize(Child->ClientWidth(), Child->ClientHeight()), w->ClientWidget()->size());
    // Same numbers before the window exists.
    TForm unshown(nullptr);
    auto* other = new TFramedChild(&unshown);
    other->SetParent(&unshown);
    other->SetBounds(0, 0, 160, 120);
    ASSERT_FALSE(other->HandleAllocated());
    EXPECT_EQ(Child->ClientWidth(), other->ClientWidth());
}

TEST_F(StylesTest, TheUserResizesTheFramedChildByItsCorner)
{
    Form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.Window()->OuterWidget()));
    QWidget* sub = Child->Window()->OuterWidget();
    int resizes = 0;
    Child->OnResize = [&](TObject*) { ++resizes; };
    const QPoint corner(sub->width() - 2, sub->height() - 2);
    QTest::mouseMove(sub, corner);
    QTest::mousePress(sub, Qt::LeftButton, {}, corner);
    QTest::mouseMove(sub, corner + QPoint(30, 20));
    QTest::mouseRelease(sub, Qt::LeftButton, {}, corner + QPoint(30, 20));
    EXPECT_EQ(190, Child->Width());
    EXPECT_EQ(140, Child->Height());
    EXPECT_EQ(20, Child->Left());
    EXPECT_GT(resizes, 0);
    EXPECT_EQ(Child->ClientWidth(), Child->RetainedImage().width());
}

TEST_F(StylesTest, ToolWindowCaptionIsSmallAndRecreateKeepsChildrenAndBounds)
{
    auto* inner = new TPanel(&Form);
    inner->SetParent(Child);
    inner->SetAlign(alClient);
    Form.HandleNeeded();
    const int normalTop = Child->Window()->Margins().Top;
    Child->ExtraExStyle = WS_EX_TOOLWINDOW;
    Child->RecreateWnd();
    const int toolTop = Child->Window()->Margins().Top;
    EXPECT_LT(toolTop, normalTop);
    EXPECT_EQ(Rect(20, 30, 180, 150), Child->BoundsRect());
    EXPECT_TRUE(inner->HandleAllocated());
    EXPECT_EQ(Child->ClientWidth(), inner->Width());
    EXPECT_EQ(Child->ClientHeight(), inner->Height());
}

TEST_F(StylesTest, BordersAndDialogFramesDrawEdgesAroundTheClientArea)
{
    Child->ExtraStyle = WS_BORDER;
    Form.HandleNeeded();
    Child->RecreateWnd();
    EXPECT_EQ(Bridge::TFrameKind::Border, Child->Window()->FrameKind());
    EXPECT_EQ(158, Child->ClientWidth());
    Child->ExtraStyle = WS_DLGFRAME;
    Child->RecreateWnd();
    EXPECT_EQ(Bridge::TFrameKind::DialogFrame, Child->Window()->FrameKind());
    EXPECT_EQ(154, Child->ClientWidth());
    Child->ExtraStyle = 0;
    Child->ExtraExStyle = WS_EX_CLIENTEDGE;
    Child->RecreateWnd();
    EXPECT_EQ(Bridge::TFrameKind::ClientEdge, Child->Window()->FrameKind());
    EXPECT_EQ(156, Child->ClientWidth());
    auto* panel = new TPanel(&Form);
    panel->SetParent(&Form);
    panel->SetBorderStyle(bsSingle);
    EXPECT_EQ(Bridge::TFrameKind::Border, panel->Window()->FrameKind());
}
