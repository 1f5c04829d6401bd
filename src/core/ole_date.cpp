#include "core/ole_date.h"

#include <cmath>

namespace lt {

namespace {

constexpr qint64 kJulianDayOfZero = 2415019;  // 1899-12-30
constexpr long long kSecondsInDay = 86400;
// Far beyond any date the program shows, but small enough that whole days and seconds
// stay exact in a double and in a long long.
constexpr double kMaxDays = 1.0e7;

long long floorDiv(long long a, long long b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}
long long floorMod(long long a, long long b) {
    return a - floorDiv(a, b) * b;
}

// Days from 1970-01-01 in the proleptic Gregorian calendar; month 1..12, day 1..31.
long long daysFromCivil(long long y, long long m, long long d) {
    y -= m <= 2 ? 1 : 0;
    const long long era = floorDiv(y, 400);
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

constexpr long long kCivilDaysOfZero = -25569;  // 1899-12-30 counted from 1970-01-01

// Before day zero the value counts whole days back but the time of day forward
// (-1.25 is the day before 1899-12-30 at 06:00), so the fraction is taken as a magnitude.
OleDate combine(double days, double fraction) {
    return days < 0 ? days - fraction : days + fraction;
}

struct DaySecond {
    long long day = 0;  // calendar day, 0 = 1899-12-30
    int second = 0;     // second of that day, 0..86399
    bool valid = false;
};

// Rounds to the nearest second before splitting, so that 10:00:00 built from parts never
// reads back as 09:59:59 and 23:59:59.7 becomes midnight of the next day.
DaySecond split(OleDate v) {
    if (!std::isfinite(v) || std::fabs(v) > kMaxDays) return {};
    const double whole = std::trunc(v);
    long long day = static_cast<long long>(whole);
    long long second = std::llround(std::fabs(v - whole) * kSecondsPerDay);
    if (second >= kSecondsInDay) {
        second -= kSecondsInDay;
        ++day;
    }
    return {day, static_cast<int>(second), true};
}

}  // namespace

OleDate oleFromParts(int year, int month, int day) {
    const long long m0 = static_cast<long long>(month) - 1;
    const long long y = static_cast<long long>(year) + floorDiv(m0, 12);
    const long long m = floorMod(m0, 12) + 1;
    const long long days =
        daysFromCivil(y, m, 1) + (static_cast<long long>(day) - 1) - kCivilDaysOfZero;
    return static_cast<double>(days);
}

OleDate oleFromTime(int hours, int minutes, int seconds) {
    const long long total = static_cast<long long>(hours) * 3600 +
                            static_cast<long long>(minutes) * 60 + static_cast<long long>(seconds);
    return static_cast<double>(total) / kSecondsPerDay;
}

OleDate oleFromDate(const QDate& d) {
    if (!d.isValid()) return 0.0;
    return static_cast<double>(d.toJulianDay() - kJulianDayOfZero);
}

OleDate oleFromDateTime(const QDateTime& dt) {
    if (!dt.isValid()) return 0.0;
    const double fraction = static_cast<double>(dt.time().msecsSinceStartOfDay()) / 86400000.0;
    return combine(oleFromDate(dt.date()), fraction);
}

QDate oleToDate(OleDate v) {
    const DaySecond s = split(v);
    if (!s.valid) return {};
    return QDate::fromJulianDay(kJulianDayOfZero + s.day);
}

QTime oleToTime(OleDate v) {
    const DaySecond s = split(v);
    if (!s.valid) return {};
    return QTime(s.second / 3600, s.second / 60 % 60, s.second % 60);
}

QDateTime oleToDateTime(OleDate v) {
    const DaySecond s = split(v);
    if (!s.valid) return {};
    return QDateTime(QDate::fromJulianDay(kJulianDayOfZero + s.day),
                     QTime(s.second / 3600, s.second / 60 % 60, s.second % 60));
}

OleDate oleDatePart(OleDate v) {
    if (!std::isfinite(v)) return 0.0;
    return std::trunc(v) + 0.0;  // + 0.0 turns -0 into 0
}

OleDate oleTimePart(OleDate v) {
    if (!std::isfinite(v)) return 0.0;
    return std::fabs(v - std::trunc(v));
}

int oleWeekday(OleDate v) {
    // Day zero, 1899-12-30, was a Saturday.
    return static_cast<int>(floorMod(split(v).day + 6, 7)) + 1;
}

long long oleToSeconds(OleDate duration) {
    if (std::isnan(duration)) return 0;
    const double seconds = duration * kSecondsPerDay;
    // 2^62: well inside the range, and exactly representable, unlike LLONG_MAX.
    constexpr double kLimit = 4611686018427387904.0;
    if (seconds >= kLimit) return static_cast<long long>(kLimit);
    if (seconds <= -kLimit) return -static_cast<long long>(kLimit);
    return std::llround(seconds);
}

OleDate oleFromSeconds(double seconds) {
    return seconds / kSecondsPerDay;
}

}  // namespace lt
