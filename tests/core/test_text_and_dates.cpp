#include <gtest/gtest.h>

#include <QDate>
#include <climits>
#include <cmath>
#include <limits>
#include <random>

#include "core/conversions.h"
#include "core/ole_date.h"
#include "core/text_format.h"

using namespace lt;

namespace {
QString q(const char* s) {
    return QString::fromUtf8(s);
}
}  // namespace

TEST(OleDate, CalendarPartsRollAndAgreeWithQDate) {
    EXPECT_EQ(oleFromParts(1899, 12, 30), 0.0);
    EXPECT_EQ(oleFromParts(1900, 1, 1), 2.0);
    EXPECT_EQ(oleFromParts(2000, 1, 1), 36526.0);

    struct Case {
        int y, m, d;
        const char* text;
    };
    const Case cases[] = {
        {2007, 2, 31, "03/03/2007"}, {2007, 13, 1, "01/01/2008"}, {2007, 1, 32, "01/02/2007"},
        {2007, 3, 0, "28/02/2007"},  {2008, 3, 0, "29/02/2008"},  {2007, 0, 15, "15/12/2006"},
        {2007, -1, 1, "01/11/2006"}, {2007, 25, 1, "01/01/2009"}, {2000, 2, 29, "29/02/2000"},
        {1900, 2, 29, "01/03/1900"}, {2026, 12, 5, "05/12/2026"}, {2024, 1, 366, "31/12/2024"}};
    for (const Case& c : cases)
        EXPECT_EQ(formatDate(oleFromParts(c.y, c.m, c.d)), q(c.text))
            << c.y << '-' << c.m << '-' << c.d;

    // Every day over several centuries: parts, QDate and weekday agree; the evening of
    // the day survives a trip through a date value, also before day zero.
    for (QDate d(1800, 1, 1); d < QDate(2200, 1, 1); d = d.addDays(1)) {
        const OleDate v = oleFromParts(d.year(), d.month(), d.day());
        ASSERT_EQ(v, oleFromDate(d)) << d.toString(Qt::ISODate).toStdString();
        ASSERT_EQ(oleToDate(oleFromDateTime(QDateTime(d, QTime(18, 0), Qt::UTC))), d);
        ASSERT_EQ(oleWeekday(v), d.dayOfWeek() % 7 + 1);  // 1 = Sunday
    }

    // Extreme arguments neither crash nor overflow.
    EXPECT_TRUE(std::isfinite(oleFromParts(INT_MAX, INT_MAX, INT_MAX)));
    EXPECT_TRUE(std::isfinite(oleFromParts(INT_MIN, INT_MIN, INT_MIN)));
}

TEST(OleDate, TimeOfDayRoundsToTheNearestSecond) {
    // Every second of the day, on dates where the fraction has few spare bits.
    for (const OleDate day : {0.0, oleFromParts(2026, 12, 5), oleFromParts(9999, 12, 31)}) {
        for (int s = 0; s < 86400; ++s) {
            const OleDate v = day + oleFromTime(s / 3600, s / 60 % 60, s % 60);
            ASSERT_EQ(oleToTime(v).msecsSinceStartOfDay(), s * 1000) << s;
            ASSERT_EQ(oleToDate(v), oleToDate(day));
        }
    }
    const OleDate tenOClock = oleFromParts(2026, 12, 5) + oleFromTime(10, 0, 0);
    EXPECT_EQ(formatTime(tenOClock - 0.4 / kSecondsPerDay), q("10:00:00"));

    // Just before midnight rounds into the next day, date and time together.
    const OleDate late = oleFromParts(2007, 2, 28) + 86399.7 / kSecondsPerDay;
    EXPECT_EQ(formatTime(late), q("00:00:00"));
    EXPECT_EQ(formatDate(late), q("01/03/2007"));
    EXPECT_EQ(oleToDateTime(late), QDateTime(QDate(2007, 3, 1), QTime(0, 0)));
    EXPECT_EQ(oleWeekday(late), 5);  // Thursday 1 March

    // Before day zero: whole days back, the time of day forward.
    EXPECT_EQ(formatDate(-1.25), q("29/12/1899"));
    EXPECT_EQ(formatTime(-1.25), q("06:00:00"));
    const QDateTime before(QDate(1899, 12, 29), QTime(6, 0));
    EXPECT_EQ(oleFromDateTime(before), -1.25);
    EXPECT_EQ(oleToDateTime(oleFromDateTime(before)), before);

    EXPECT_EQ(oleTimePart(-0.25), 0.25);
    EXPECT_EQ(oleToSeconds(oleFromSeconds(98103)), 98103);
    EXPECT_EQ(oleToSeconds(-0.5), -43200);

    for (const double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL, 1e300}) {
        EXPECT_FALSE(oleToDateTime(bad).isValid());
        EXPECT_TRUE(formatDate(bad).isEmpty());
        EXPECT_TRUE(formatTime(bad).isEmpty());
        oleWeekday(bad);
        oleToSeconds(bad);
    }
}

