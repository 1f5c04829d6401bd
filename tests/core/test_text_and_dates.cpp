#include <gtest/gtest.h>

#include <QDate>
#include <array>
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
    const std::pair<std::array<int, 3>, const char*> rolled[] = {
        {{2007, 2, 31}, "03/03/2007"}, {{2007, 13, 1}, "01/01/2008"},
        {{2008, 3, 0}, "29/02/2008"},  {{2007, -1, 1}, "01/11/2006"},
        {{1900, 2, 29}, "01/03/1900"}, {{2024, 1, 366}, "31/12/2024"}};
    for (const auto& [ymd, text] : rolled)
        EXPECT_EQ(formatDate(oleFromParts(ymd[0], ymd[1], ymd[2])), q(text)) << text;

    // Every day over several centuries: parts, QDate and weekday agree; the evening of
    // the day survives a trip through a date value, also before day zero.
    for (QDate d(1800, 1, 1); d < QDate(2200, 1, 1); d = d.addDays(1)) {
        const OleDate v = oleFromParts(d.year(), d.month(), d.day());
        ASSERT_EQ(v, oleFromDate(d)) << d.toString(Qt::ISODate).toStdString();
        ASSERT_EQ(oleToDate(oleFromDateTime(QDateTime(d, QTime(18, 0), Qt::UTC))), d);
        ASSERT_EQ(oleWeekday(v), d.dayOfWeek() % 7 + 1);  // 1 = Sunday
    }
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
    // Just before midnight rounds into the next day, date and time together.
    const OleDate late = oleFromParts(2007, 2, 28) + 86399.7 / kSecondsPerDay;
    EXPECT_EQ(formatTime(late), q("00:00:00"));
    EXPECT_EQ(formatDate(late), q("01/03/2007"));
    EXPECT_EQ(oleWeekday(late), 5);  // Thursday 1 March

    // Before day zero: whole days back, the time of day forward.
    EXPECT_EQ(formatDate(-1.25), q("29/12/1899"));
    EXPECT_EQ(formatTime(-1.25), q("06:00:00"));
    EXPECT_EQ(oleToDateTime(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
    for (const double bad : {std::nan(""), HUGE_VAL, 1e300})
        EXPECT_TRUE(formatDate(bad).isEmpty() && formatTime(bad).isEmpty()) << bad;
}

// clang-format off
TEST(TextFormat, MoneyDurationsAndNumbers) {
    const std::pair<double, const char*> money[] = {
        {1234.567, "1234.57"}, {-5.5, "-005.50"}, {2.675, "002.68"}, {1.005, "001.01"},
        {999.995, "1000.00"}, {-0.004, "000.00"}, {-0.005, "-000.01"},
        {static_cast<double>(12.1f * 1.21f), "014.64"}};
    for (const auto& [v, text] : money) EXPECT_EQ(formatMoney(v), q(text)) << v;
    EXPECT_TRUE(formatMoney(std::nan("")).isEmpty());
    const std::pair<long long, const char*> durations[] = {
        {98103, "27:15:03"}, {-98103, "27:15:03"}, {360000, "100:00:00"},
        {LLONG_MIN, "2562047788015215:30:08"}};
    for (const auto& [s, text] : durations) EXPECT_EQ(formatDurationSeconds(s), q(text)) << s;
    EXPECT_EQ(formatDuration(-oleFromTime(27, 15, 3)), q("27:15:03"));
    EXPECT_EQ(formatTwoDigits(-7), q("-07"));
    const std::pair<float, const char*> singles[] = {
        {1234.5f, "1234.5"}, {-0.f, "0"}, {0.1f, "0.1"}, {9999999.f, "9999999"}, {1e7f, "1e+07"}};
    for (const auto& [v, text] : singles) EXPECT_EQ(formatSingle(v), q(text)) << v;
}

TEST(Conversions, LenientAndStrictNumbers) {
    const std::pair<const char*, double> leading[] = {
        {"1x", 1}, {".5", 0.5}, {"abc", 0}, {"\t-3.25z", -3.25}, {"2e-x", 2}, {"1.2.3", 1.2},
        {"- 5", 0}, {"1,5", 1}, {"1e-999", 0}, {"9e999", std::numeric_limits<double>::max()}};
    for (const auto& [text, v] : leading) EXPECT_EQ(leadingNumber(q(text)), v) << text;
    const std::pair<const char*, int> lenient[] = {
        {"12.5", 12}, {"13.5", 14}, {"", 0}, {"99999999999999999999", INT_MAX}, {"1e999", INT_MAX}};
    for (const auto& [text, v] : lenient) EXPECT_EQ(lenientInteger(q(text)), v) << text;
    const std::pair<const char*, std::optional<int>> strictInts[] = {
        {" 12 ", 12}, {"12.5", 12}, {"13.5", 14}, {"1e3", 1000}, {"12x", {}}, {" ", {}},
        {"1 2", {}}, {"2147483648", {}}, {"1e999", {}}, {"-2147483648", INT_MIN}};
    for (const auto& [text, v] : strictInts) EXPECT_EQ(strictInteger(q(text)), v) << text;
    const std::pair<const char*, std::optional<double>> strictReals[] = {
        {" 1.5E-1 ", 0.15}, {"5.", 5}, {"nan", {}}, {"inf", {}}, {"1,5", {}}, {"0x10", {}},
        {"1e", {}}, {"1e999", {}}};
    for (const auto& [text, v] : strictReals) EXPECT_EQ(strictReal(q(text)), v) << text;
    for (const char* yes : {" 12 ", "+.5", "1.", "1E-3"}) EXPECT_TRUE(isNumeric(q(yes))) << yes;
    for (const char* no : {"", ".", "1.2.3", "e3", "1e999", "١٢"}) EXPECT_FALSE(isNumeric(q(no)));
}

TEST(Conversions, DatesTimesAndDurations) {
    const OleDate d = oleFromParts(2026, 12, 5);
    const std::pair<const char*, std::optional<OleDate>> dates[] = {
        {"5/12/2026", d}, {" 05/12/2026 10:00:00 ", d + oleFromTime(10, 0, 0)}, {"29/02/2007", {}},
        {"01/13/2007", {}}, {"05/12/26", {}}, {"05/12/202610:00", {}}, {"05/12/2026 24:00", {}},
        {"05/12/2026 10:", {}}};
    for (const auto& [text, v] : dates) EXPECT_EQ(strictDate(q(text)), v) << text;
    const std::pair<const char*, std::optional<OleDate>> times[] = {
        {"7:5:3", oleFromTime(7, 5, 3)}, {"10:00", oleFromTime(10, 0, 0)}, {"24:00:00", {}},
        {"10:60:00", {}}, {"10:00:00x", {}}, {"-1:00:00", {}}};
    for (const auto& [text, v] : times) EXPECT_EQ(parseTimeOfDay(q(text)), v) << text;
    const std::pair<const char*, std::optional<long long>> durations[] = {
        {"100:00:00", 360000}, {"0:00:01", 1}, {":00:00", {}}, {"1:00:60", {}}, {"1:00", {}},
        {"99999999999999999999:00:00", {}}};
    for (const auto& [text, v] : durations) EXPECT_EQ(parseDurationSeconds(q(text)), v) << text;
}
// clang-format on

TEST(Conversions, RandomValuesReadBackThroughTheirTexts) {
    std::mt19937 rng(20261205);
    std::uniform_real_distribution<float> single(-1e7f, 1e7f);
    for (int n = 0; n < 5000; ++n) {
        const float f = single(rng);
        ASSERT_EQ(static_cast<float>(*strictReal(formatSingle(f))), f) << f;
        const double cents = std::round(static_cast<double>(f) * 100.0) / 100.0;
        ASSERT_EQ(*strictReal(formatMoney(cents)), cents) << cents;
        const OleDate t = oleFromTime(0, 0, static_cast<int>(rng() % 86400));
        ASSERT_EQ(parseTimeOfDay(formatTime(t)), t);
    }
}
