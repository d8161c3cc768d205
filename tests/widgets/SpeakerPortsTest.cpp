// The port layers under the speaker component: the emulated timer channel 2 and port B, the
// recording wrapper, the square-wave generator and the choice of the default layer.
#include "widgets/speaker/DefaultPorts.h"
#include "widgets/speaker/EmulatedSpeakerPorts.h"
#include "widgets/speaker/RealPorts.h"
#include "widgets/speaker/RecordingPorts.h"
#include "widgets/speaker/SquareWave.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace qel::speaker;

namespace {

struct TToneLog final : IToneSink {
    std::vector<double>* Tones;
    explicit TToneLog(std::vector<double>& T) : Tones(&T) {}
    void SetTone(double Hz) override { Tones->push_back(Hz); }
};

class EmulatedSpeaker : public ::testing::Test {
protected:
    std::vector<double> Tones;
    TEmulatedSpeakerPorts Ports{std::make_unique<TToneLog>(Tones)};

    void Program(uint8_t Control, std::vector<uint8_t> Counts)
    {
        Ports.Out(TimerControlPort, Control);
        for (uint8_t b : Counts) Ports.Out(TimerChannel2Port, b);
    }
};

}  // namespace

TEST_F(EmulatedSpeaker, SoundsOnlyWithGateSpeakerBitsAndSquareWave)
{
    Program(0xB6, {0x97, 0x0A});
    EXPECT_EQ(Ports.Frequency(), 0) << "port B still off";
    Ports.Out(PortB, 0x01);
    EXPECT_EQ(Ports.Frequency(), 0) << "gate without the speaker connection";
    Ports.Out(PortB, 0x03);
    EXPECT_NEAR(Ports.Frequency(), 440.13, 0.01);
    Program(0xB4, {0x97, 0x0A});  // mode 2: a pulse train, no tone
    EXPECT_EQ(Ports.Frequency(), 0);
    Program(0xBE, {0x97, 0x0A});  // mode 7 is mode 3 again
    EXPECT_NEAR(Ports.Frequency(), 440.13, 0.01);
    Ports.Out(PortB, 0x02);
    EXPECT_EQ(Ports.Frequency(), 0);
    ASSERT_EQ(Tones.size(), 4u) << "each change reported once";
    EXPECT_NEAR(Tones[0], 440.13, 0.01);
    EXPECT_EQ(Tones[1], 0);
    EXPECT_NEAR(Tones[2], 440.13, 0.01);
    EXPECT_EQ(Tones[3], 0);
}

TEST_F(EmulatedSpeaker, ToneChangesOnlyAfterTheHighByte)
{
    Ports.Out(PortB, 0x03);
    Program(0xB6, {0x97, 0x0A});
    Ports.Out(TimerChannel2Port, 0xA9);
    EXPECT_NEAR(Ports.Frequency(), 440.13, 0.01) << "low byte alone keeps the old tone";
    Ports.Out(TimerChannel2Port, 0x04);
    EXPECT_NEAR(Ports.Frequency(), 1000.15, 0.01);
}

TEST_F(EmulatedSpeaker, ControlWordStopsTheChannelUntilItsCountIsLoaded)
{
    Ports.Out(PortB, 0x03);
    Program(0xB6, {0x97, 0x0A});
    Ports.Out(TimerControlPort, 0xB6);
    EXPECT_EQ(Ports.Frequency(), 0);
    Ports.Out(TimerChannel2Port, 0x00);
    Ports.Out(TimerChannel2Port, 0x00);
    EXPECT_NEAR(Ports.Frequency(), 1193182.0 / 65536, 1e-9) << "count 0 divides by 65536";
}

TEST_F(EmulatedSpeaker, SingleByteAccessModesAndOtherChannels)
{
    Ports.Out(PortB, 0x03);
    Program(0x96, {0x12});  // low byte only
    EXPECT_NEAR(Ports.Frequency(), 1193182.0 / 0x12, 1e-6);
    Program(0xA6, {0x01});  // high byte only
    EXPECT_NEAR(Ports.Frequency(), 1193182.0 / 0x100, 1e-6);
    Ports.Out(TimerControlPort, 0x36);  // channel 0 is not the speaker's: channel 2 keeps its setup
    Ports.Out(0x40, 0x55);
    EXPECT_NEAR(Ports.Frequency(), 1193182.0 / 0x100, 1e-6);
    Ports.Out(TimerChannel2Port, 0x02);
    EXPECT_NEAR(Ports.Frequency(), 1193182.0 / 0x200, 1e-6) << "still high byte only";
}

