#pragma once
// The progress rule shared by sending, encoding, retrieving and decoding: percentages rounded
// half to even; an event whenever the percentage reaches a threshold that starts at the account's
// step and grows by one step per event (with step 0 every call fires).
#include "framework/core/SysUtils.h"

#include <cstdint>

namespace qel {

inline uint16_t ProgressPercent(int64_t Done, int64_t Total)
{
    if (Total <= 0) return 100;
    return static_cast<uint16_t>(RoundHalfEven(static_cast<double>(Done) * 100.0 / static_cast<double>(Total)));
}

class TProgressThreshold {
public:
    explicit TProgressThreshold(int32_t Step) : FStep(static_cast<uint16_t>(Step)), FNext(static_cast<uint16_t>(Step)) {}

    // True when Percent reached the current threshold, which then moves on by one step.
    bool Reached(uint16_t Percent)
    {
        if (Percent < FNext) return false;
        FNext = static_cast<uint16_t>(FNext + FStep);
        return true;
    }

private:
    uint16_t FStep;
    uint16_t FNext;
};

}  // namespace qel
