#include "framework/core/Guarded.h"
#include "framework/core/Libraries.h"
#include "framework/core/Platform.h"
#include "tests/framework/TestComponents.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

String SystemHostName()
{
    char name[256] = "";
    gethostname(name, sizeof name - 1);
    return name;
}

int SomeFunctionOfThisProgram() { return 1; }

}  // namespace

TEST(Platform, HostNameIsTheSystemsOwn)
{
    EXPECT_EQ(LocalHostName(), SystemHostName());
    EXPECT_FALSE(LocalHostName().empty());
}

TEST(Platform, SleepWaitsAtLeastTheTimeAndTicksFollowTheClock)
{
    const Cardinal tick0 = GetTickCount();
    const auto t0 = Clock::now();
    Sleep(30);
    const auto slept = Clock::now() - t0;
    const Cardinal ticks = GetTickCount() - tick0;  // unsigned: right across a wrap as well
    EXPECT_GE(slept, std::chrono::milliseconds(30));
    EXPECT_GE(ticks, 29u);  // two truncated millisecond readings may lose one
    EXPECT_LE(ticks, static_cast<Cardinal>(std::chrono::duration_cast<std::chrono::milliseconds>(slept).count()) + 1);

    const auto t1 = Clock::now();
    Sleep(0);
    EXPECT_LT(Clock::now() - t1, std::chrono::milliseconds(20));
}

TEST(Platform, LibrariesLoadResolveAndReportTheLoadersText)
{
    EXPECT_EQ(LoadLibrary("libqel-no-such-library.so"), nullptr);
    EXPECT_NE(LibraryErrorText().find("libqel-no-such-library.so"), String::npos) << LibraryErrorText();
    EXPECT_NE(LibraryErrorText().find("No such file"), String::npos) << LibraryErrorText();

    TLibrary libc("libc.so.6");
    ASSERT_TRUE(libc.Loaded()) << LibraryErrorText();
    using TStrLen = size_t (*)(const char*);
    auto strlenOfLibc = libc.Proc<TStrLen>("strlen");
    ASSERT_NE(strlenOfLibc, nullptr);
    EXPECT_EQ(strlenOfLibc("four"), 4u);
    EXPECT_EQ(libc.Proc<TStrLen>("qel_no_such_symbol"), nullptr);
    EXPECT_NE(LibraryErrorText().find("qel_no_such_symbol"), String::npos) << LibraryErrorText();
    EXPECT_EQ(GetProcAddress(nullptr, "strlen"), nullptr);

    // A move hands the load on; only the last holder drops it.
    TLibrary moved(std::move(libc));
    EXPECT_FALSE(libc.Loaded());
    EXPECT_TRUE(moved.Loaded());
    moved.Free();
    EXPECT_FALSE(moved.Loaded());
    EXPECT_FALSE(FreeLibrary(nullptr));
}

TEST(Platform, ModuleFileNameNamesTheProgramOrTheLibrary)
{
    char self[4096] = "";
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    EXPECT_EQ(ModuleFileName(reinterpret_cast<const void*>(&SomeFunctionOfThisProgram)), self);
    EXPECT_NE(ModuleFileName(&QObject::staticMetaObject).find("libQt6Core.so"), String::npos);
    EXPECT_EQ(ModuleFileName(nullptr), "");
}

TEST(Platform, GuardedReferenceClearsWhenTheObjectGoes)
{
    TComponent owner(nullptr);
    auto* thing = new TTestThing(&owner);
    TGuarded<TTestThing> ref = thing;
    TGuarded<TComponent> none;
    EXPECT_FALSE(none.Assigned());
    EXPECT_EQ(static_cast<TComponent*>(none), nullptr);
    EXPECT_TRUE(ref.Assigned());
    EXPECT_EQ(ref.Get(), thing);
    ref->Caption();  // reaches the object through the reference
    delete thing;    // behind the reference's back
    EXPECT_FALSE(ref.Assigned());
    EXPECT_EQ(ref.Get(), nullptr);
    ref = new TTestThing(&owner);
    EXPECT_TRUE(ref.Assigned());
    EXPECT_EQ(ref->Owner(), &owner);
    EXPECT_EQ(owner.ComponentCount(), 1);
}
