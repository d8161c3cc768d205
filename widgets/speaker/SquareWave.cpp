#include "widgets/speaker/SquareWave.h"

#include <cmath>
#include <cstring>

namespace qel::speaker {

TSquareWaveDevice::TSquareWaveDevice(int SampleRate, QObject* Parent) : QIODevice(Parent), FSampleRate(SampleRate)
{
    // QIODevice's read-ahead buffer would hold samples of the old tone for up to a second.
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

qint64 TSquareWaveDevice::bytesAvailable() const
{
    // Never runs dry: a second of samples is always "there".
    return static_cast<qint64>(FSampleRate) * 2 + QIODevice::bytesAvailable();
}

qint64 TSquareWaveDevice::readData(char* Data, qint64 MaxLen)
{
    const qint64 count = MaxLen / 2;
    const double hz = FFrequency.load();
    // Above half the sample rate a square wave only aliases: such tones are inaudible anyway.
    const double step = hz > 0 && hz < FSampleRate / 2.0 ? hz / FSampleRate : 0;
    for (qint64 i = 0; i < count; ++i) {
        const int16_t sample = step == 0 ? 0 : (FPhase < 0.5 ? Amplitude : -Amplitude);
        std::memcpy(Data + 2 * i, &sample, 2);
        FPhase += step;
        if (FPhase >= 1) FPhase -= std::floor(FPhase);
    }
    return count * 2;
}

qint64 TSquareWaveDevice::writeData(const char* /*Data*/, qint64 /*Len*/)
{
    return -1;
}

}  // namespace qel::speaker
