#pragma once
// Timer channel 2 and system control port B in software: the writes that would sound the PC
// speaker become a tone on a sink instead.
#include "widgets/speaker/PortIO.h"
#include "widgets/speaker/ToneSink.h"

#include <memory>

namespace qel::speaker {

class TEmulatedSpeakerPorts final : public IPortIO {
public:
    static constexpr double TimerClockHz = 1193182.0;

    explicit TEmulatedSpeakerPorts(std::unique_ptr<IToneSink> Sink = nullptr);  // null: silent
    ~TEmulatedSpeakerPorts() override;

    uint8_t In(uint16_t Port) override;
    void Out(uint16_t Port, uint8_t Value) override;

    // The tone the speaker gives now, in Hz; 0 while silent.
    double Frequency() const { return FFrequency; }
    IToneSink& Sink() const { return *FSink; }
    // The old sink hears silence first; the new one hears the current tone.
    void SetSink(std::unique_ptr<IToneSink> Sink);

private:
    void WriteControl(uint8_t Value);
    void WriteCount(uint8_t Value);
    uint8_t ReadCount();
    void UpdateTone();

    std::unique_ptr<IToneSink> FSink;
    uint8_t FPortB = 0;
    uint8_t FAccess = 0;        // 1 low byte only, 2 high byte only, 3 low then high
    uint8_t FMode = 0;          // 0..5; the aliases 6 and 7 fold to 2 and 3
    bool FWriteHigh = false;    // the next lo/hi data write is the high byte
    bool FReadHigh = false;
    bool FCounting = false;     // a count is loaded since the last control word
    uint16_t FPendingLow = 0;
    uint16_t FCount = 0;        // 0 divides by 65536
    bool FLatched = false;
    uint16_t FLatch = 0;
    double FFrequency = 0;
};

}  // namespace qel::speaker
