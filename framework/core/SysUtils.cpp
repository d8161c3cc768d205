#include "framework/core/SysUtils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <mutex>
#include <optional>
#include <random>

namespace qel {

namespace {

// Compared as unsigned so that UTF-8 lead and continuation bytes are never "blank".
bool IsBlank(char C) { return static_cast<unsigned char>(C) <= ' '; }

char AsciiUpper(char C) { return (C >= 'a' && C <= 'z') ? static_cast<char>(C - 'a' + 'A') : C; }
char AsciiLower(char C) { return (C >= 'A' && C <= 'Z') ? static_cast<char>(C - 'A' + 'a') : C; }

bool IsPathDelimiter(char C) { return C == '/' || C == '\\' || C == ':'; }

size_t NameStart(const String& FileName)
{
    const auto It = std::find_if(FileName.rbegin(), FileName.rend(), IsPathDelimiter);
    return static_cast<size_t>(FileName.rend() - It);
}

// Position of the extension's dot, or npos when the name part has none.
size_t ExtensionDot(const String& FileName)
{
    const size_t Dot = FileName.rfind('.');
    return (Dot != String::npos && Dot >= NameStart(FileName)) ? Dot : String::npos;
}

// Parses into the given width. Hexadecimal may use the whole unsigned range and wraps,
// so that IntToHex output of a negative value reads back as that value.
std::optional<int64_t> ParseInteger(const String& S, int Bits)
{
    const char* P = S.data();
    const char* End = P + S.size();
    while (P != End && *P == ' ') ++P;
    const bool Negative = P != End && *P == '-';
    if (P != End && (*P == '-' || *P == '+')) ++P;
    int Base = 10;
    if (P != End && *P == '$') {
        Base = 16;
        ++P;
    } else if (End - P > 2 && P[0] == '0' && (P[1] == 'x' || P[1] == 'X')) {
        Base = 16;
        P += 2;
    }
    uint64_t Magnitude = 0;
    const auto [Stop, Error] = std::from_chars(P, End, Magnitude, Base);
    if (P == End || Error != std::errc() || Stop != End) return std::nullopt;

    const uint64_t Mask = Bits == 64 ? ~uint64_t{0} : (uint64_t{1} << Bits) - 1;
    const uint64_t SignBit = uint64_t{1} << (Bits - 1);
    uint64_t Result = Magnitude;
    if (Base == 16) {
        if (Magnitude > Mask) return std::nullopt;
    } else if (Magnitude > (Negative ? SignBit : SignBit - 1)) {
        return std::nullopt;
    }
    if (Negative) Result = (0 - Result) & Mask;
    // Sign-extend from the requested width.
    if (Bits < 64 && (Result & SignBit)) Result |= ~Mask;
    return static_cast<int64_t>(Result);
}

[[noreturn]] void RaiseNotInteger(const String& S)
{
    throw EConvertError('\'' + S + "' is not a valid integer value");
}

struct TRandomState {
    std::mutex Lock;
    std::mt19937 Engine;  // default-constructed: the fixed standard seed
};

TRandomState& RandomState()
{
    static TRandomState State;
    return State;
}

} // namespace

String Trim(const String& S) { return TrimLeft(TrimRight(S)); }

String TrimLeft(const String& S)
{
    return String(std::find_if_not(S.begin(), S.end(), IsBlank), S.end());
}

String TrimRight(const String& S)
{
    return String(S.begin(), std::find_if_not(S.rbegin(), S.rend(), IsBlank).base());
}

String UpperCase(const String& S)
{
    String Result(S);
    std::transform(Result.begin(), Result.end(), Result.begin(), AsciiUpper);
    return Result;
}

String LowerCase(const String& S)
{
    String Result(S);
    std::transform(Result.begin(), Result.end(), Result.begin(), AsciiLower);
    return Result;
}

bool SameText(const String& S1, const String& S2) { return CompareText(S1, S2) == 0; }

int CompareText(const String& S1, const String& S2)
{
    const size_t Common = std::min(S1.size(), S2.size());
    for (size_t I = 0; I < Common; ++I) {
        const int C1 = static_cast<unsigned char>(AsciiUpper(S1[I]));
        const int C2 = static_cast<unsigned char>(AsciiUpper(S2[I]));
        if (C1 != C2) return C1 - C2;
    }
    return S1.size() < S2.size() ? -1 : (S1.size() > S2.size() ? 1 : 0);
}

String IntToStr(int64_t Value) { return std::to_string(Value); }

Integer StrToInt(const String& S)
{
    const auto Value = ParseInteger(S, 32);
    if (!Value) RaiseNotInteger(S);
    return static_cast<Integer>(*Value);
}

Integer StrToIntDef(const String& S, Integer Default)
{
    return static_cast<Integer>(ParseInteger(S, 32).value_or(Default));
}

int64_t StrToInt64(const String& S)
{
    const auto Value = ParseInteger(S, 64);
    if (!Value) RaiseNotInteger(S);
    return *Value;
}

int64_t StrToInt64Def(const String& S, int64_t Default)
{
    return ParseInteger(S, 64).value_or(Default);
}

String SysUtilsDetail::HexDigits(uint64_t Bits, int Digits)
{
    char Buffer[16];
    const auto Stop = std::to_chars(std::begin(Buffer), std::end(Buffer), Bits, 16).ptr;
    String Result = UpperCase(String(Buffer, Stop));
    if (Digits > static_cast<int>(Result.size())) Result.insert(0, Digits - Result.size(), '0');
    return Result;
}

String ExtractFileName(const String& FileName) { return FileName.substr(NameStart(FileName)); }

String ExtractFilePath(const String& FileName) { return FileName.substr(0, NameStart(FileName)); }

String ExtractFileExt(const String& FileName)
{
    const size_t Dot = ExtensionDot(FileName);
    return Dot == String::npos ? String() : FileName.substr(Dot);
}

String ChangeFileExt(const String& FileName, const String& Extension)
{
    return FileName.substr(0, ExtensionDot(FileName)) + Extension;
}

String IncludeTrailingPathDelimiter(const String& S)
{
    return (!S.empty() && S.back() == '/') ? S : S + '/';
}

String ExcludeTrailingPathDelimiter(const String& S)
{
    return (!S.empty() && S.back() == '/') ? S.substr(0, S.size() - 1) : S;
}

bool FileExists(const String& FileName)
{
    std::error_code Error;
    return std::filesystem::is_regular_file(FileName, Error);
}

bool DirectoryExists(const String& Directory)
{
    std::error_code Error;
    return std::filesystem::is_directory(Directory, Error);
}

bool DeleteFile(const String& FileName)
{
    std::error_code Error;
    return FileExists(FileName) && std::filesystem::remove(FileName, Error);
}

int MulDiv(int A, int B, int N)
{
    if (N == 0) return -1;
    const int64_t Product = int64_t{A} * B;
    int64_t Quotient = Product / N;
    const int64_t Remainder = Product % N;
    if (2 * std::abs(Remainder) >= std::abs(int64_t{N})) Quotient += ((Product < 0) == (N < 0)) ? 1 : -1;
    if (Quotient < std::numeric_limits<int>::min() || Quotient > std::numeric_limits<int>::max()) return -1;
    return static_cast<int>(Quotient);
}

int64_t RoundHalfEven(double Value)
{
    // 2^63 is exactly representable; anything at or beyond it (or NaN) has no int64.
    constexpr double Limit = 9223372036854775808.0;
    if (!(Value > -Limit && Value < Limit)) throw EConvertError("Invalid floating point operation");
    const double Floor = std::floor(Value);
    const double Fraction = Value - Floor;  // exact for every double
    double Result = Floor;
    if (Fraction > 0.5 || (Fraction == 0.5 && std::fmod(Floor, 2.0) != 0.0)) Result += 1.0;
    if (Result >= Limit) throw EConvertError("Invalid floating point operation");
    return static_cast<int64_t>(Result);
}

void Randomize()
{
    std::random_device Device;
    RandSeed(Device());
}

void RandSeed(uint32_t Seed)
{
    auto& State = RandomState();
    const std::lock_guard Guard(State.Lock);
    State.Engine.seed(Seed);
}

int Random(int N)
{
    if (N <= 0) return 0;
    auto& State = RandomState();
    const std::lock_guard Guard(State.Lock);
    return std::uniform_int_distribution<int>(0, N - 1)(State.Engine);
}

double Random()
{
    auto& State = RandomState();
    const std::lock_guard Guard(State.Lock);
    // 53 random bits: uniform_real_distribution may round up to exactly 1.0.
    const uint64_t High = State.Engine() >> 5;
    const uint64_t Low = State.Engine() >> 6;
    return static_cast<double>((High << 26) | Low) / 9007199254740992.0;
}

String RemoveLineBreaks(String S)
{
    std::erase_if(S, [](char C) { return C == '\r' || C == '\n'; });
    return S;
}

}  // namespace qel
