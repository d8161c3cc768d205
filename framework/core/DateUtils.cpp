#include "framework/core/DateUtils.h"

#include "framework/core/SysUtils.h"

#include <QLocale>
#include <atomic>
#include <chrono>
#include <cmath>

namespace qel {

namespace {

using namespace std::chrono;

constexpr int64_t MSecsPerDay = 86400000;
constexpr sys_days Epoch = sys_days{year{1899} / December / 30};
constexpr int64_t MinDay = (sys_days{year{1} / January / 1} - Epoch).count();
constexpr int64_t MaxDay = (sys_days{year{9999} / December / 31} - Epoch).count();

const char* const ShortDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const LongDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday",
                                    "Thursday", "Friday", "Saturday"};
const char* const ShortMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const LongMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                      "July",    "August",   "September", "October", "November", "December"};

struct TDayTime {
    int64_t Day;   // calendar days after 1899-12-30
    int64_t MSec;  // 0 .. MSecsPerDay-1
};

// The single place that rounds, so date and time parts never disagree at midnight.
TDayTime Split(TDateTime DateTime)
{
    if (!(DateTime > MinDay - 1 && DateTime < MaxDay + 1)) throw EConvertError("Invalid date/time value");
    double Whole = 0;
    const double Fraction = std::modf(DateTime, &Whole);
    TDayTime Result{static_cast<int64_t>(Whole), std::llround(std::fabs(Fraction) * MSecsPerDay)};
    if (Result.MSec >= MSecsPerDay) {
        Result.MSec -= MSecsPerDay;
        ++Result.Day;
    }
    if (Result.Day > MaxDay) throw EConvertError("Invalid date/time value");
    return Result;
}

// Before the epoch the fraction counts forward from midnight, so it is subtracted.
TDateTime Combine(TDateTime DatePart, TDateTime TimePart)
{
    return DatePart < 0 ? DatePart - TimePart : DatePart + TimePart;
}

struct TFields {
    Word Year, Month, Day, Hour, Min, Sec, MSec;
    int WeekDay;  // 1 = Sunday
};

struct TFormatState {
    TFormatState(const String& AFormat, const TFields& AFields) : Format(AFormat), F(AFields) {}
    const String& Format;
    TFields F;
    size_t Pos = 0;
    String Out;
    char LastToken = ' ';
    bool TwelveHour = false;
};

char Upper(char C) { return (C >= 'a' && C <= 'z') ? static_cast<char>(C - 'a' + 'A') : C; }

bool StartsWithText(const String& S, size_t Pos, const String& Token)
{
    return SameText(S.substr(Pos, Token.size()), Token);
}

// Length of the run of one letter (either case) at Pos; moves past it.
size_t TakeRun(TFormatState& S)
{
    const char Letter = Upper(S.Format[S.Pos]);
    const size_t Start = S.Pos;
    while (S.Pos < S.Format.size() && Upper(S.Format[S.Pos]) == Letter) ++S.Pos;
    return S.Pos - Start;
}

void AppendNumber(String& Out, int Value, size_t Digits)
{
    const String Text = IntToStr(Value);
    if (Text.size() < Digits) Out.append(Digits - Text.size(), '0');
    Out += Text;
}

void AppendDate(TFormatState& S, char Token)
{
    const size_t Count = TakeRun(S);
    if (Token == 'Y') {
        AppendNumber(S.Out, Count <= 2 ? S.F.Year % 100 : S.F.Year, Count <= 2 ? 2 : 4);
    } else if (Count <= 2) {
        AppendNumber(S.Out, Token == 'M' ? S.F.Month : S.F.Day, Count);
    } else if (Token == 'M') {
        S.Out += (Count == 3 ? ShortMonthNames : LongMonthNames)[S.F.Month - 1];
    } else {
        S.Out += (Count == 3 ? ShortDayNames : LongDayNames)[S.F.WeekDay - 1];
    }
}

// An h shows the 12-hour clock when an am/pm or a/p follows before the next h.
bool TwelveHourAhead(const String& Format, size_t From)
{
    char Quote = 0;
    for (size_t I = From; I < Format.size(); ++I) {
        const char C = Format[I];
        if (Quote) {
            if (C == Quote) Quote = 0;
        } else if (C == '\'' || C == '"') {
            Quote = C;
        } else if (C == 'h' || C == 'H') {
            return false;
        } else if (C == 'a' || C == 'A') {
            return StartsWithText(Format, I, "am/pm") || StartsWithText(Format, I, "a/p");
        }
    }
    return false;
}