TEST_F(EmulatedSpeaker, LatchKeepsTheModeAndReadsTheCountBack)
{
    Ports.Out(PortB, 0x03);
    Program(0xB6, {0x97, 0x0A});
    Ports.Out(TimerControlPort, 0x80);  // latch channel 2
    EXPECT_NEAR(Ports.Frequency(), 440.13, 0.01);
    EXPECT_EQ(Ports.In(TimerChannel2Port), 0x97);
    EXPECT_EQ(Ports.In(TimerChannel2Port), 0x0A);
    Ports.Out(TimerChannel2Port, 0xA9);
    Ports.Out(TimerChannel2Port, 0x04);
    EXPECT_NEAR(Ports.Frequency(), 1000.15, 0.01) << "still lo/hi access after the latch";
}

TEST_F(EmulatedSpeaker, PortBReadsBackWhatWasWrittenAndUnknownPortsFloat)
{
    EXPECT_EQ(Ports.In(PortB), 0x00);
    Ports.Out(PortB, 0xA5);
    EXPECT_EQ(Ports.In(PortB), 0xA5);
    EXPECT_EQ(Ports.In(0x3F8), 0xFF);
    Ports.Out(0x3F8, 0x12);
    EXPECT_EQ(Ports.In(TimerControlPort), 0xFF);
    EXPECT_TRUE(Tones.empty());
}

TEST(EmulatedSpeakerSinks, ReplacingTheSinkMovesTheToneAndSilencesTheOld)
{
    std::vector<double> first, second;
    TEmulatedSpeakerPorts ports(std::make_unique<TToneLog>(first));
    ports.Out(PortB, 3);
    ports.Out(TimerControlPort, 0xB6);
    ports.Out(TimerChannel2Port, 0xA9);
    ports.Out(TimerChannel2Port, 0x04);
    ports.SetSink(std::make_unique<TToneLog>(second));
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[1], 0);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_NEAR(second[0], 1000.15, 0.01);
    ports.SetSink(nullptr);  // silent from now on, without failing
    ports.Out(PortB, 0);
    EXPECT_EQ(ports.Frequency(), 0);
}

TEST(RecordingPorts, RecordsEachAccessInOrderAndPassesItOn)
{
    TEmulatedSpeakerPorts inner;
    TRecordingPorts rec(inner);
    rec.Out(PortB, 0x03);
    EXPECT_EQ(rec.In(PortB), 0x03);
    EXPECT_EQ(inner.In(PortB), 0x03);
    EXPECT_EQ(Describe(rec.Accesses()), "out 61 := 03, in 61 -> 03");
    rec.Clear();
    EXPECT_TRUE(rec.Accesses().empty());
}

TEST(RealPorts, OnlyTheSpeakerPortsAreEverTouched)
{
    EXPECT_TRUE(TRealPorts::Granted(0x42));
    EXPECT_TRUE(TRealPorts::Granted(0x43));
    EXPECT_TRUE(TRealPorts::Granted(0x61));
    EXPECT_FALSE(TRealPorts::Granted(0x40));
    EXPECT_FALSE(TRealPorts::Granted(0x80));
}

TEST(DefaultPorts, ChosenOnceAndEmulatedWhereTheKernelRefusesPorts)
{
    IPortIO& first = DefaultPortIO();
    EXPECT_EQ(&first, &DefaultPortIO());
    if (TRealPorts::Open()) GTEST_SKIP() << "this machine grants port access";
    EXPECT_NE(dynamic_cast<TEmulatedSpeakerPorts*>(&first), nullptr);
}

namespace {

int ZeroCrossings(const std::vector<int16_t>& Samples)
{
    int n = 0;
    for (size_t i = 1; i < Samples.size(); ++i)
        if ((Samples[i - 1] < 0) != (Samples[i] < 0)) ++n;
    return n;
}

std::vector<int16_t> ReadSamples(TSquareWaveDevice& Wave, int Count)
{
    std::vector<int16_t> s(static_cast<size_t>(Count));
    EXPECT_EQ(Wave.read(reinterpret_cast<char*>(s.data()), 2 * Count), 2 * Count);
    return s;
}

}  // namespace

TEST(SquareWave, GivesTheFrequencyAtItsRateAndSilenceAtZero)
{
    TSquareWaveDevice wave(8000);
    ASSERT_TRUE(wave.isOpen()) << "open and unbuffered from the start: a new tone is heard at once";
    EXPECT_GT(wave.bytesAvailable(), 0);
    const auto silent = ReadSamples(wave, 800);
    EXPECT_EQ(std::count(silent.begin(), silent.end(), 0), 800);
    wave.SetFrequency(440.13);
    const auto second = ReadSamples(wave, 8000);
    EXPECT_NEAR(ZeroCrossings(second) / 2.0, 440, 1.0);
    EXPECT_EQ(*std::max_element(second.begin(), second.end()), TSquareWaveDevice::Amplitude);
    EXPECT_EQ(*std::min_element(second.begin(), second.end()), -TSquareWaveDevice::Amplitude);
    wave.SetFrequency(5000);  // above half the rate: only aliases, so nothing
    const auto high = ReadSamples(wave, 100);
    EXPECT_EQ(std::count(high.begin(), high.end(), 0), 100);
}
