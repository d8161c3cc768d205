#include "widgets/speaker/EmulatedSpeakerPorts.h"

namespace qel::speaker {

namespace {

constexpr uint8_t ChannelBits(uint8_t Control) { return Control >> 6; }
constexpr uint8_t AccessBits(uint8_t Control) { return (Control >> 4) & 3; }
constexpr uint8_t ModeBits(uint8_t Control) { return (Control >> 1) & 7; }
constexpr uint8_t Channel2 = 2;
constexpr uint8_t LatchCommand = 0;
constexpr uint8_t SquareWave = 3;
constexpr uint8_t SpeakerOn = 3;  // port B: gate channel 2, connect it to the speaker

}  // namespace

TEmulatedSpeakerPorts::TEmulatedSpeakerPorts(std::unique_ptr<IToneSink> Sink)
    : FSink(Sink ? std::move(Sink) : std::make_unique<TSilentToneSink>())
{
}

TEmulatedSpeakerPorts::~TEmulatedSpeakerPorts()
{
    if (FFrequency != 0) FSink->SetTone(0);
}

void TEmulatedSpeakerPorts::SetSink(std::unique_ptr<IToneSink> Sink)
{
    if (FFrequency != 0) FSink->SetTone(0);
    FSink = Sink ? std::move(Sink) : std::make_unique<TSilentToneSink>();
    if (FFrequency != 0) FSink->SetTone(FFrequency);
}

uint8_t TEmulatedSpeakerPorts::In(uint16_t Port)
{
    switch (Port) {
    case PortB: return FPortB;
    case TimerChannel2Port: return ReadCount();
    default: return 0xFF;  // write-only or absent, as an open bus reads
    }
}

void TEmulatedSpeakerPorts::Out(uint16_t Port, uint8_t Value)
{
    switch (Port) {
    case PortB: FPortB = Value; break;
    case TimerControlPort: WriteControl(Value); break;
    case TimerChannel2Port: WriteCount(Value); break;
    default: return;
    }
    UpdateTone();
}

void TEmulatedSpeakerPorts::WriteControl(uint8_t Value)
{
    if (ChannelBits(Value) != Channel2) return;
    if (AccessBits(Value) == LatchCommand) {
        if (!FLatched) FLatch = FCount;
        FLatched = true;
        FReadHigh = false;
        return;
    }
    // A new control word stops the channel until its count is loaded.
    FAccess = AccessBits(Value);
    const uint8_t mode = ModeBits(Value);
    FMode = mode >= 6 ? mode - 4 : mode;
    FWriteHigh = FReadHigh = FLatched = false;
    FCounting = false;
}

void TEmulatedSpeakerPorts::WriteCount(uint8_t Value)
{
    switch (FAccess) {
    case 1: FCount = Value; break;
    case 2: FCount = static_cast<uint16_t>(Value << 8); break;
    case 3:
        FWriteHigh = !FWriteHigh;
        if (FWriteHigh) {
            FPendingLow = Value;
            return;
        }
        FCount = static_cast<uint16_t>(FPendingLow | (Value << 8));
        break;
    default: return;  // never programmed
    }
    FCounting = true;
}

uint8_t TEmulatedSpeakerPorts::ReadCount()
{
    const uint16_t value = FLatched ? FLatch : FCount;
    uint8_t byte = 0;
    if (FAccess == 2 || (FAccess == 3 && FReadHigh)) byte = static_cast<uint8_t>(value >> 8);
    else byte = static_cast<uint8_t>(value);
    const bool last = FAccess != 3 || FReadHigh;
    if (FAccess == 3) FReadHigh = !FReadHigh;
    if (last) FLatched = false;
    return byte;
}

void TEmulatedSpeakerPorts::UpdateTone()
{
    double hz = 0;
    if ((FPortB & SpeakerOn) == SpeakerOn && FMode == SquareWave && FCounting)
        hz = TimerClockHz / (FCount == 0 ? 65536.0 : FCount);
    if (hz == FFrequency) return;
    FFrequency = hz;
    FSink->SetTone(hz);
}

}  // namespace qel::speaker
