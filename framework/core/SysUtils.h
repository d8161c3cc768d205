#pragma once
// Run-time library routines: byte-string helpers, integer conversions, file names,
// file-system queries, integer arithmetic and the process-wide pseudo-random generator.
// Text routines work on bytes and only fold ASCII letters, so UTF-8 passes through intact.
#include "framework/core/Exceptions.h"

#include <concepts>
#include <cstdint>
#include <type_traits>

namespace qel {

// Whitespace here means every byte <= ' ' (blanks and control characters).
String Trim(const String& S);
String TrimLeft(const String& S);
String TrimRight(const String& S);
// S without its CR and LF characters: a value that must stay on one protocol or header line.
String RemoveLineBreaks(String S);

String UpperCase(const String& S);
String LowerCase(const String& S);
bool SameText(const String& S1, const String& S2);
// < 0, 0 or > 0 like strcmp, after folding ASCII letters to upper case.
int CompareText(const String& S1, const String& S2);

String IntToStr(int64_t Value);
// Decimal with an optional sign, or hexadecimal after '$' or "0x"; leading blanks allowed,
// nothing else. Raises EConvertError "'S' is not a valid integer value".
Integer StrToInt(const String& S);
Integer StrToIntDef(const String& S, Integer Default);
int64_t StrToInt64(const String& S);
int64_t StrToInt64Def(const String& S, int64_t Default);

namespace SysUtilsDetail {
String HexDigits(uint64_t Bits, int Digits);
}
// Upper-case hex, at least Digits wide. Negative values show their two's complement in
// the width of their type, with 32 bits the narrowest (IntToHex(-1, 2) == "FFFFFFFF").
template <std::integral T>
String IntToHex(T Value, int Digits)
{
    using Bits = std::conditional_t<(sizeof(T) <= 4), uint32_t, uint64_t>;
    return SysUtilsDetail::HexDigits(static_cast<Bits>(Value), Digits);
}

// File names: '/', '\\' and ':' all count as delimiters, so Windows-style names split too.
String ExtractFileName(const String& FileName);
String ExtractFilePath(const String& FileName);
String ExtractFileExt(const String& FileName);  // with its dot; empty when none
String ChangeFileExt(const String& FileName, const String& Extension);
String IncludeTrailingPathDelimiter(const String& S);
String ExcludeTrailingPathDelimiter(const String& S);

bool FileExists(const String& FileName);  // a regular file; a directory is not one
bool DirectoryExists(const String& Directory);
bool DeleteFile(const String& FileName);  // false when missing or not a regular file

// A * B / N in 64 bits, rounded to nearest with halves away from zero; -1 when N is 0 or
// the result does not fit an int.
int MulDiv(int A, int B, int N);
// Nearest integer, exact halves to the even neighbour. EConvertError when out of range.
int64_t RoundHalfEven(double Value);

// One generator for the process. It starts from a fixed seed, so runs repeat until
// Randomize is called.
void Randomize();
void RandSeed(uint32_t Seed);
int Random(int N);  // 0 .. N-1; 0 when N <= 0
double Random();    // [0, 1)

}  // namespace qel
