#pragma once
// Where the emulated speaker's tone goes: a sound output of some kind, or nowhere.
namespace qel::speaker {

class IToneSink {
public:
    virtual ~IToneSink() = default;
    // Hz > 0 plays a square wave of that frequency until the next call; 0 is silence.
    virtual void SetTone(double Hz) = 0;
};

class TSilentToneSink final : public IToneSink {
public:
    void SetTone(double /*Hz*/) override {}
};

}  // namespace qel::speaker
