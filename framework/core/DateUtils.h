#pragma once
// The run-time library's clock and calendar. A TDateTime counts days since 1899-12-30;
// its fraction is the time of day. Before that date the value is negative and the
// fraction still counts forward from midnight (-1.25 is 1899-12-29 06:00).
#include "framework/core/Exceptions.h"

#include <QDateTime>

namespace qel {

bool IsLeapYear(Word Year);
Word DaysInMonth(Word Year, Word Month);

// EConvertError for fields outside 1-1-1 .. 9999-12-31 or 00:00:00.000 .. 23:59:59.999.
TDateTime EncodeDate(Word Year, Word Month, Word Day);
TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec);

// Both round to the nearest millisecond first, so the two always agree about the day.
// EConvertError for a value that is not a date (NaN, infinite, beyond year 9999).
void DecodeDate(TDateTime DateTime, Word& Year, Word& Month, Word& Day);
void DecodeTime(TDateTime DateTime, Word& Hour, Word& Min, Word& Sec, Word& MSec);
int DayOfWeek(TDateTime DateTime);  // 1 = Sunday .. 7 = Saturday

TDateTime Now();   // local time, with milliseconds
TDateTime Date();  // today at 00:00
TDateTime Time();  // the time of day only

// Tokens: d dd ddd dddd, m mm mmm mmmm, yy yyyy, h hh, n nn, s ss, z zzz, am/pm and a/p
// (12-hour clock for h), ':' and '/' (the locale's separators), "..." and '...' literal.
// An m right after an h token means minutes. Names are English whatever the locale.
String FormatDateTime(const String& Format, TDateTime DateTime);

char TimeSeparator();  // from the locale's short time format; ':' when it has none
char DateSeparator();  // from the locale's short date format; '/' when it has none

// Minutes west of UTC now, daylight saving included: UTC = local time + bias.
int TimeZoneBias();

// Local-time conversions at the Qt boundary.
QDateTime DateTimeToQDateTime(TDateTime DateTime);
TDateTime QDateTimeToDateTime(const QDateTime& Value);

}  // namespace qel
