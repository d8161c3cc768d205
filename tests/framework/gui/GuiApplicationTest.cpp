// The GUI application: message boxes through the hook, exceptions routed, the pinned clock.
#include "framework/core/DateUtils.h"
#include "framework/gui/Forms.h"
#include "framework/gui/GuiApplication.h"

#include <QApplication>

#include <gtest/gtest.h>

using namespace qel;

namespace {

struct HookGuard {
    ~HookGuard() { TGuiApplication::SetMessageBoxHook(nullptr); }
};

}  // namespace

TEST(GuiApplication, TheApplicationIsAQApplication)
{
    EXPECT_NE(nullptr, qobject_cast<QApplication*>(QCoreApplication::instance()));
}

TEST(GuiApplication, HandleExceptionShowsAMessageBoxUnlessOnExceptionIsSet)
{
    HookGuard guard;
    InstallGuiApplication();
    std::vector<std::pair<String, uint32_t>> boxes;
    TGuiApplication::SetMessageBoxHook([&](const String& Text, const String&, uint32_t Flags) {
        boxes.push_back({Text, Flags});
        return IDOK;
    });
    try {
        throw EConvertError("bad number");
    } catch (...) {
        Application->HandleException(nullptr);
    }
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("bad number", boxes[0].first);
    EXPECT_EQ(MB_ICONSTOP, boxes[0].second & 0xF0);
    std::vector<String> seen;
    Application->OnException = [&](TObject*, const Exception& E) { seen.push_back(E.Message()); };
    try {
        throw EConvertError("second");
    } catch (...) {
        Application->HandleException(nullptr);
    }
    Application->OnException = nullptr;
    EXPECT_EQ(1u, boxes.size());
    EXPECT_EQ(std::vector<String>{"second"}, seen);
}

TEST(GuiApplication, AnExceptionInPaintIsReportedNotThrownIntoQt)
{
    class TFaulty : public TForm {
    public:
        using TForm::TForm;

    protected:
        void Paint() override { throw EInvalidOperation("paint failed"); }
    };
    std::vector<String> seen;
    Application->OnException = [&](TObject*, const Exception& E) { seen.push_back(E.Message()); };
    {
        TFaulty form(nullptr);
        RenderForm(&form);
    }
    Application->OnException = nullptr;
    EXPECT_EQ(std::vector<String>{"paint failed"}, seen);
}

TEST(GuiApplication, MainFormIsTheFirstFormCreated)
{
    TForm* first = nullptr;
    TForm* second = nullptr;
    GuiApplication().CreateForm(first);
    GuiApplication().CreateForm(second);
    EXPECT_EQ(first, GuiApplication().MainForm());
    delete second;
    delete first;
    EXPECT_EQ(nullptr, GuiApplication().MainForm());
}

TEST(Clock, APinnedClockGivesThatInstantToNowDateAndTime)
{
    const TDateTime pinned = EncodeDate(2001, 2, 3) + EncodeTime(4, 5, 6, 7);
    SetClockOverride(pinned);
    EXPECT_TRUE(ClockOverridden());
    EXPECT_DOUBLE_EQ(pinned, Now());
    EXPECT_DOUBLE_EQ(EncodeDate(2001, 2, 3), Date());
    EXPECT_NEAR(EncodeTime(4, 5, 6, 7), Time(), 1e-9);
    EXPECT_EQ("2001-02-03 04:05:06", FormatDateTime("yyyy-mm-dd hh:nn:ss", Now()));
    ClearClockOverride();
    EXPECT_FALSE(ClockOverridden());
    EXPECT_GT(Now(), EncodeDate(2020, 1, 1));
}
