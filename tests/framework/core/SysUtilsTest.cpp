#include "framework/core/DateUtils.h"
#include "framework/core/SysUtils.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <cmath>
#include <ctime>
#include <set>
#include <tuple>
#include <vector>

using namespace qel;

TEST(SysUtils, TrimAndCaseFoldingTouchOnlyAscii)
{
    EXPECT_EQ(Trim("\t\r\n  a b \x01\x1f "), "a b");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a "), "  a");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim(" \xC3\xA9\xA0"), "\xC3\xA9\xA0");  // UTF-8 bytes are not blanks
    EXPECT_EQ(UpperCase("abz\xC3\xA9-AZ"), "ABZ\xC3\xA9-AZ");
    EXPECT_EQ(LowerCase("ABZ\xC3\x89"), "abz\xC3\x89");
    EXPECT_TRUE(SameText("Content Type", "content TYPE"));
    EXPECT_FALSE(SameText("abc", "abcd"));
    EXPECT_FALSE(SameText("\xC3\xA9", "\xC3\x89"));
    EXPECT_LT(CompareText("apple", "BANANA"), 0);
    EXPECT_GT(CompareText("b", "A"), 0);
    EXPECT_LT(CompareText("ab", "ABC"), 0);
    EXPECT_EQ(CompareText("MiXeD", "mixed"), 0);
    EXPECT_GT(CompareText("\xC3", "z"), 0);  // high bytes sort after ASCII
}

TEST(SysUtils, IntegerConversions)
{
    EXPECT_EQ(StrToInt("42"), 42);
    EXPECT_EQ(StrToInt("  -17"), -17);
    EXPECT_EQ(StrToInt("+8"), 8);
    EXPECT_EQ(StrToInt("$1F"), 31);
    EXPECT_EQ(StrToInt("-$10"), -16);
    EXPECT_EQ(StrToInt("0x1f"), 31);
    EXPECT_EQ(StrToInt("2147483647"), INT32_MAX);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
    for (const String Bad : {"", " ", "12 ", "1 2", "- 1", "$", "0x", "1e3", "2147483648", "-2147483649",
                             "$100000000", "abc", "++1"}) {
        try {
            StrToInt(Bad);
            ADD_FAILURE() << "accepted '" << Bad << "'";
        } catch (const EConvertError& E) {
            EXPECT_EQ(E.Message(), "'" + Bad + "' is not a valid integer value");
        }
    }
    EXPECT_EQ(StrToIntDef("x", 7), 7);
    EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(StrToInt64Def("9223372036854775808", 3), 3);

    EXPECT_EQ(IntToStr(-1234567890123LL), "-1234567890123");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(0xABCDEF, 2), "ABCDEF");
    EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
    EXPECT_EQ(IntToHex(int64_t{-1}, 2), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(IntToHex(Word{10}, 0), "A");
    EXPECT_EQ(StrToInt("$" + IntToHex(-5, 8)), -5);
}

TEST(SysUtils, FileNameParts)
{
    EXPECT_EQ(ExtractFileName("/home/u/report.txt"), "report.txt");
    EXPECT_EQ(ExtractFileName("C:\\mail\\report.txt"), "report.txt");
    EXPECT_EQ(ExtractFileName("C:report.txt"), "report.txt");
    EXPECT_EQ(ExtractFileName("dir/"), "");
    EXPECT_EQ(ExtractFilePath("C:\\mail\\report.txt"), "C:\\mail\\");
    EXPECT_EQ(ExtractFilePath("report.txt"), "");
    EXPECT_EQ(ExtractFileExt("a/b.tar.gz"), ".gz");
    EXPECT_EQ(ExtractFileExt("a.d/readme"), "");
    EXPECT_EQ(ExtractFileExt("trailing."), ".");
    EXPECT_EQ(ChangeFileExt("a.d/readme", ".txt"), "a.d/readme.txt");
    EXPECT_EQ(ChangeFileExt("x/file.rtf", ".bak"), "x/file.bak");
    EXPECT_EQ(ChangeFileExt("file.rtf", ""), "file");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/tmp"), "/tmp/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/tmp/"), "/tmp/");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/tmp/"), "/tmp");
}

TEST(SysUtils, FileSystemQueries)
{
    QTemporaryDir Dir;
    ASSERT_TRUE(Dir.isValid());
    const String Folder = Dir.path().toStdString();
    const String File = Folder + "/a.txt";
    QFile(QString::fromStdString(File)).open(QIODevice::WriteOnly);

    EXPECT_TRUE(FileExists(File));
    EXPECT_FALSE(DirectoryExists(File));
    EXPECT_FALSE(FileExists(Folder));
    EXPECT_TRUE(DirectoryExists(Folder));
    EXPECT_FALSE(DeleteFile(Folder));
    EXPECT_TRUE(DirectoryExists(Folder));
    EXPECT_TRUE(DeleteFile(File));
    EXPECT_FALSE(FileExists(File));
    EXPECT_FALSE(DeleteFile(File));
    EXPECT_FALSE(FileExists(""));
}

