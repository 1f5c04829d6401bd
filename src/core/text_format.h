#pragma once
// The text forms that the settings file, the status tab and the history share.
#include <QString>

#include "core/ole_date.h"

namespace lt {

// "dd/MM/yyyy"
QString formatDate(OleDate v);
// "hh:mm:ss" of the time-of-day part; a negative value shows the absolute fraction.
QString formatTime(OleDate v);
// A duration with whole hours: "hh:mm:ss" below 24 hours, "27:15:03" beyond.
// A negative duration is shown by its absolute value.
QString formatDuration(OleDate duration);
QString formatDurationSeconds(long long seconds);
// "000.00": at least three integer digits, two decimals, "." as the decimal point.
QString formatMoney(double amount);
// Two digits at least: "00", "07", "123".
QString formatTwoDigits(int value);
// Decimal text of a single-precision value, as short as it reads back exactly ("1234.5").
QString formatSingle(float value);

}  // namespace lt
