#include "widgets/speaker/DefaultPorts.h"

#include "widgets/speaker/AudioToneSink.h"
#include "widgets/speaker/EmulatedSpeakerPorts.h"
#include "widgets/speaker/EvdevToneSink.h"
#include "widgets/speaker/RealPorts.h"

#include <QCoreApplication>

namespace qel::speaker {

namespace {

TEmulatedSpeakerPorts* Emulation = nullptr;

// Opens the real sink at the first tone: a component that only ever stops (as each one does when
// freed) sets up no audio stream.
class TFirstToneOpensSink final : public IToneSink {
public:
    void SetTone(double Hz) override
    {
        if (!FSink && Hz <= 0) return;
        if (!FSink) FSink = OpenFirstToneSink();
        FSink->SetTone(Hz);
    }

private:
    std::unique_ptr<IToneSink> FSink;
};

// Audio objects must go while Qt is still there, not at static destruction.
void ReleaseAudio()
{
    if (Emulation) Emulation->SetSink(nullptr);
}

IPortIO* ChoosePortIO()
{
    if (auto real = TRealPorts::Open()) return real.release();
    Emulation = new TEmulatedSpeakerPorts(std::make_unique<TFirstToneOpensSink>());
    if (QCoreApplication::instance()) qAddPostRoutine(ReleaseAudio);
    return Emulation;
}

}  // namespace

std::unique_ptr<IToneSink> OpenFirstToneSink()
{
    if (auto device = TEvdevToneSink::Open()) return device;
    if (auto audio = TAudioToneSink::Open()) return audio;
    return std::make_unique<TSilentToneSink>();
}

IPortIO& DefaultPortIO()
{
    // Deliberately never freed: see the header.
    static IPortIO* const Layer = ChoosePortIO();
    return *Layer;
}

}  // namespace qel::speaker
