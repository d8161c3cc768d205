#pragma once
// The attachment decoders, free of any component state: each one takes a
// line at a time and keeps whatever must survive a line break, so text can be fed as it comes.
#include "framework/core/Types.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qel {

// Base64 (MIME alphabet) whose group of four values runs on across lines. Characters outside the
// alphabet take no place in a group; "=" takes a place as the pad marker.
class TBase64GroupDecoder {
public:
    static constexpr uint8_t PadMarker = 64;

    // Room Decode may need in Out for a line of Length characters.
    static constexpr size_t MaxBytesFor(size_t Length) { return (Length / 4 + 1) * 3; }

    // Appends the bytes of every group Line completes to Out; returns how many bytes were written.
    // Groups gets the number of groups completed.
    size_t Decode(std::string_view Line, uint8_t* Out, size_t& Groups);

    size_t Pending() const { return FFill; }  // values of the unfinished group, dropped at the end
    void Reset() { FFill = 0; }

    // The 1 to 3 bytes of a full group g1..g4 (pad markers included); returns how many count.
    static size_t DecodeGroup(const uint8_t (&Group)[4], uint8_t* Out);

private:
    uint8_t FGroup[4] = {};
    size_t FFill = 0;
};

// One data line of a UU block: a length character, then up to 60 characters of 6 bits each.
class TUULineDecoder {
public:
    static constexpr size_t MaxBytes = 45;
    static constexpr size_t MaxChars = 60;

    // Writes the bytes the length character announces (at most 45) to Out; returns their number.
    // Positions the line lacks count as 0. BadChars gets the number of characters outside the
    // table (a blank is not one of them); each counts as 0.
    static size_t Decode(std::string_view Line, uint8_t* Out, size_t& BadChars);

    // The 6-bit value of C: backquote 0, "!" to "_" 1 to 63, blank 0; anything else 0 and Bad.
    static uint8_t Value(char C, bool& Bad);
};

// Recognises the begin line of a UU block: "begin", a decimal mode below 777 in characters 7 to 9,
// and a file name from character 11.
class TUUBeginFinder {
public:
    static constexpr size_t NameLength = 64;

    // True for a begin line; only then FileName gets the name as the line spells it.
    static bool IsBeginLine(std::string_view Line, String& FileName);
};

}  // namespace qel
