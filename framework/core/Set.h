#pragma once
// A set over a small enumeration, as the component model's state and option sets need it.
#include <cstdint>
#include <initializer_list>

namespace qel {

template <class E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> Elements)
    {
        for (E e : Elements) Include(e);
    }
    constexpr bool Contains(E e) const { return (FBits & Bit(e)) != 0; }
    constexpr TSet& Include(E e) { FBits |= Bit(e); return *this; }
    constexpr TSet& Exclude(E e) { FBits &= ~Bit(e); return *this; }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr uint64_t Bits() const { return FBits; }
    constexpr TSet operator+(TSet o) const { TSet r; r.FBits = FBits | o.FBits; return r; }
    constexpr TSet operator-(TSet o) const { TSet r; r.FBits = FBits & ~o.FBits; return r; }
    constexpr TSet operator*(TSet o) const { TSet r; r.FBits = FBits & o.FBits; return r; }
    constexpr bool operator==(const TSet&) const = default;

private:
    static constexpr uint64_t Bit(E e) { return uint64_t(1) << static_cast<unsigned>(e); }
    uint64_t FBits = 0;
};

}  // namespace qel
