#pragma once
// The run-time library's clock and calendar. A TDateTime counts days since 1899-12-30;
// its fraction is the time of day. Before that date the value is negative and the
// fraction still counts forward from midnight (-1.25 is 1899-12-29 06:00).
#include "framework/core/Export.h"
#include "framework/core/Exceptions.h"

#include <QDateTime>

#include <optional>

namespace qel {

QEL_FRAMEWORK_EXPORT bool IsLeapYear(Word Year);
QEL_FRAMEWORK_EXPORT Word DaysInMonth(Word Year, Word Month);

// EConvertError for fields outside 1-1-1 .. 9999-12-31 or 00:00:00.000 .. 23:59:59.999.
QEL_FRAMEWORK_EXPORT TDateTime EncodeDate(Word Year, Word Month, Word Day);
QEL_FRAMEWORK_EXPORT TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec);

// Both round to the nearest millisecond first, so the two always agree about the day.
// EConvertError for a value that is not a date (NaN, infinite, beyond year 9999).
QEL_FRAMEWORK_EXPORT void DecodeDate(TDateTime DateTime, Word& Year, Word& Month, Word& Day);
QEL_FRAMEWORK_EXPORT void DecodeTime(TDateTime DateTime, Word& Hour, Word& Min, Word& Sec, Word& MSec);
QEL_FRAMEWORK_EXPORT int DayOfWeek(TDateTime DateTime);  // 1 = Sunday .. 7 = Saturday

QEL_FRAMEWORK_EXPORT TDateTime Now();   // local time, with milliseconds
QEL_FRAMEWORK_EXPORT TDateTime Date();  // today at 00:00
QEL_FRAMEWORK_EXPORT TDateTime Time();  // the time of day only

// The one clock behind Now, Date and Time. Pinning it makes every clock reading return that
// instant, so tests and renderers see a chosen moment; ClearClockOverride lets it run again.
QEL_FRAMEWORK_EXPORT void SetClockOverride(TDateTime Pinned);
QEL_FRAMEWORK_EXPORT void ClearClockOverride();
QEL_FRAMEWORK_EXPORT bool ClockOverridden();

// Tokens: d dd ddd dddd, m mm mmm mmmm, yy yyyy, h hh, n nn, s ss, z zzz, am/pm and a/p
// (12-hour clock for h), ':' and '/' (the locale's separators), "..." and '...' literal.
// An m right after an h token means minutes. Names are English whatever the locale.
QEL_FRAMEWORK_EXPORT String FormatDateTime(const String& Format, TDateTime DateTime);

// "YYYY-MM-DD HH:MM:SS", as tools take a pinned instant on their command line; nullopt otherwise.
QEL_FRAMEWORK_EXPORT std::optional<TDateTime> TryISOStrToDateTime(const String& Text);

QEL_FRAMEWORK_EXPORT char TimeSeparator();  // from the locale's short time format; ':' when it has none
QEL_FRAMEWORK_EXPORT char DateSeparator();  // from the locale's short date format; '/' when it has none

// Minutes west of UTC now, daylight saving included: UTC = local time + bias.
QEL_FRAMEWORK_EXPORT int TimeZoneBias();

// Local-time conversions at the Qt boundary.
QEL_FRAMEWORK_EXPORT QDateTime DateTimeToQDateTime(TDateTime DateTime);
QEL_FRAMEWORK_EXPORT TDateTime QDateTimeToDateTime(const QDateTime& Value);

}  // namespace qel