TEST(TextFormat, MoneyDurationsAndNumbers) {
    // clang-format off
    const std::pair<double, const char*> money[] = {
        {12.5, "012.50"}, {1234.567, "1234.57"}, {0, "000.00"}, {-5.5, "-005.50"},
        {0.125, "000.13"}, {2.675, "002.68"}, {1.005, "001.01"}, {999.995, "1000.00"},
        {-0.004, "000.00"}, {-0.005, "-000.01"}, {10.1, "010.10"}, {1e15, "1000000000000000.00"},
        {static_cast<double>(2.675f), "002.68"}, {static_cast<double>(12.1f * 1.21f), "014.64"}};
    // clang-format on
    for (const auto& [v, text] : money) EXPECT_EQ(formatMoney(v), q(text)) << v;
    EXPECT_EQ(formatMoney(1e308).size(), 312);
    EXPECT_TRUE(formatMoney(std::nan("")).isEmpty());

    // clang-format off
    const std::pair<long long, const char*> durations[] = {
        {0, "00:00:00"}, {59, "00:00:59"}, {98103, "27:15:03"}, {-98103, "27:15:03"},
        {360000, "100:00:00"}, {86399, "23:59:59"}, {LLONG_MIN, "2562047788015215:30:08"}};
    // clang-format on
    for (const auto& [s, text] : durations) EXPECT_EQ(formatDurationSeconds(s), q(text)) << s;
    EXPECT_EQ(formatDuration(-oleFromTime(27, 15, 3)), q("27:15:03"));
    for (int s = 0; s < 86400; s += 7) {
        const OleDate v = oleFromTime(0, 0, s) + 1e-9;
        ASSERT_EQ(formatDuration(v), formatTime(v)) << s;
    }

    const std::pair<int, const char*> twoDigits[] = {
        {7, "07"}, {123, "123"}, {-7, "-07"}, {INT_MIN, "-2147483648"}};
    for (const auto& [v, text] : twoDigits) EXPECT_EQ(formatTwoDigits(v), q(text)) << v;

    const std::pair<float, const char*> singles[] = {
        {1234.5f, "1234.5"}, {100.f, "100"},         {0.f, "0"},     {-0.f, "0"}, {0.1f, "0.1"},
        {-7200.f, "-7200"},  {9999999.f, "9999999"}, {1e7f, "1e+07"}};
    for (const auto& [v, text] : singles) EXPECT_EQ(formatSingle(v), q(text)) << v;
}

TEST(Conversions, LenientAndStrictNumbers) {
    const std::pair<double, double> halfEven[] = {{2.5, 2.0},   {3.5, 4.0},       {-2.5, -2.0},
                                                  {-3.5, -4.0}, {2.4999999, 2.0}, {1e300, 1e300}};
    for (const auto& [v, rounded] : halfEven) EXPECT_EQ(roundHalfEven(v), rounded) << v;

    // clang-format off
    const std::pair<const char*, double> leading[] = {
        {"1.60", 1.6}, {"1x", 1}, {".5", 0.5}, {"abc", 0}, {"", 0}, {"  7", 7},
        {"\t-3.25z", -3.25}, {"+4", 4}, {"1e3", 1000}, {"2e", 2}, {"2e-x", 2}, {"1.2.3", 1.2},
        {".", 0}, {"-", 0}, {"- 5", 0}, {"5 6", 5}, {"1,5", 1}, {"1e-999", 0},
        {"9e999", std::numeric_limits<double>::max()}};
    // clang-format on
    for (const auto& [text, v] : leading) EXPECT_EQ(leadingNumber(q(text)), v) << text;

    // clang-format off
    const std::pair<const char*, int> lenient[] = {
        {"12.5", 12}, {"13.5", 14}, {"1x", 1},
        {"", 0}, {"-2.5", -2}, {"0.5", 0},
        {"9999999999999999999999", INT_MAX}, {"-9999999999999999999999", INT_MIN},
        {"1e999", INT_MAX}};
    // clang-format on
    for (const auto& [text, v] : lenient) EXPECT_EQ(lenientInteger(q(text)), v) << text;

    // clang-format off
    const std::pair<const char*, std::optional<int>> strictInts[] = {
        {"12", 12}, {" 12 ", 12}, {"12.5", 12}, {"13.5", 14}, {"-1", -1},
        {"1e3", 1000}, {"12x", {}}, {"", {}}, {" ", {}}, {"1 2", {}},
        {"2147483647", INT_MAX}, {"2147483648", {}}, {"-2147483648", INT_MIN}, {"1e999", {}}};
    // clang-format on
    for (const auto& [text, v] : strictInts) EXPECT_EQ(strictInteger(q(text)), v) << text;

    const std::pair<const char*, std::optional<double>> strictReals[] = {
        {"12", 12},  {"-3.25", -3.25}, {"1e3", 1000}, {" 1.5E-1 ", 0.15}, {"5.", 5},    {"nan", {}},
        {"inf", {}}, {"", {}},         {"1,5", {}},   {"1e999", {}},      {"0x10", {}}, {"1e", {}}};
    for (const auto& [text, v] : strictReals) EXPECT_EQ(strictReal(q(text)), v) << text;

    for (const char* yes : {"0", " 12 ", "-1.5", "+.5", "1.", "1e3", "1E-3"})
        EXPECT_TRUE(isNumeric(q(yes))) << yes;
    for (const char* no : {"", " ", ".", "1.2.3", "12a", "-", "e3", "1e", "1e999", "١٢"})
        EXPECT_FALSE(isNumeric(q(no))) << no;
}

