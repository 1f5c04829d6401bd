#include <gtest/gtest.h>

#include "support/test_support.h"
#include "volume/forecast.h"

using namespace lt;

namespace {

OleDate at(int year, int month, int day, int hours = 0, int minutes = 0, int seconds = 0) {
    return oleFromParts(year, month, day) + oleFromTime(hours, minutes, seconds);
}

// 15/12/2026 to 15/01/2027: 31 days.
const BillingPeriod kMonth{PeriodKind::Month, oleFromParts(2026, 12, 15),
                           oleFromParts(2027, 1, 15)};
constexpr double kLimit = 2.0e9;

}  // namespace

TEST(Forecast, PaceAndDailyAmountThroughThePeriod) {
    // A month's pace needs 31 hours behind it; the amount a day is there from the start,
    // today counting whole.
    Forecast f = forecastUse(kMonth, at(2026, 12, 16, 6, 59, 59), 0.1e9, kLimit);
    EXPECT_FALSE(f.projected);
    EXPECT_DOUBLE_EQ(f.perDay.value_or(-1), 1.9e9 / 30);
    EXPECT_TRUE(paceText(0, Measure::Volume, f, kMonth).isEmpty());
    EXPECT_DOUBLE_EQ(forecastUse(kMonth, at(2026, 12, 16, 7), 0.1e9, kLimit).projected.value_or(-1),
                     0.1e9 * 24);

    f = forecastUse(kMonth, at(2026, 12, 31), 1.2e9, kLimit);
    EXPECT_TRUE(f.exceedsLimit);
    EXPECT_EQ(paceText(0, Measure::Volume, f, kMonth),
              QStringLiteral("At this pace: 2.3 GB by 15/01/2027"));
    EXPECT_EQ(perDayText(1, Measure::Volume, f, kMonth),
              QString::fromUtf8("53.3 MB por día de aquí en adelante"));
    EXPECT_FALSE(forecastUse(kMonth, at(2026, 12, 31), 1.0e9, kLimit).exceedsLimit);

    // The last day, early or late, is one whole day; once the period is over, none.
    for (const OleDate lastDay : {at(2027, 1, 14), at(2027, 1, 14, 23, 59)})
        EXPECT_DOUBLE_EQ(forecastUse(kMonth, lastDay, 1.5e9, kLimit).perDay.value_or(-1), 0.5e9);
    EXPECT_FALSE(forecastUse(kMonth, at(2027, 1, 15), 1.5e9, kLimit).perDay);

    // Time in hours and minutes: 30 h left over 7 days.
    const BillingPeriod week{PeriodKind::Week, oleFromParts(2027, 1, 4), oleFromParts(2027, 1, 11)};
    f = forecastUse(week, at(2027, 1, 4, 12), 10 * 3600.0, 40 * 3600.0);
    EXPECT_EQ(perDayText(0, Measure::Time, f, week), QStringLiteral("4:17 h a day from now on"));
}

TEST(Forecast, AtOrOverTheAllowanceNothingIsLeftADay) {
    Forecast f = forecastUse(kMonth, at(2027, 1, 10), kLimit, kLimit);
    EXPECT_EQ(f.perDay, 0.0);
    EXPECT_TRUE(f.exceedsLimit);  // the pace goes on past it
    EXPECT_EQ(perDayText(0, Measure::Volume, f, kMonth),
              QStringLiteral("Data allowance used up until 15/01/2027"));

    // Over it before any pace is known.
    f = forecastUse(kMonth, at(2026, 12, 15, 2), 2.5e9, kLimit);
    EXPECT_FALSE(f.projected);
    EXPECT_EQ(f.perDay, 0.0);
    EXPECT_TRUE(f.exceedsLimit);

    // No allowance: a pace and nothing else.
    f = forecastUse(kMonth, at(2027, 1, 10), 3e9, 0);
    EXPECT_TRUE(f.projected);
    EXPECT_FALSE(f.perDay || f.exceedsLimit);
    EXPECT_TRUE(perDayText(0, Measure::Volume, f, kMonth).isEmpty());
}