TEST(SysUtils, MulDivAndRounding)
{
    EXPECT_EQ(MulDiv(10, 10, 3), 33);
    EXPECT_EQ(MulDiv(1, 5, 3), 2);
    EXPECT_EQ(MulDiv(1, 5, 2), 3);  // halves away from zero, whatever the signs
    EXPECT_EQ(MulDiv(-1, 5, 2), -3);
    EXPECT_EQ(MulDiv(1, -5, -2), 3);
    EXPECT_EQ(MulDiv(1, 7, -2), -4);
    EXPECT_EQ(MulDiv(1 << 30, 1 << 30, 1 << 30), 1 << 30);  // the product needs 64 bits
    EXPECT_EQ(MulDiv(5, 5, 0), -1);
    EXPECT_EQ(MulDiv(INT_MAX, 2, 1), -1);

    const std::vector<std::pair<double, int64_t>> Cases = {
        {0.5, 0},       {1.5, 2},  {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2},
        {2.5000001, 3}, {-2.6, -3}, {1e15 + 0.5, 1000000000000000}};
    for (const auto& [Value, Expected] : Cases) EXPECT_EQ(RoundHalfEven(Value), Expected) << Value;
    EXPECT_THROW(RoundHalfEven(std::nan("")), EConvertError);
    EXPECT_THROW(RoundHalfEven(1e19), EConvertError);
}

TEST(SysUtils, RandomIsReproducibleAndInRange)
{
    const auto Draw = [] {
        std::vector<int> Values;
        for (int I = 0; I < 50; ++I) Values.push_back(Random(6));
        return Values;
    };
    RandSeed(1234);
    const std::vector<int> First = Draw();
    RandSeed(1234);
    EXPECT_EQ(Draw(), First);

    std::set<int> Seen;
    for (int I = 0; I < 600; ++I) Seen.insert(Random(6));
    EXPECT_EQ(Seen, (std::set<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(Random(0), 0);
    EXPECT_EQ(Random(-3), 0);
    for (int I = 0; I < 100; ++I) {
        const double R = Random();
        ASSERT_TRUE(R >= 0.0 && R < 1.0) << R;
    }
    Randomize();
    EXPECT_NE(Draw(), First);
}

TEST(DateUtils, EncodeAndDecodeDates)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
    EXPECT_EQ(EncodeDate(2024, 2, 29), 45351.0);
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
    for (auto [Y, M, D] : std::vector<std::tuple<Word, Word, Word>>{
             {2023, 2, 29}, {1900, 2, 29}, {2024, 4, 31}, {2024, 13, 1},
             {2024, 0, 1}, {2024, 1, 0}, {0, 1, 1}, {10000, 1, 1}})
        EXPECT_THROW(EncodeDate(Y, M, D), EConvertError) << Y << '-' << M << '-' << D;

    Word Y, M, D;
    for (TDateTime Day = EncodeDate(1, 1, 1); Day <= EncodeDate(9999, 12, 31); Day += 97) {
        DecodeDate(Day < 0 ? Day - 0.75 : Day + 0.75, Y, M, D);  // 18:00 on that day
        ASSERT_EQ(EncodeDate(Y, M, D), Day);
    }
    // Before the epoch the fraction still counts forward from midnight.
    Word H, N, S, Ms;
    DecodeDate(-1.25, Y, M, D);
    DecodeTime(-1.25, H, N, S, Ms);
    EXPECT_EQ(std::vector<Word>({Y, M, D, H, N}), std::vector<Word>({1899, 12, 29, 6, 0}));
    EXPECT_THROW(DecodeDate(std::nan(""), Y, M, D), EConvertError);
    EXPECT_THROW(DecodeDate(1e9, Y, M, D), EConvertError);

    EXPECT_EQ(DayOfWeek(0.0), 7);  // 1899-12-30 was a Saturday
    EXPECT_EQ(DayOfWeek(-1.25), 6);
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 6, 9) + 0.99), 1);
}

