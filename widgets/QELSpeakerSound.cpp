#include "widgets/QELSpeakerSound.h"

#include "framework/core/Platform.h"
#include "widgets/speaker/DefaultPorts.h"
#include "widgets/speaker/PortIO.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <cstdint>

namespace qel {

namespace {

constexpr uint8_t SpeakerBits = 0x03;         // port B: gate channel 2, connect it to the speaker
constexpr uint8_t Channel2SquareWave = 0xB6;  // channel 2, low then high byte, mode 3, binary

void PassOverQueue()
{
    if (!QCoreApplication::instance()) return;
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// Sleeps in the event dispatcher until an event comes or Ms is over, then handles what came.
void WaitForEvents(uint32_t Ms, QTimer& Wake)
{
    if (!QCoreApplication::instance()) {
        Sleep(Ms);
        return;
    }
    Wake.start(static_cast<int>(std::min<uint32_t>(Ms, INT32_MAX)));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    Wake.stop();
}

}  // namespace

TQELSpeakerSound::TQELSpeakerSound(TComponent* AOwner) : TComponent(AOwner) {}

TQELSpeakerSound::~TQELSpeakerSound()
{
    Stop();
}

speaker::IPortIO& TQELSpeakerSound::Ports()
{
    return FPorts ? *FPorts : speaker::DefaultPortIO();
}

uint16_t TQELSpeakerSound::GetPort(uint16_t Port)
{
    return Ports().In(Port);
}

void TQELSpeakerSound::SetPort(uint16_t Port, uint16_t Value)
{
    Ports().Out(Port, static_cast<uint8_t>(Value & 0xFF));
}

void TQELSpeakerSound::Sound(uint16_t Freq)
{
    if (SoundEnabled) PlayS(Freq);
}

void TQELSpeakerSound::NoSound()
{
    Stop();
}

void TQELSpeakerSound::PlayS(uint16_t Freq)
{
    if (Freq < LowestFrequency) return;
    const uint32_t divisor = TimerClock / Freq;
    const uint16_t v = GetPort(speaker::PortB);
    if ((v & SpeakerBits) == 0) {
        SetPort(speaker::PortB, v | SpeakerBits);
        SetPort(speaker::TimerControlPort, Channel2SquareWave);
    }
    SetPort(speaker::TimerChannel2Port, divisor & 0xFF);
    SetPort(speaker::TimerChannel2Port, (divisor >> 8) & 0xFF);
}

void TQELSpeakerSound::Stop()
{
    const uint16_t v = GetPort(speaker::PortB);
    SetPort(speaker::PortB, v & 0xFC);
}

void TQELSpeakerSound::Delay(int32_t Ms)
{
    const Cardinal start = GetTickCount();
    PassOverQueue();
    if (!DelayEnabled || Ms <= 0) return;
    QTimer wake;
    wake.setTimerType(Qt::PreciseTimer);
    wake.setSingleShot(true);
    for (;;) {
        const Cardinal elapsed = GetTickCount() - start;
        if (elapsed >= static_cast<Cardinal>(Ms)) return;
        WaitForEvents(static_cast<Cardinal>(Ms) - elapsed, wake);
    }
}

QEL_REGISTER_CLASS(TQELSpeakerSound);

}  // namespace qel
