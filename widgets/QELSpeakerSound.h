#pragma once
// TQELSpeakerSound: tones on the PC speaker (timer channel 2 and port B) and a Delay that keeps
// the application's messages flowing, so a host can time notes.
#include "framework/core/Component.h"
#include "widgets/QELAboutFree.h"
#include "widgets/WidgetsExport.h"

namespace qel {

namespace speaker {
class IPortIO;
}

class QEL_WIDGETS_EXPORT TQELSpeakerSound : public TComponent {
    Q_OBJECT
    Q_PROPERTY(qel::TQELAboutFreeStr About MEMBER About)
    Q_PROPERTY(bool SoundEnabled MEMBER SoundEnabled)
    Q_PROPERTY(bool DelayEnabled MEMBER DelayEnabled)
    Q_CLASSINFO("default:About", "")
    Q_CLASSINFO("default:SoundEnabled", "true")
    Q_CLASSINFO("default:DelayEnabled", "true")

public:
    static constexpr uint32_t TimerClock = 1193181;
    static constexpr uint16_t LowestFrequency = 19;

    Q_INVOKABLE explicit TQELSpeakerSound(TComponent* AOwner);
    ~TQELSpeakerSound() override;  // stops the tone

    void Sound(uint16_t Freq);  // PlayS while SoundEnabled
    void NoSound();
    void PlayS(uint16_t Freq);  // starts or retunes the tone; below LowestFrequency nothing
    void Stop();
    // Waits Ms milliseconds of the tick count while servicing the message queue (at least one
    // pass); a negative Ms, or DelayEnabled False, makes one pass only.
    void Delay(int32_t Ms);

    uint16_t GetPort(uint16_t Port);
    void SetPort(uint16_t Port, uint16_t Value);  // writes the low byte

    // The port layer this component uses; null (the start) means the process-wide default.
    // The layer is not owned and must outlive the component, whose destruction writes to it.
    void SetPortIO(speaker::IPortIO* Ports) { FPorts = Ports; }

    TQELAboutFreeStr About;
    bool SoundEnabled = true;
    bool DelayEnabled = true;

private:
    speaker::IPortIO& Ports();

    speaker::IPortIO* FPorts = nullptr;
};

}  // namespace qel
