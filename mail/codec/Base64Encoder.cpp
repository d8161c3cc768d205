// The Base64 line encoder: groups to characters through a table of character pairs.
#include "mail/codec/Base64Encoder.h"

#include <bit>
#include <cstring>

namespace qel {

namespace {

constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Every 12-bit value as its two characters: one lookup per half group instead of two.
struct TPairTable {
    char Pairs[4096][2];
    constexpr TPairTable() : Pairs{}
    {
        for (int i = 0; i < 4096; ++i) {
            Pairs[i][0] = Alphabet[i >> 6];
            Pairs[i][1] = Alphabet[i & 63];
        }
    }
};
constexpr TPairTable PairTable;

}  // namespace

char* TBase64LineEncoder::EncodeGroups(const uint8_t* Data, size_t Groups, char* Out)
{
    // Two groups per step from one 8-byte load, while 8 bytes are there to load.
    for (; Groups >= 3; Groups -= 2, Data += 6, Out += 8) {
        uint64_t word;
        std::memcpy(&word, Data, 8);
        const uint64_t bits = std::endian::native == std::endian::little ? __builtin_bswap64(word) : word;
        std::memcpy(Out, PairTable.Pairs[(bits >> 52) & 0xFFF], 2);
        std::memcpy(Out + 2, PairTable.Pairs[(bits >> 40) & 0xFFF], 2);
        std::memcpy(Out + 4, PairTable.Pairs[(bits >> 28) & 0xFFF], 2);
        std::memcpy(Out + 6, PairTable.Pairs[(bits >> 16) & 0xFFF], 2);
    }
    for (; Groups > 0; --Groups, Data += 3, Out += 4) {
        const uint32_t bits = (uint32_t{Data[0]} << 16) | (uint32_t{Data[1]} << 8) | Data[2];
        std::memcpy(Out, PairTable.Pairs[bits >> 12], 2);
        std::memcpy(Out + 2, PairTable.Pairs[bits & 0xFFF], 2);
    }
    return Out;
}

void TBase64LineEncoder::EncodePadded(const uint8_t* Data, size_t Count, char* Out)
{
    const uint32_t b1 = Count > 1 ? Data[1] : 0;
    Out[0] = Alphabet[Data[0] >> 2];
    Out[1] = Alphabet[((Data[0] & 3) << 4) | (b1 >> 4)];
    Out[2] = Count > 1 ? Alphabet[(b1 & 15) << 2] : '=';
    Out[3] = '=';
}

}  // namespace qel
