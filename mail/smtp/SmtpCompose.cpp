// The plain routines of outgoing composition and the composed text.
#include "mail/smtp/SmtpCompose.h"

#include "framework/core/DateUtils.h"
#include "framework/core/SysUtils.h"

#include <cstdlib>

namespace qel {

namespace {

constexpr const char* DayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* MonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

String RandomLetters(int N)
{
    Randomize();
    String letters;
    for (int i = 0; i < N; ++i) letters += static_cast<char>('a' + Random(25));
    return letters;
}

String ZeroPad(int Value, uint8_t Width)
{
    // The zeros go after a minus sign, which takes one of the places.
    const bool negative = Value < 0;
    String digits = std::to_string(negative ? -static_cast<int64_t>(Value) : static_cast<int64_t>(Value));
    const size_t width = negative && Width > 0 ? Width - 1u : Width;
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return negative ? "-" + digits : digits;
}

String TimeZoneText(int Bias)
{
    if (Bias == 0) return "GMT";
    const int minutes = std::abs(Bias);
    String zone(1, Bias < 0 ? '+' : '-');
    return zone + ZeroPad(minutes / 60, 2) + ZeroPad(minutes % 60, 2);
}

String TimeZoneText() { return TimeZoneText(TimeZoneBias()); }

String SMTPDateText(TDateTime DateTime, int Bias)
{
    Word year, month, day, hour, minute, second, msec;
    DecodeDate(DateTime, year, month, day);
    DecodeTime(DateTime, hour, minute, second, msec);
    return String(DayNames[DayOfWeek(DateTime) - 1]) + ", " + std::to_string(day) + " " + MonthNames[month - 1] +
           " " + std::to_string(year) + " " + ZeroPad(hour, 2) + ":" + ZeroPad(minute, 2) + ":" +
           ZeroPad(second, 2) + " " + TimeZoneText(Bias);
}

TStringList& TQELComposedText::AddOwn()
{
    FOwn.push_back(std::make_unique<TStringList>());
    FPieces.push_back(FOwn.back().get());
    return *FOwn.back();
}

void TQELComposedText::AddShared(const TStringList* Lines)
{
    if (Lines) FPieces.push_back(Lines);
}

int TQELComposedText::Count() const
{
    int count = 0;
    for (const TStringList* piece : FPieces) count += piece->Count();
    return count;
}

std::unique_ptr<TStringList> TQELComposedText::Flatten() const
{
    auto lines = std::make_unique<TStringList>();
    std::vector<String> all;
    all.reserve(static_cast<size_t>(Count()));
    ForEachLine([&all](const String& Line) {
        all.push_back(Line);
        return true;
    });
    lines->AddMoved(std::move(all));
    return lines;
}

}  // namespace qel
