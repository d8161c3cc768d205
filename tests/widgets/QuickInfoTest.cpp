// TQELQuickInfo: the component's values and the box it shows, looked at while it is open.
#include "widgets/QELQuickInfo.h"
#include "widgets/QELQuickInfoForm.h"

#include "framework/core/Application.h"
#include "framework/core/FormFiles.h"
#include "widgets/WidgetTestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

using namespace qel;
using namespace qel::test;

namespace {

TQELQuickInfoForm* OpenBox()
{
    for (int i = 0; i < Application->ComponentCount(); ++i)
        if (auto* box = qobject_cast<TQELQuickInfoForm*>(Application->Components(i)); box && box->Modal()) return box;
    return nullptr;
}

int BoxesLeft()
{
    int n = 0;
    for (int i = 0; i < Application->ComponentCount(); ++i)
        if (qobject_cast<TQELQuickInfoForm*>(Application->Components(i))) ++n;
    return n;
}

// Runs Execute while Inspect looks at the open box; the box is then closed unless Inspect closed
// it. A watchdog closes it after 5 s, so a fault never hangs the run.
void ExecuteAndInspect(TQELQuickInfo& Info, const std::function<void(TQELQuickInfoForm*)>& Inspect)
{
    bool inspected = false;
    QTimer probe, watchdog;
    probe.setSingleShot(true);
    watchdog.setSingleShot(true);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        TQELQuickInfoForm* box = OpenBox();
        if (!box) return;
        inspected = true;
        Inspect(box);
        if (box->ModalResult() == mrNone) box->Close();
    });
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        if (TQELQuickInfoForm* box = OpenBox()) box->Close();
    });
    probe.start(30);
    watchdog.start(5000);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(Info.Execute());
    EXPECT_LT(clock.elapsed(), 5000) << "the box was not closed";
    EXPECT_TRUE(inspected);
    EXPECT_EQ(0, BoxesLeft()) << "Execute frees its box";
}

void SavePicture(TCustomForm* Form, const char* Name)
{
    const QByteArray dir = qgetenv("QEL_TEST_PICTURES");
    if (!dir.isEmpty()) RenderForm(Form).save(QString::fromUtf8(dir) + "/" + Name, "PNG");
}

// Leftmost and rightmost dark (text) pixel in a label row of the box's picture; -1 when none.
std::pair<int, int> InkSpan(const QImage& Picture, TLabel* Row)
{
    int first = -1, last = -1;
    for (int x = Row->Left(); x < Row->Left() + Row->Width(); ++x)
        for (int y = Row->Top(); y < Row->Top() + Row->Height(); ++y)
            if (qGray(Picture.pixel(x, y)) < 100) {
                if (first < 0) first = x;
                last = x;
                break;
            }
    return {first, last};
}

}  // namespace

TEST(QuickInfo, StartsWithCaptionCentredCreditLinesAndTheDefaultFont)
{
    TQELQuickInfo info(nullptr);
    EXPECT_EQ("Quick Information Box", info.InfoboxCaption);
    EXPECT_EQ(taCenter, info.Alignment);
    EXPECT_EQ("", info.About.ToString());
    EXPECT_EQ("TQELQuickInfo", info.Line1);
    EXPECT_NE(String::npos, info.Line3.find("Version"));
    EXPECT_NE(String::npos, info.Line6.find("qelwidgets"));
    EXPECT_NE(String::npos, info.Line10.find("reserved"));
    TFont plain;
    EXPECT_EQ(plain.Name(), info.Fonts()->Name());
    EXPECT_EQ(plain.Height(), info.Fonts()->Height());
}

