#include <gtest/gtest.h>

#include <QDate>
#include <cmath>

#include "core/text_format.h"
#include "support/test_support.h"
#include "volume/billing_period.h"

using namespace lt;

namespace {

OleDate at(int year, int month, int day, int hours = 0, int minutes = 0, int seconds = 0) {
    return oleFromParts(year, month, day) + oleFromTime(hours, minutes, seconds);
}

BillingPeriod period(PeriodKind kind, OleDate when, int billingDay = 1) {
    return periodContaining(kind, when, billingDay).value_or(BillingPeriod{});
}

}  // namespace

TEST(BillingPeriod, MonthsFromTheBillingDayAndIsoWeeksAcrossTheYearEnd) {
    struct Case {
        PeriodKind kind;
        OleDate when;
        int billingDay;
        const char* key;
        const char* nextStart;
    };
    const Case cases[] = {
        {PeriodKind::Month, at(2027, 1, 3, 12), 15, "M2026-12-15", "15/01/2027"},
        {PeriodKind::Month, at(2027, 1, 14, 23, 59, 59), 15, "M2026-12-15", "15/01/2027"},
        {PeriodKind::Month, at(2027, 1, 15), 15, "M2027-01-15", "15/02/2027"},
        {PeriodKind::Month, at(2027, 2, 27), 28, "M2027-01-28", "28/02/2027"},
        {PeriodKind::Month, at(2027, 2, 28), 28, "M2027-02-28", "28/03/2027"},
        {PeriodKind::Month, at(2027, 3, 30), 31, "M2027-03-28", "28/04/2027"},  // clamped
        {PeriodKind::Month, at(2027, 3, 30), 0, "M2027-03-01", "01/04/2027"},
        // 2026 has an ISO week 53: Monday 28 December to Sunday 3 January.
        {PeriodKind::Week, at(2027, 1, 3, 23, 59, 59), 1, "W2026-12-28", "04/01/2027"},
        {PeriodKind::Week, at(2027, 1, 4), 1, "W2027-01-04", "11/01/2027"},
        {PeriodKind::Week, at(2026, 1, 1), 1, "W2025-12-29", "05/01/2026"},
        // Shown as the next day, so counted there.
        {PeriodKind::Day, at(2027, 1, 3) + 86399.7 / kSecondsPerDay, 1, "D2027-01-04",
         "05/01/2027"}};
    for (const Case& c : cases) {
        const BillingPeriod p = period(c.kind, c.when, c.billingDay);
        EXPECT_EQ(p.key(), QString(c.key)) << c.key;
        EXPECT_EQ(formatDate(p.nextStart), QString(c.nextStart)) << c.key;
    }
    EXPECT_EQ(period(PeriodKind::Month, at(2028, 2, 28), 28).lengthSeconds(), 29 * 86400);

    // Every day of five years: each kind's periods follow one another without gap or
    // overlap, every day of a period gives its key, and weeks are the ISO weeks.
    for (const PeriodKind kind : {PeriodKind::Day, PeriodKind::Week, PeriodKind::Month}) {
        BillingPeriod current = period(kind, at(2023, 12, 31), 15);
        int weekNumber = 0;
        for (QDate d(2024, 1, 1); d < QDate(2029, 1, 1); d = d.addDays(1)) {
            const BillingPeriod p = period(kind, at(d.year(), d.month(), d.day(), 18), 15);
            if (p.key() != current.key()) {
                ASSERT_EQ(p.start, current.nextStart) << p.key().toStdString();
                current = p;
                weekNumber = d.weekNumber();
            }
            ASSERT_EQ(p.nextStart, current.nextStart);
            if (kind == PeriodKind::Week) {
                ASSERT_EQ(d.weekNumber(), weekNumber);
            }
        }
    }
}

TEST(BillingPeriod, ElapsedAndRemainingStayInsideThePeriod) {
    const BillingPeriod day = period(PeriodKind::Day, at(2027, 1, 3, 10));
    EXPECT_EQ(day.elapsedSeconds(at(2027, 1, 3, 10)), 36000);
    EXPECT_EQ(day.remainingSeconds(at(2027, 1, 3, 10)), 50400);
    EXPECT_EQ(day.elapsedSeconds(at(2027, 1, 1)), 0);
    EXPECT_EQ(day.remainingSeconds(at(2027, 1, 9)), 0);
    // Before 1899-12-30 a date value counts days back and the time of day forward.
    EXPECT_EQ(period(PeriodKind::Day, -1.25).elapsedSeconds(-1.25), 6 * 3600);

    for (const double bad : {std::nan(""), HUGE_VAL, 1.0e9}) {
        EXPECT_FALSE(periodContaining(PeriodKind::Month, bad, 15).has_value());
        EXPECT_EQ(day.elapsedSeconds(bad), 0);
    }
}
