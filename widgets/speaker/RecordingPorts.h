#pragma once
// A port layer that passes every access on to another one and keeps a record of it, for tests.
#include "widgets/speaker/PortIO.h"

#include <string>
#include <vector>

namespace qel::speaker {

struct TPortAccess {
    bool Out = false;
    uint16_t Port = 0;
    uint8_t Value = 0;  // read or written
    bool operator==(const TPortAccess&) const = default;
};

// "in 61 -> 00" or "out 42 := 97": hexadecimal, as port listings show them.
std::string Describe(const TPortAccess& Access);
std::string Describe(const std::vector<TPortAccess>& Accesses);  // joined with ", "

class TRecordingPorts final : public IPortIO {
public:
    explicit TRecordingPorts(IPortIO& Inner) : FInner(Inner) {}

    uint8_t In(uint16_t Port) override;
    void Out(uint16_t Port, uint8_t Value) override;

    const std::vector<TPortAccess>& Accesses() const { return FAccesses; }
    void Clear() { FAccesses.clear(); }

private:
    IPortIO& FInner;
    std::vector<TPortAccess> FAccesses;
};

}  // namespace qel::speaker