TEST(QuickInfo, FontsSetterCopiesAndAFormFileKeepsOnlyWhatDiffers)
{
    TForm owner(nullptr);
    owner.SetName("Host");
    auto* info = new TQELQuickInfo(&owner);
    info->SetName("Info1");
    EXPECT_EQ(String::npos, ComponentToText(&owner).find("Line1")) << "the credit lines are the defaults";

    TFont given;
    given.SetName("DejaVu Serif");
    info->Setfon(&given);
    given.SetName("Other");
    EXPECT_EQ("DejaVu Serif", info->Fonts()->Name());

    info->Line2 = "Changed";
    info->Alignment = taLeftJustify;
    info->InfoboxCaption = "Note";
    const String text = ComponentToText(&owner);
    TForm copy(nullptr);
    TextToComponent(text, &copy);
    auto* read = As<TQELQuickInfo>(copy.FindComponent("Info1"));
    ASSERT_NE(nullptr, read);
    EXPECT_EQ("Changed", read->Line2);
    EXPECT_EQ(info->Line1, read->Line1);
    EXPECT_EQ(taLeftJustify, read->Alignment);
    EXPECT_EQ("Note", read->InfoboxCaption);
    EXPECT_EQ("DejaVu Serif", read->Fonts()->Name());
}

TEST(QuickInfo, StoredLayoutOfTheBox)
{
    TQELQuickInfoForm box(nullptr);
    EXPECT_EQ(bsDialog, box.BorderStyle());
    EXPECT_EQ(331, box.ClientWidth());
    EXPECT_EQ(222, box.ClientHeight());
    EXPECT_EQ(clBtnFace, box.Color());
    EXPECT_EQ("System", box.Font()->Name());
    EXPECT_EQ(-13, box.Font()->Height());
    EXPECT_EQ(fsStayOnTop, box.FormStyle());
    EXPECT_EQ(poScreenCenter, box.Position());
    EXPECT_EQ(Rect(4, 4, 325, 173), box.Bevel1->BoundsRect());
    EXPECT_EQ(bsFrame, box.Bevel1->Shape());
    for (int n = 0; n < TQELQuickInfoForm::LineCount; ++n) {
        TLabel* row = box.Labels[n];
        ASSERT_NE(nullptr, row);
        EXPECT_EQ("Label" + std::to_string(n + 1), row->Name());
        EXPECT_EQ(Rect(8, 8 + 16 * n, 321, 24 + 16 * n), row->BoundsRect());
        EXPECT_EQ(taCenter, row->Alignment());
        EXPECT_FALSE(row->AutoSize());
        EXPECT_EQ(clSilver, row->Color());
        EXPECT_FALSE(row->ParentColor());
        EXPECT_TRUE(row->Transparent());
        EXPECT_EQ("System", row->Font()->Name());
    }
    EXPECT_EQ(Rect(120, 176, 193, 201), box.BitBtn1->BoundsRect());
    EXPECT_EQ("OK", box.BitBtn1->Caption());
    EXPECT_TRUE(box.BitBtn1->Default());
    EXPECT_EQ("System", box.BitBtn1->Font()->Name());
    EXPECT_EQ(-11, box.BitBtn1->Font()->Height());
    EXPECT_EQ(Rect(0, 203, 331, 222), box.StatusBar1->BoundsRect());
    EXPECT_EQ(0, box.StatusBar1->Panels()->Count());
    EXPECT_FALSE(box.StatusBar1->SimplePanel());
}

TEST(QuickInfo, ExecuteShowsCaptionAndLinesOnTopCentredWithADialogBorder)
{
    TQELQuickInfo info(nullptr);
    info.InfoboxCaption = "Hello";
    info.Line4 = "Fourth row";
    ExecuteAndInspect(info, [&](TQELQuickInfoForm* box) {
        EXPECT_EQ("Hello", box->Caption());
        const std::array<String*, 10> lines = info.Lines();
        for (int n = 0; n < 10; ++n) EXPECT_EQ(*lines[n], box->Labels[n]->Caption());
        EXPECT_EQ("Fourth row", box->Labels[3]->Caption());
        QWidget* window = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowTitle() == "Hello") window = w;
        ASSERT_NE(nullptr, window);
        EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_EQ(Qt::Dialog, window->windowFlags() & Qt::WindowType_Mask);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_LE(std::abs(box->Left() + box->Width() / 2 - area.center().x()), 1);
        EXPECT_LE(std::abs(box->Top() + box->Height() / 2 - area.center().y()), 1);
        SavePicture(box, "quickinfo.png");
    });
}

