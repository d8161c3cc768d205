#pragma once
// The kernel's PC-speaker input device: it sounds the real speaker on EV_SND/SND_TONE events.
#include "widgets/speaker/ToneSink.h"

#include <memory>
#include <string>

namespace qel::speaker {

class TEvdevToneSink final : public IToneSink {
public:
    // The first of /dev/input/by-path/*pcspkr* or an event device named "...PC Speaker..." that
    // opens for writing; null when there is none.
    static std::unique_ptr<TEvdevToneSink> Open();
    static std::unique_ptr<TEvdevToneSink> OpenPath(const std::string& Path);
    ~TEvdevToneSink() override;

    void SetTone(double Hz) override;

private:
    explicit TEvdevToneSink(int Fd) : FFd(Fd) {}
    int FFd;
};

}  // namespace qel::speaker