TEST(Conversions, DatesTimesAndDurations) {
    const OleDate d = oleFromParts(2026, 12, 5);
    // clang-format off
    const std::pair<const char*, std::optional<OleDate>> dates[] = {
        {"05/12/2026", d}, {"5/12/2026", d}, {" 05/12/2026 10:00:00 ", d + oleFromTime(10, 0, 0)},
        {"05/12/2026  7:30", d + oleFromTime(7, 30, 0)}, {"29/02/2008", oleFromParts(2008, 2, 29)},
        {"31/02/2007", {}}, {"29/02/2007", {}}, {"00/01/2007", {}}, {"01/13/2007", {}},
        {"05/12/26", {}}, {"05-12-2026", {}}, {"05/12/2026x", {}}, {"05/12/202610:00", {}},
        {"05/12/2026 24:00", {}}, {"05/12/2026 10:60", {}}, {"05/12/2026 10:", {}}, {"", {}}};
    // clang-format on
    for (const auto& [text, v] : dates) EXPECT_EQ(strictDate(q(text)), v) << text;
    EXPECT_EQ(formatDate(*strictDate(q("01/01/1899"))), q("01/01/1899"));
    EXPECT_EQ(formatTime(*strictDate(q("01/01/1899 18:00:00"))), q("18:00:00"));

    // clang-format off
    const std::pair<const char*, std::optional<OleDate>> times[] = {
        {"23:59:59", oleFromTime(23, 59, 59)}, {"7:5:3", oleFromTime(7, 5, 3)}, {"00:00:00", 0.0},
        {"24:00:00", {}}, {"10:60:00", {}}, {"10:00", oleFromTime(10, 0, 0)}, {"100:00:00", {}}, {"10:00:00x", {}},
        {"-1:00:00", {}}};
    // clang-format on
    for (const auto& [text, v] : times) EXPECT_EQ(parseTimeOfDay(q(text)), v) << text;

    // clang-format off
    const std::pair<const char*, std::optional<long long>> durations[] = {
        {"27:15:03", 98103}, {"100:00:00", 360000}, {"0:00:01", 1}, {"00:59:59", 3599},
        {":00:00", {}}, {"1:60:00", {}}, {"1:00:60", {}}, {"1:00", {}}, {"-1:00:00", {}},
        {"99999999999999999999:00:00", {}}};
    // clang-format on
    for (const auto& [text, v] : durations) EXPECT_EQ(parseDurationSeconds(q(text)), v) << text;
}

TEST(Conversions, RandomTextNeverBreaksTheParsers) {
    std::mt19937 rng(20261205);
    const QString alphabet = q("0123456789012345:/.,+-eE x\tén\x7f");
    std::uniform_int_distribution<int> length(0, 24);
    std::uniform_int_distribution<qsizetype> pick(0, alphabet.size() - 1);
    for (int n = 0; n < 20000; ++n) {
        QString text;
        for (int k = length(rng); k > 0; --k) text += alphabet[pick(rng)];
        leadingNumber(text);
        lenientInteger(text);
        strictInteger(text);
        if (const auto v = strictReal(text)) {
            ASSERT_TRUE(isNumeric(text)) << text.toStdString();
            ASSERT_EQ(leadingNumber(text), *v) << text.toStdString();
        }
        if (const auto v = strictDate(text)) {
            ASSERT_EQ(strictDate(formatDate(*v)), oleDatePart(*v)) << text.toStdString();
        }
        if (const auto v = parseTimeOfDay(text)) {
            ASSERT_EQ(parseTimeOfDay(formatTime(*v)), *v) << text.toStdString();
        }
        if (const auto v = parseDurationSeconds(text)) {
            ASSERT_EQ(parseDurationSeconds(formatDurationSeconds(*v)), *v) << text.toStdString();
        }
    }

    // Generated values read back exactly through their texts.
    std::uniform_int_distribution<int> year(1900, 2199), month(1, 12), day(1, 28), sec(0, 86399);
    std::uniform_real_distribution<float> single(-1e7f, 1e7f);
    for (int n = 0; n < 5000; ++n) {
        const OleDate v = oleFromParts(year(rng), month(rng), day(rng));
        ASSERT_EQ(strictDate(formatDate(v)), v);
        const int s = sec(rng);
        ASSERT_EQ(parseTimeOfDay(formatTime(v + oleFromTime(0, 0, s))), oleFromTime(0, 0, s));
        const float f = single(rng);
        ASSERT_EQ(static_cast<float>(*strictReal(formatSingle(f))), f) << f;
        const double cents = std::round(static_cast<double>(f) * 100.0) / 100.0;
        ASSERT_EQ(*strictReal(formatMoney(cents)), cents) << cents;
    }
}