void AppendTime(TFormatState& S, char Token)
{
    const size_t Count = TakeRun(S);
    switch (Token) {
    case 'H': {
        const bool Twelve = S.TwelveHour || TwelveHourAhead(S.Format, S.Pos);
        const int Hour = Twelve ? (S.F.Hour % 12 == 0 ? 12 : S.F.Hour % 12) : S.F.Hour;
        AppendNumber(S.Out, Hour, std::min<size_t>(Count, 2));
        break;
    }
    case 'N': AppendNumber(S.Out, S.F.Min, std::min<size_t>(Count, 2)); break;
    case 'S': AppendNumber(S.Out, S.F.Sec, std::min<size_t>(Count, 2)); break;
    default: AppendNumber(S.Out, S.F.MSec, std::min<size_t>(Count, 3)); break;
    }
}

// The marker keeps the letter case the format wrote it in.
void AppendAmPm(TFormatState& S)
{
    const bool Pm = S.F.Hour >= 12;
    if (StartsWithText(S.Format, S.Pos, "am/pm")) {
        S.Out += S.Format.substr(S.Pos + (Pm ? 3 : 0), 2);
        S.Pos += 5;
    } else if (StartsWithText(S.Format, S.Pos, "a/p")) {
        S.Out += S.Format[S.Pos + (Pm ? 2 : 0)];
        S.Pos += 3;
    } else {
        S.Out += S.Format[S.Pos++];
        return;
    }
    S.TwelveHour = true;
}

void AppendQuoted(TFormatState& S)
{
    const char Quote = S.Format[S.Pos++];
    const size_t End = std::min(S.Format.find(Quote, S.Pos), S.Format.size());
    S.Out += S.Format.substr(S.Pos, End - S.Pos);
    S.Pos = std::min(End + 1, S.Format.size());
}

void AppendToken(TFormatState& S)
{
    const char Starter = S.Format[S.Pos];
    char Token = Upper(Starter);
    if (Token >= 'A' && Token <= 'Z') {
        if (Token == 'M' && S.LastToken == 'H') Token = 'N';
        S.LastToken = Token;
    }
    switch (Token) {
    case 'Y': case 'M': case 'D': AppendDate(S, Token); break;
    case 'H': case 'N': case 'S': case 'Z': AppendTime(S, Token); break;
    case 'A': AppendAmPm(S); break;
    case '/': S.Out += DateSeparator(); ++S.Pos; break;
    case ':': S.Out += TimeSeparator(); ++S.Pos; break;
    case '"': case '\'': AppendQuoted(S); break;
    default: S.Out += Starter; ++S.Pos; break;
    }
}

// The first printable ASCII mark between the field that starts with one of FieldLetters
// and the next field; quoted text and blanks are not separators.
char SeparatorAfter(const QString& Format, const QString& FieldLetters, char Fallback)
{
    qsizetype I = 0;
    while (I < Format.size() && !FieldLetters.contains(Format[I])) ++I;
    while (I < Format.size() && Format[I].isLetter()) ++I;
    for (QChar Quote; I < Format.size(); ++I) {
        const QChar C = Format[I];
        if (!Quote.isNull()) {
            if (C == Quote) Quote = QChar();
        } else if (C == u'\'' || C == u'"') {
            Quote = C;
        } else if (C.isLetter()) {
            break;
        } else if (!C.isSpace()) {
            return C.unicode() > ' ' && C.unicode() < 0x7F ? static_cast<char>(C.unicode()) : Fallback;
        }
    }
    return Fallback;
}

} // namespace

bool IsLeapYear(Word Year) { return year{Year}.is_leap(); }

Word DaysInMonth(Word Year, Word Month)
{
    const year_month_day_last Last{year{Year} / month{Month} / last};
    return Last.ok() ? static_cast<Word>(static_cast<unsigned>(Last.day())) : 0;
}

TDateTime EncodeDate(Word Year, Word Month, Word Day)
{
    const year_month_day Date{year{Year}, month{Month}, day{Day}};
    if (Year < 1 || Year > 9999 || !Date.ok()) throw EConvertError("Invalid argument to date encode");
    return static_cast<TDateTime>((sys_days{Date} - Epoch).count());
}

TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec)
{
    if (Hour > 23 || Min > 59 || Sec > 59 || MSec > 999) throw EConvertError("Invalid argument to time encode");
    const int64_t Total = ((Hour * 60 + Min) * 60 + Sec) * int64_t{1000} + MSec;
    return static_cast<TDateTime>(Total) / MSecsPerDay;
}

void DecodeDate(TDateTime DateTime, Word& Year, Word& Month, Word& Day)
{
    const year_month_day Date{Epoch + days{Split(DateTime).Day}};
    Year = static_cast<Word>(static_cast<int>(Date.year()));
    Month = static_cast<Word>(static_cast<unsigned>(Date.month()));
    Day = static_cast<Word>(static_cast<unsigned>(Date.day()));
}

void DecodeTime(TDateTime DateTime, Word& Hour, Word& Min, Word& Sec, Word& MSec)
{
    const int64_t Total = Split(DateTime).MSec;
    Hour = static_cast<Word>(Total / 3600000);
    Min = static_cast<Word>(Total / 60000 % 60);
    Sec = static_cast<Word>(Total / 1000 % 60);
    MSec = static_cast<Word>(Total % 1000);
}

int DayOfWeek(TDateTime DateTime)
{
    return static_cast<int>(weekday{Epoch + days{Split(DateTime).Day}}.c_encoding()) + 1;
}

namespace {
std::atomic<bool> gClockPinned{false};
std::atomic<TDateTime> gClockPin{0.0};
}  // namespace

void SetClockOverride(TDateTime Pinned)
{
    gClockPin = Pinned;
    gClockPinned = true;
}

void ClearClockOverride() { gClockPinned = false; }

bool ClockOverridden() { return gClockPinned; }

std::optional<TDateTime> TryISOStrToDateTime(const String& Text)
{
    const QDateTime t = QDateTime::fromString(QString::fromStdString(Text), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!t.isValid()) return std::nullopt;
    return EncodeDate(Word(t.date().year()), Word(t.date().month()), Word(t.date().day())) +
           EncodeTime(Word(t.time().hour()), Word(t.time().minute()), Word(t.time().second()), 0);
}

TDateTime Now()
{
    if (gClockPinned) return gClockPin;
    return QDateTimeToDateTime(QDateTime::currentDateTime());
}

TDateTime Date() { return std::floor(Now()); }

TDateTime Time()
{
    const TDateTime Moment = Now();
    return Moment - std::floor(Moment);
}

String FormatDateTime(const String& Format, TDateTime DateTime)
{
    TFields F{};
    DecodeDate(DateTime, F.Year, F.Month, F.Day);
    DecodeTime(DateTime, F.Hour, F.Min, F.Sec, F.MSec);
    F.WeekDay = DayOfWeek(DateTime);
    TFormatState S(Format, F);
    while (S.Pos < Format.size()) AppendToken(S);
    return S.Out;
}

char TimeSeparator()
{
    return SeparatorAfter(QLocale::system().timeFormat(QLocale::ShortFormat), QStringLiteral("hH"), ':');
}

char DateSeparator()
{
    return SeparatorAfter(QLocale::system().dateFormat(QLocale::ShortFormat), QStringLiteral("dMy"), '/');
}

int TimeZoneBias() { return -QDateTime::currentDateTime().offsetFromUtc() / 60; }

QDateTime DateTimeToQDateTime(TDateTime DateTime)
{
    Word Y, M, D, H, N, S, Ms;
    DecodeDate(DateTime, Y, M, D);
    DecodeTime(DateTime, H, N, S, Ms);
    return QDateTime(QDate(Y, M, D), QTime(H, N, S, Ms), Qt::LocalTime);
}

TDateTime QDateTimeToDateTime(const QDateTime& Value)
{
    if (!Value.isValid()) throw EConvertError("Invalid date/time value");
    const QDateTime Local = Value.toLocalTime();
    const QDate D = Local.date();
    const QTime T = Local.time();
    return Combine(EncodeDate(D.year(), D.month(), D.day()), EncodeTime(T.hour(), T.minute(), T.second(), T.msec()));
}

}  // namespace qel
