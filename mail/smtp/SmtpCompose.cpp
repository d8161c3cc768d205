// The plain routines of outgoing composition and the composed text.
#include "mail/smtp/SmtpCompose.h"

#include "framework/core/DateUtils.h"
#include "framework/core/SysUtils.h"
#include "mail/smtp/SmtpProtocol.h"

#include <algorithm>
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

std::vector<String> EnvelopeRecipients(const String& SendTo, const String& CC, const String& BCC)
{
    std::vector<String> all;
    for (const String* list : {&SendTo, &CC, &BCC}) {
        if (Trim(*list).empty()) continue;
        for (String& recipient : SmtpProtocol::SplitRecipients(*list))
            if (std::find(all.begin(), all.end(), recipient) == all.end()) all.push_back(std::move(recipient));
    }
    return all.empty() ? SmtpProtocol::SplitRecipients(SendTo) : all;
}

TStringList& TQELComposedText::AddOwn()
{
    auto piece = std::make_shared<TStringList>();
    FPieces.push_back(piece);
    return *piece;
}

void TQELComposedText::AddShared(std::shared_ptr<const TStringList> Lines)
{
    if (Lines) FPieces.push_back(std::move(Lines));
}

int TQELComposedText::Count() const
{
    int count = 0;
    for (const auto& piece : FPieces) count += piece->Count();
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