TEST(DateUtils, TimeRoundsToTheNearestMillisecond)
{
    Word Y, M, D, H, N, S, Ms;
    const TDateTime Base = EncodeDate(2100, 1, 1);
    for (int Total = 0; Total < 86400000; Total += 997) {
        const Word Parts[] = {Word(Total / 3600000), Word(Total / 60000 % 60), Word(Total / 1000 % 60),
                              Word(Total % 1000)};
        DecodeTime(Base + EncodeTime(Parts[0], Parts[1], Parts[2], Parts[3]), H, N, S, Ms);
        ASSERT_EQ(std::vector<Word>({H, N, S, Ms}), std::vector<Word>(std::begin(Parts), std::end(Parts))) << Total;
    }
    // 0.4 ms before midnight is midnight of the next day, for both halves.
    const TDateTime AlmostMidnight = EncodeDate(2024, 1, 1) + (86400000 - 0.4) / 86400000;
    DecodeDate(AlmostMidnight, Y, M, D);
    DecodeTime(AlmostMidnight, H, N, S, Ms);
    EXPECT_EQ(std::vector<Word>({Y, M, D, H, N, S, Ms}), std::vector<Word>({2024, 1, 2, 0, 0, 0, 0}));
    EXPECT_EQ(DayOfWeek(AlmostMidnight), 3);

    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 0, 60, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
}

TEST(DateUtils, ISOTextOfAPinnedInstant)
{
    const auto t = TryISOStrToDateTime("2000-01-01 10:30:45");
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(*t, EncodeDate(2000, 1, 1) + EncodeTime(10, 30, 45, 0));
    for (const char* bad : {"", "2000-01-01", "2000-13-01 10:00:00", "2000-01-01 25:00:00", "yesterday"})
        EXPECT_FALSE(TryISOStrToDateTime(bad).has_value()) << bad;
}

TEST(DateUtils, FormatDateTimeTokens)
{
    const TDateTime Afternoon = EncodeDate(2026, 12, 6) + EncodeTime(14, 4, 5, 7);  // a Sunday
    const String T(1, TimeSeparator());
    const String D(1, DateSeparator());
    const QLocale Previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));  // names stay English
    const std::vector<std::pair<String, String>> Cases = {
        {"hhnn.ddmmyyyy", "1404.06122026"},
        {"d/m/yy", "6" + D + "12" + D + "26"},
        {"ddd, d mmm yyyy hh:nn:ss", "Sun, 6 Dec 2026 14" + T + "04" + T + "05"},
        {"dddd mmmm", "Sunday December"},
        {"YYYY-MM-DD", "2026-12-06"},
        {"h:mm", "14" + T + "04"},           // m after h is minutes
        {"hh:mm:ss mm", "14" + T + "04" + T + "05 12"},
        {"h:nn am/pm", "2" + T + "04 pm"},
        {"h:nn AM/PM", "2" + T + "04 PM"},
        {"h A/P", "2 P"},
        {"z zzz", "7 007"},
        {"'hh' \"nn\" [hh]", "hh nn [14]"},
        {"'open", "open"},
    };
    for (const auto& [Format, Expected] : Cases) EXPECT_EQ(FormatDateTime(Format, Afternoon), Expected) << Format;
    QLocale::setDefault(Previous);

    const TDateTime AfterMidnight = EncodeDate(2026, 1, 2) + EncodeTime(0, 30, 0, 0);
    EXPECT_EQ(FormatDateTime("hh nn a/p ddd mmm", AfterMidnight), "12 30 a Fri Jan");
    EXPECT_EQ(FormatDateTime("am/pm h", AfterMidnight), "am 12");
}

TEST(DateUtils, ClockZoneAndLocale)
{
    const QDateTime Before = QDateTime::currentDateTime();
    const TDateTime Moment = Now();
    const QDateTime After = QDateTime::currentDateTime();
    EXPECT_LE(Before, DateTimeToQDateTime(Moment));
    EXPECT_GE(After, DateTimeToQDateTime(Moment));
    EXPECT_EQ(Date(), std::floor(Date()));
    EXPECT_NEAR(Date(), std::floor(Moment), 1.0);
    const TDateTime TimeOfDay = Time();
    EXPECT_TRUE(TimeOfDay >= 0.0 && TimeOfDay < 1.0);

    const QDateTime Early(QDate(1850, 3, 4), QTime(6, 30, 15, 250));
    EXPECT_LT(QDateTimeToDateTime(Early), 0.0);
    EXPECT_EQ(DateTimeToQDateTime(QDateTimeToDateTime(Early)), Early);
    EXPECT_EQ(DayOfWeek(QDateTimeToDateTime(Early)), 2);

    const std::time_t Clock = std::time(nullptr);
    std::tm Local{};
    localtime_r(&Clock, &Local);
    EXPECT_EQ(TimeZoneBias(), -Local.tm_gmtoff / 60);

    for (const char Separator : {TimeSeparator(), DateSeparator()})
        EXPECT_TRUE(std::ispunct(static_cast<unsigned char>(Separator))) << Separator;
}
