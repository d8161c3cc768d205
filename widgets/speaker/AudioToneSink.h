#pragma once
// The tone as sound through the default audio output (Qt Multimedia).
#include "widgets/speaker/ToneSink.h"

#include <memory>

class QAudioSink;

namespace qel::speaker {

class TSquareWaveDevice;

class TAudioToneSink final : public IToneSink {
public:
    // Null without an application object or without a default audio output.
    static std::unique_ptr<TAudioToneSink> Open();
    ~TAudioToneSink() override;

    // The stream starts with the first tone and then plays on (silence between tones), so a tone
    // starts without the delay of setting up a stream. Sound needs the event loop to run.
    void SetTone(double Hz) override;

private:
    TAudioToneSink(std::unique_ptr<QAudioSink> Sink, std::unique_ptr<TSquareWaveDevice> Wave);

    std::unique_ptr<TSquareWaveDevice> FWave;
    std::unique_ptr<QAudioSink> FSink;
    bool FStarted = false;
};

}  // namespace qel::speaker
