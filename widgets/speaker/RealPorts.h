#pragma once
// The speaker's hardware ports through inb/outb, where the kernel grants access to them.
#include "widgets/speaker/PortIO.h"

#include <memory>

namespace qel::speaker {

class TRealPorts final : public IPortIO {
public:
    // Asks the kernel for ports 0x42, 0x43 and 0x61; null when it refuses (no ioperm, no privilege).
    static std::unique_ptr<TRealPorts> Open();
    ~TRealPorts() override;

    // Only the granted ports are touched: any other would fault. Others read 0xFF, writes are dropped.
    uint8_t In(uint16_t Port) override;
    void Out(uint16_t Port, uint8_t Value) override;

    static bool Granted(uint16_t Port);

private:
    TRealPorts() = default;
};

}  // namespace qel::speaker
