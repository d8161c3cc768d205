#pragma once
// An endless stream of mono signed 16-bit samples: a square wave at the current frequency, or
// silence at 0 Hz. Retuning keeps the phase, so a tone changes without a click.
#include <QIODevice>

#include <atomic>

namespace qel::speaker {

class TSquareWaveDevice final : public QIODevice {
public:
    static constexpr int16_t Amplitude = 8000;  // about a quarter of full scale: a square wave is loud

    explicit TSquareWaveDevice(int SampleRate, QObject* Parent = nullptr);  // opens it, unbuffered

    void SetFrequency(double Hz) { FFrequency.store(Hz); }
    double Frequency() const { return FFrequency.load(); }
    int SampleRate() const { return FSampleRate; }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* Data, qint64 MaxLen) override;
    qint64 writeData(const char* Data, qint64 Len) override;

private:
    int FSampleRate;
    std::atomic<double> FFrequency{0};
    double FPhase = 0;  // of the current period, 0 <= FPhase < 1
};

}  // namespace qel::speaker
