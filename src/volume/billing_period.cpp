#include "volume/billing_period.h"

#include <QDate>
#include <QDateTime>
#include <algorithm>
#include <cmath>

namespace lt {

namespace {

constexpr long long kSecondsInDay = 86400;

long long wholeDays(OleDate day) {
    return std::llround(day);
}

// Seconds since 1899-12-30 00:00, rounded to the second as the program shows times, so
// that a moment counts in the same period as its date says.
std::optional<long long> secondsSinceZero(OleDate moment) {
    const QDateTime dt = oleToDateTime(moment);
    if (!dt.isValid()) return std::nullopt;
    return wholeDays(oleFromDate(dt.date())) * kSecondsInDay +
           dt.time().msecsSinceStartOfDay() / 1000;
}

QChar kindLetter(PeriodKind kind) {
    switch (kind) {
        case PeriodKind::Week:
            return u'W';
        case PeriodKind::Month:
            return u'M';
        default:
            return u'D';
    }
}

BillingPeriod monthContaining(const QDate& date, int billingDay) {
    int month = date.month();
    if (date.day() < billingDay) --month;  // oleFromParts rolls month 0 into December
    return {PeriodKind::Month, oleFromParts(date.year(), month, billingDay),
            oleFromParts(date.year(), month + 1, billingDay)};
}

}  // namespace

int clampBillingDay(int billingDay) {
    return std::clamp(billingDay, kFirstBillingDay, kLastBillingDay);
}

QString BillingPeriod::key() const {
    const QDate first = oleToDate(start);
    return kindLetter(kind) + QStringLiteral("%1-%2-%3")
                                  .arg(first.year(), 4, 10, QLatin1Char('0'))
                                  .arg(first.month(), 2, 10, QLatin1Char('0'))
                                  .arg(first.day(), 2, 10, QLatin1Char('0'));
}

long long BillingPeriod::lengthSeconds() const {
    return (wholeDays(nextStart) - wholeDays(start)) * kSecondsInDay;
}

long long BillingPeriod::elapsedSeconds(OleDate now) const {
    const std::optional<long long> moment = secondsSinceZero(now);
    if (!moment) return 0;
    return std::clamp(*moment - wholeDays(start) * kSecondsInDay, 0LL, lengthSeconds());
}

long long BillingPeriod::remainingSeconds(OleDate now) const {
    return lengthSeconds() - elapsedSeconds(now);
}

std::optional<BillingPeriod> periodContaining(PeriodKind kind, OleDate when, int billingDay) {
    const QDate date = oleToDate(when);
    if (!date.isValid()) return std::nullopt;
    const OleDate day = oleFromDate(date);
    switch (kind) {
        case PeriodKind::Week: {
            const OleDate monday = day - (date.dayOfWeek() - 1);  // dayOfWeek: 1 = Monday
            return BillingPeriod{kind, monday, monday + 7};
        }
        case PeriodKind::Month:
            return monthContaining(date, clampBillingDay(billingDay));
        default:
            return BillingPeriod{PeriodKind::Day, day, day + 1};
    }
}

}  // namespace lt
