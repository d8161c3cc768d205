#include "framework/core/Application.h"
#include "framework/core/Timer.h"

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <gtest/gtest.h>

using namespace qel;

namespace {

// Services the queue until Done or the deadline; true when Done came true.
template <class F>
bool PumpUntil(F Done, std::chrono::milliseconds Limit = std::chrono::milliseconds(3000))
{
    const auto end = std::chrono::steady_clock::now() + Limit;
    while (!Done() && std::chrono::steady_clock::now() < end) Application->ProcessMessages();
    return Done();
}

}  // namespace

TEST(Application, ProcessMessagesServicesPendingEvents)
{
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    EXPECT_TRUE(PumpUntil([&] { return ran; }));
}

TEST(Application, HandleExceptionGoesToTheHookWithTheRealException)
{
    TComponent sender(nullptr);
    TObject* seenSender = nullptr;
    String seen;
    bool wasOpenError = false;
    Application->OnException = [&](TObject* Sender, const Exception& E) {
        seenSender = Sender;
        seen = E.Message();
        wasOpenError = dynamic_cast<const EFOpenError*>(&E) != nullptr;
    };
    try {
        throw EFOpenError("Cannot open file \"x\"");
    } catch (...) {
        Application->HandleException(&sender);
    }
    EXPECT_EQ(seenSender, &sender);
    EXPECT_EQ(seen, "Cannot open file \"x\"");
    EXPECT_TRUE(wasOpenError);

    try {
        throw std::runtime_error("plain");
    } catch (...) {
        Application->HandleException(nullptr);
    }
    EXPECT_EQ(seen, "plain");

    seen.clear();
    try {
        throw EAbort("quiet");
    } catch (...) {
        Application->HandleException(nullptr);
    }
    EXPECT_EQ(seen, "");  // an abort is silent
    Application->OnException = nullptr;
}

TEST(Application, ShowsExceptionsOnStandardErrorWithoutAHook)
{
    testing::internal::CaptureStderr();
    try {
        throw EConvertError("bad number");
    } catch (...) {
        Application->HandleException(nullptr);
    }
    const String err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("bad number"), String::npos);
    EXPECT_NE(Application->ExeName().find("qelframework_tests"), String::npos);
    EXPECT_EQ(Application->Title(), "qelframework_tests");
}

TEST(Timer, FiresOnTheEventLoopAndStopsWhenDisabled)
{
    TComponent owner(nullptr);
    auto* timer = new TTimer(&owner);
    int ticks = 0;
    timer->OnTimer = [&](TObject* Sender) {
        EXPECT_EQ(Sender, timer);
        ++ticks;
    };
    timer->SetInterval(10);
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }));
    timer->SetEnabled(false);
    const int stopped = ticks;
    PumpUntil([] { return false; }, std::chrono::milliseconds(60));
    EXPECT_EQ(ticks, stopped);
    timer->SetEnabled(true);
    timer->SetInterval(0);  // no interval: no ticks
    PumpUntil([] { return false; }, std::chrono::milliseconds(40));
    EXPECT_EQ(ticks, stopped);
}