TEST(QuickInfo, EmptyLinesLeaveEmptyRowsAndTheBoxKeepsItsSize)
{
    TQELQuickInfo info(nullptr);
    for (String* line : info.Lines()) line->clear();
    ExecuteAndInspect(info, [](TQELQuickInfoForm* box) {
        EXPECT_EQ(331, box->ClientWidth());
        EXPECT_EQ(222, box->ClientHeight());
        const QImage picture = RenderForm(box);
        for (int n = 0; n < 10; ++n) {
            EXPECT_EQ("", box->Labels[n]->Caption());
            EXPECT_EQ(Rect(8, 8 + 16 * n, 321, 24 + 16 * n), box->Labels[n]->BoundsRect());
            EXPECT_EQ(-1, InkSpan(picture, box->Labels[n]).first) << "row " << n + 1;
        }
        EXPECT_EQ(Rect(120, 176, 193, 201), box->BitBtn1->BoundsRect());
    });
}

TEST(QuickInfo, FontsReachEveryLabelAndReplaceTheOkButtonsStoredFont)
{
    TQELQuickInfo info(nullptr);
    info.Fonts()->SetName("DejaVu Serif");
    info.Fonts()->SetHeight(-15);
    info.Fonts()->SetColor(clRed);
    ExecuteAndInspect(info, [&](TQELQuickInfoForm* box) {
        std::vector<TControl*> changed(box->Labels.begin(), box->Labels.end());
        changed.push_back(box->BitBtn1);
        for (TControl* c : changed) {
            EXPECT_EQ("DejaVu Serif", c->Font()->Name()) << c->Name();
            EXPECT_EQ(-15, c->Font()->Height()) << c->Name();
            EXPECT_EQ(clRed, c->Font()->Color()) << c->Name();
            EXPECT_NE(info.Fonts(), c->Font()) << "a copy";
        }
        EXPECT_EQ("System", box->Font()->Name()) << "the box itself keeps its font";
        EXPECT_EQ("System", box->StatusBar1->Font()->Name());
        const QImage picture = RenderForm(box);
        EXPECT_FALSE(PixelsWithColor(picture.copy(8, 8, 313, 16), clRed).empty()) << "red text in row 1";
        SavePicture(box, "quickinfo-font.png");
    });
}

TEST(QuickInfo, AlignmentLeftPutsEveryLineAtTheLeftOfItsRow)
{
    TQELQuickInfo info(nullptr);
    for (String* line : info.Lines()) *line = "Short";
    info.Alignment = taLeftJustify;
    ExecuteAndInspect(info, [](TQELQuickInfoForm* box) {
        const QImage picture = RenderForm(box);
        for (int n = 0; n < 10; ++n) {
            EXPECT_EQ(taLeftJustify, box->Labels[n]->Alignment());
            const auto [first, last] = InkSpan(picture, box->Labels[n]);
            EXPECT_GE(first, 8) << "row " << n + 1;
            EXPECT_LT(first, 8 + 6) << "row " << n + 1;
            EXPECT_LT(last, 8 + 313 / 2) << "row " << n + 1;
        }
        SavePicture(box, "quickinfo-left.png");
    });
}

TEST(QuickInfo, CentredLinesSitInTheMiddleOfTheirRows)
{
    TQELQuickInfo info(nullptr);
    info.Line1 = "Centre";
    ExecuteAndInspect(info, [](TQELQuickInfoForm* box) {
        const auto [first, last] = InkSpan(RenderForm(box), box->Labels[0]);
        ASSERT_GE(first, 0);
        EXPECT_LE(std::abs((first + last) / 2 - (8 + 313 / 2)), 3);
    });
}

TEST(QuickInfo, TheOkButtonClosesTheBox)
{
    TQELQuickInfo info(nullptr);
    bool stillOpen = true;
    ExecuteAndInspect(info, [&](TQELQuickInfoForm* box) {
        box->BitBtn1->Click();
        stillOpen = box->ModalResult() == mrNone;
    });
    EXPECT_FALSE(stillOpen);
}
