#include "widgets/speaker/AudioToneSink.h"

#include "widgets/speaker/SquareWave.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QMediaDevices>

namespace qel::speaker {

namespace {

// Int16: the audio server stalls on unsigned 8-bit streams.
QAudioFormat MonoInt16(int Rate)
{
    QAudioFormat format;
    format.setSampleRate(Rate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    return format;
}

constexpr int BufferMs = 100;  // how late a tone starts or stops, at most

}  // namespace

std::unique_ptr<TAudioToneSink> TAudioToneSink::Open()
{
    if (!QCoreApplication::instance()) return nullptr;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return nullptr;
    QAudioFormat format = MonoInt16(44100);
    if (!device.isFormatSupported(format)) format = MonoInt16(8000);
    if (!device.isFormatSupported(format)) return nullptr;
    auto sink = std::make_unique<QAudioSink>(device, format);
    sink->setBufferSize(format.bytesForDuration(BufferMs * 1000));
    auto wave = std::make_unique<TSquareWaveDevice>(format.sampleRate());
    return std::unique_ptr<TAudioToneSink>(new TAudioToneSink(std::move(sink), std::move(wave)));
}

TAudioToneSink::TAudioToneSink(std::unique_ptr<QAudioSink> Sink, std::unique_ptr<TSquareWaveDevice> Wave)
    : FWave(std::move(Wave)), FSink(std::move(Sink))
{
}

TAudioToneSink::~TAudioToneSink()
{
    if (FStarted) FSink->stop();
}

void TAudioToneSink::SetTone(double Hz)
{
    FWave->SetFrequency(Hz);
    if (FStarted || Hz <= 0) return;
    FSink->start(FWave.get());
    FStarted = true;
}

}  // namespace qel::speaker
