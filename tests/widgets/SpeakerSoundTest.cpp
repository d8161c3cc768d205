// TQELSpeakerSound: the port sequences it writes (recorded over the emulated speaker), its
// switches, and a Delay that services the message queue without spinning.
#include "widgets/QELSpeakerSound.h"
#include "widgets/speaker/EmulatedSpeakerPorts.h"
#include "widgets/speaker/RecordingPorts.h"

#include "framework/core/Platform.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <ctime>
#include <memory>

using namespace qel;
using namespace qel::speaker;

namespace {

class SpeakerSound : public ::testing::Test {
protected:
    // Declared before the component: the layer must outlive it.
    TEmulatedSpeakerPorts Emulation;
    TRecordingPorts Ports{Emulation};
    std::unique_ptr<TQELSpeakerSound> Speaker = MakeSpeaker();
    QObject Guard;  // the context of the test's timers: none outlives the test

    std::unique_ptr<TQELSpeakerSound> MakeSpeaker()
    {
        auto s = std::make_unique<TQELSpeakerSound>(nullptr);
        s->SetPortIO(&Ports);
        return s;
    }
    std::string Played()
    {
        std::string s = Describe(Ports.Accesses());
        Ports.Clear();
        return s;
    }
};

double ThreadCpuMs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

}  // namespace

TEST_F(SpeakerSound, StartsEnabledWithoutTouchingAPort)
{
    EXPECT_TRUE(Speaker->SoundEnabled);
    EXPECT_TRUE(Speaker->DelayEnabled);
    EXPECT_EQ(Played(), "");
}

TEST_F(SpeakerSound, FrequenciesBelowNineteenLeaveThePortsAlone)
{
    Speaker->Sound(18);
    Speaker->Sound(0);
    EXPECT_EQ(Played(), "");
    Speaker->Sound(19);
    EXPECT_EQ(Played(), "in 61 -> 00, out 61 := 03, out 43 := b6, out 42 := 4f, out 42 := f5");
}

TEST_F(SpeakerSound, FromSilenceGatesProgramsAndLoadsTheDivisor)
{
    Speaker->Sound(440);
    EXPECT_EQ(Played(), "in 61 -> 00, out 61 := 03, out 43 := b6, out 42 := 97, out 42 := 0a");
    EXPECT_NEAR(Emulation.Frequency(), 440.1, 0.05);
}

TEST_F(SpeakerSound, WhileSoundingOnlyTheDivisorChanges)
{
    Speaker->Sound(440);
    Played();
    Speaker->Sound(1000);
    EXPECT_EQ(Played(), "in 61 -> 03, out 42 := a9, out 42 := 04");
    EXPECT_NEAR(Emulation.Frequency(), 1000.15, 0.01);
    Speaker->Sound(65535);
    EXPECT_EQ(Played(), "in 61 -> 03, out 42 := 12, out 42 := 00");
}

TEST_F(SpeakerSound, OtherBitsOfPortBSurviveSoundAndStop)
{
    Emulation.Out(PortB, 0xF0);
    Speaker->Sound(440);
    EXPECT_EQ(Played(), "in 61 -> f0, out 61 := f3, out 43 := b6, out 42 := 97, out 42 := 0a");
    Emulation.Out(PortB, 0xF1);  // one bit on counts as sounding: no new control word
    Speaker->Sound(440);
    EXPECT_EQ(Played(), "in 61 -> f1, out 42 := 97, out 42 := 0a");
    Speaker->Stop();
    EXPECT_EQ(Played(), "in 61 -> f1, out 61 := f0");
}

TEST_F(SpeakerSound, StopSilencesAndStillRewritesPortBWhenOff)
{
    Speaker->Sound(440);
    Played();
    Speaker->NoSound();
    EXPECT_EQ(Played(), "in 61 -> 03, out 61 := 00");
    EXPECT_EQ(Emulation.Frequency(), 0);
    Speaker->Stop();
    EXPECT_EQ(Played(), "in 61 -> 00, out 61 := 00");
}

TEST_F(SpeakerSound, SoundEnabledFalseSilencesSoundButNotPlayS)
{
    Speaker->SoundEnabled = false;
    Speaker->Sound(440);
    EXPECT_EQ(Played(), "");
    Speaker->PlayS(440);
    EXPECT_EQ(Played(), "in 61 -> 00, out 61 := 03, out 43 := b6, out 42 := 97, out 42 := 0a");
}

TEST_F(SpeakerSound, PortsReadZeroExtendedAndWriteTheLowByte)
{
    Emulation.Out(PortB, 0xFE);
    EXPECT_EQ(Speaker->GetPort(PortB), 0x00FE);
    Ports.Clear();
    Speaker->SetPort(PortB, 0x1234);
    EXPECT_EQ(Played(), "out 61 := 34");
}

TEST_F(SpeakerSound, DestructionStopsTheTone)
{
    Speaker->Sound(440);
    Played();
    Speaker.reset();
    EXPECT_EQ(Played(), "in 61 -> 03, out 61 := 00");
    EXPECT_EQ(Emulation.Frequency(), 0);
}

TEST_F(SpeakerSound, DelayWaitsServicingTheQueueWithoutSpinning)
{
    bool fired = false;
    QTimer::singleShot(10, &Guard, [&] { fired = true; });
    QElapsedTimer wall;
    wall.start();
    const Cardinal ticks = GetTickCount();
    const double cpu = ThreadCpuMs();
    Speaker->Delay(200);
    const double cpuUsed = ThreadCpuMs() - cpu;
    EXPECT_GE(GetTickCount() - ticks, 200u);
    EXPECT_GE(wall.elapsed(), 199);
    EXPECT_TRUE(fired) << "a timer due inside the delay fires inside it";
    EXPECT_LT(cpuUsed, wall.elapsed() / 2.0) << "a busy wait would use the whole wall time";
}

TEST_F(SpeakerSound, ShortDelayLastsItsTime)
{
    const Cardinal ticks = GetTickCount();
    Speaker->Delay(50);
    EXPECT_GE(GetTickCount() - ticks, 50u);
}

TEST_F(SpeakerSound, HandlersInsideDelayMayPlayOnTheSameComponent)
{
    QTimer::singleShot(5, &Guard, [&] { Speaker->Sound(1000); });
    Speaker->Sound(440);
    Speaker->Delay(60);
    EXPECT_NEAR(Emulation.Frequency(), 1000.15, 0.01);
}

TEST_F(SpeakerSound, ZeroNegativeOrDisabledDelayMakesOnePassAndReturns)
{
    int fired = 0;
    for (int32_t ms : {0, -1, -1000}) {
        const int before = fired;
        QTimer::singleShot(0, &Guard, [&] { ++fired; });
        QElapsedTimer wall;
        wall.start();
        Speaker->Delay(ms);
        EXPECT_LT(wall.elapsed(), 500) << ms;
        EXPECT_EQ(fired, before + 1) << "one pass over the queue for " << ms;
    }
    Speaker->DelayEnabled = false;
    QTimer::singleShot(0, &Guard, [&] { ++fired; });
    QElapsedTimer wall;
    wall.start();
    Speaker->Delay(1000);
    EXPECT_LT(wall.elapsed(), 500);
    EXPECT_EQ(fired, 4);
    EXPECT_EQ(Played(), "") << "Delay never touches the ports";
}
