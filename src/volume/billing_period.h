#pragma once
// The period an allowance counts over: a day, an ISO week (Monday to Sunday, as the
// statistics group weeks) or a billing month that starts on a chosen day of the month.
#include <QString>
#include <optional>

#include "core/ole_date.h"

namespace lt {

enum class PeriodKind { Day, Week, Month };

// A billing month starts on this day of every month; 1 is the calendar month. Days past
// the 28th would not exist in every February, so they are not offered.
inline constexpr int kFirstBillingDay = 1;
inline constexpr int kLastBillingDay = 28;

// A billing day brought into 1..28: a hand-edited 31 means "late in the month", so it
// becomes 28 rather than an error.
int clampBillingDay(int billingDay);

// Lengths count calendar days of 86400 seconds of local time: the hour a change to or from
// summer time adds or takes is not counted.
struct BillingPeriod {
    PeriodKind kind = PeriodKind::Day;
    OleDate start = 0;      // the first day, at 00:00
    OleDate nextStart = 0;  // the first day of the next period, at 00:00

    // The kind's letter and the first day: "D2027-01-03", "W2026-12-28", "M2026-12-15".
    // The same period always gives the same key, and no two periods share one.
    QString key() const;
    long long lengthSeconds() const;
    // Within 0..length, for any moment, also one outside the period.
    long long elapsedSeconds(OleDate now) const;
    long long remainingSeconds(OleDate now) const;
};

// The period of the kind that holds the moment; none for a date value that is no moment
// of the calendar (not finite, or tens of thousands of years away). The billing day
// matters to months only and is clamped into 1..28.
std::optional<BillingPeriod> periodContaining(PeriodKind kind, OleDate when,
                                              int billingDay = kFirstBillingDay);

}  // namespace lt
