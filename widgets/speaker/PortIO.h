#pragma once
// The layer under TQELSpeakerSound: byte-wide I/O ports, real or emulated.
#include <cstdint>

namespace qel::speaker {

class IPortIO {
public:
    virtual ~IPortIO() = default;
    virtual uint8_t In(uint16_t Port) = 0;
    virtual void Out(uint16_t Port, uint8_t Value) = 0;
};

// Speaker ports: timer channel 2 data, the timer's control word and system control port B.
constexpr uint16_t TimerChannel2Port = 0x42;
constexpr uint16_t TimerControlPort = 0x43;
constexpr uint16_t PortB = 0x61;

}  // namespace qel::speaker
