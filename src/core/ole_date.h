#pragma once
// Date values: whole days since 1899-12-30 plus the time of day as a fraction.
#include <QDate>
#include <QDateTime>
#include <QTime>

namespace lt {

using OleDate = double;

constexpr double kSecondsPerDay = 86400.0;

// Builds a date value from calendar parts; month and day overflow roll into the next
// month or year (2007-02-31 is 2007-03-03), as date arithmetic on the calendar expects.
OleDate oleFromParts(int year, int month, int day);
OleDate oleFromTime(int hours, int minutes, int seconds);
OleDate oleFromDateTime(const QDateTime& dt);
OleDate oleFromDate(const QDate& d);
QDateTime oleToDateTime(OleDate v);
QDate oleToDate(OleDate v);
// Time of day of a date value, rounded to the nearest whole second.
QTime oleToTime(OleDate v);

OleDate oleDatePart(OleDate v);  // whole days (the day, time 00:00:00)
OleDate oleTimePart(OleDate v);  // fraction of the day, 0 <= t < 1
// Weekday with 1 = Sunday .. 7 = Saturday.
int oleWeekday(OleDate v);
// Whole seconds in a duration (a difference of two date values), rounded.
long long oleToSeconds(OleDate duration);
OleDate oleFromSeconds(double seconds);

}  // namespace lt
