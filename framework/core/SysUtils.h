#pragma once
// Run-time library routines: byte-string helpers, integer conversions, file names,
// file-system queries, integer arithmetic and the process-wide pseudo-random generator.
// Text routines work on bytes and only fold ASCII letters, so UTF-8 passes through intact.
#include "framework/core/Export.h"
#include "framework/core/Exceptions.h"

#include <concepts>
#include <cstdint>
#include <type_traits>

namespace qel {

// Whitespace here means every byte <= ' ' (blanks and control characters).
QEL_FRAMEWORK_EXPORT String Trim(const String& S);
QEL_FRAMEWORK_EXPORT String TrimLeft(const String& S);
QEL_FRAMEWORK_EXPORT String TrimRight(const String& S);
// S without its CR and LF characters: a value that must stay on one protocol or header line.
QEL_FRAMEWORK_EXPORT String RemoveLineBreaks(String S);

QEL_FRAMEWORK_EXPORT String UpperCase(const String& S);
QEL_FRAMEWORK_EXPORT String LowerCase(const String& S);
QEL_FRAMEWORK_EXPORT bool SameText(const String& S1, const String& S2);
// < 0, 0 or > 0 like strcmp, after folding ASCII letters to upper case.
QEL_FRAMEWORK_EXPORT int CompareText(const String& S1, const String& S2);

QEL_FRAMEWORK_EXPORT String IntToStr(int64_t Value);
// Decimal with an optional sign, or hexadecimal after '$' or "0x"; leading blanks allowed,
// nothing else. Raises EConvertError "'S' is not a valid integer value".
QEL_FRAMEWORK_EXPORT Integer StrToInt(const String& S);
QEL_FRAMEWORK_EXPORT Integer StrToIntDef(const String& S, Integer Default);
QEL_FRAMEWORK_EXPORT int64_t StrToInt64(const String& S);
QEL_FRAMEWORK_EXPORT int64_t StrToInt64Def(const String& S, int64_t Default);

namespace SysUtilsDetail {
QEL_FRAMEWORK_EXPORT String HexDigits(uint64_t Bits, int Digits);
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
QEL_FRAMEWORK_EXPORT String ExtractFileName(const String& FileName);
QEL_FRAMEWORK_EXPORT String ExtractFilePath(const String& FileName);
QEL_FRAMEWORK_EXPORT String ExtractFileExt(const String& FileName);  // with its dot; empty when none
QEL_FRAMEWORK_EXPORT String ChangeFileExt(const String& FileName, const String& Extension);
QEL_FRAMEWORK_EXPORT String IncludeTrailingPathDelimiter(const String& S);
QEL_FRAMEWORK_EXPORT String ExcludeTrailingPathDelimiter(const String& S);

QEL_FRAMEWORK_EXPORT bool FileExists(const String& FileName);  // a regular file; a directory is not one
QEL_FRAMEWORK_EXPORT bool DirectoryExists(const String& Directory);
QEL_FRAMEWORK_EXPORT bool DeleteFile(const String& FileName);  // false when missing or not a regular file

// A * B / N in 64 bits, rounded to nearest with halves away from zero; -1 when N is 0 or
// the result does not fit an int.
QEL_FRAMEWORK_EXPORT int MulDiv(int A, int B, int N);
// Nearest integer, exact halves to the even neighbour. EConvertError when out of range.
QEL_FRAMEWORK_EXPORT int64_t RoundHalfEven(double Value);

// One generator for the process. It starts from a fixed seed, so runs repeat until
// Randomize is called.
QEL_FRAMEWORK_EXPORT void Randomize();
QEL_FRAMEWORK_EXPORT void RandSeed(uint32_t Seed);
QEL_FRAMEWORK_EXPORT int Random(int N);  // 0 .. N-1; 0 when N <= 0
QEL_FRAMEWORK_EXPORT double Random();    // [0, 1)

}  // namespace qel
