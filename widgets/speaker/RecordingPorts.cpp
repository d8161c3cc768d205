#include "widgets/speaker/RecordingPorts.h"

#include <cstdio>

namespace qel::speaker {

std::string Describe(const TPortAccess& Access)
{
    char text[32];
    std::snprintf(text, sizeof text, Access.Out ? "out %02x := %02x" : "in %02x -> %02x",
                  unsigned{Access.Port}, unsigned{Access.Value});
    return text;
}

std::string Describe(const std::vector<TPortAccess>& Accesses)
{
    std::string s;
    for (const auto& access : Accesses) {
        if (!s.empty()) s += ", ";
        s += Describe(access);
    }
    return s;
}

uint8_t TRecordingPorts::In(uint16_t Port)
{
    const uint8_t value = FInner.In(Port);
    FAccesses.push_back({false, Port, value});
    return value;
}

void TRecordingPorts::Out(uint16_t Port, uint8_t Value)
{
    FAccesses.push_back({true, Port, Value});
    FInner.Out(Port, Value);
}

}  // namespace qel::speaker
