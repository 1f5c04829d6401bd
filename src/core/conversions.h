#pragma once
// Conversions of stored and typed texts to numbers and dates.
#include <QString>
#include <optional>

#include "core/ole_date.h"

namespace lt {

// Rounds to the nearest whole number, halves to the even number (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double v);

// The leading decimal number of a text ("." as the decimal point, leading blanks
// skipped, an optional sign); 0 when the text does not start with a number.
// "1.60" -> 1.6, "1x" -> 1, "abc" -> 0, "" -> 0.
double leadingNumber(const QString& text);

// Lenient integer: leadingNumber rounded half to even, clamped to the int range.
int lenientInteger(const QString& text);

// Strict conversions: the whole text (blanks around it allowed) must be the value.
std::optional<int> strictInteger(const QString& text);  // "12", "12.5" -> 12
std::optional<double> strictReal(const QString& text);  // "12", "-3.25", "1e3"
// "dd/MM/yyyy" optionally followed by a blank and "hh:mm:ss" (or "hh:mm").
std::optional<OleDate> strictDate(const QString& text);
// A time of day "hh:mm:ss" or "hh:mm" (one or two digits per field, hours 0..23).
std::optional<OleDate> parseTimeOfDay(const QString& text);
// A duration "h:mm:ss" with any number of hour digits (at least one); seconds.
std::optional<long long> parseDurationSeconds(const QString& text);
// Is the text a number (the platform's numeric test: blanks around allowed, sign,
// decimal point, no other characters)? The empty text is not numeric.
bool isNumeric(const QString& text);

}  // namespace lt
