#include "core/text_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace lt {

namespace {

QString pad(long long value, int width) {
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

QString hms(unsigned long long hours, int minutes, int seconds) {
    QString hourText = QString::number(hours);
    if (hourText.size() < 2) hourText.prepend(QLatin1Char('0'));
    return hourText + QLatin1Char(':') + pad(minutes, 2) + QLatin1Char(':') + pad(seconds, 2);
}

// The shortest decimal text that reads back as the value. A value that is exactly a
// single-precision number is written as that single, so 2.675f counts as 2.675.
std::string shortestFixed(double value) {
    char buffer[400];  // the largest double in fixed notation has 309 digits
    std::to_chars_result r;
    const auto single = static_cast<float>(value);
    if (std::isfinite(single) && static_cast<double>(single) == value) {
        r = std::to_chars(buffer, buffer + sizeof buffer, single, std::chars_format::fixed);
    } else {
        r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    }
    return std::string(buffer, r.ptr);
}

}  // namespace

QString formatDate(OleDate v) {
    const QDate d = oleToDate(v);
    if (!d.isValid()) return {};
    QString year = pad(d.year() < 0 ? -d.year() : d.year(), 4);
    if (d.year() < 0) year.prepend(QLatin1Char('-'));
    return pad(d.day(), 2) + QLatin1Char('/') + pad(d.month(), 2) + QLatin1Char('/') + year;
}

QString formatTime(OleDate v) {
    const QTime t = oleToTime(v);
    if (!t.isValid()) return {};
    return hms(static_cast<unsigned long long>(t.hour()), t.minute(), t.second());
}

QString formatDuration(OleDate duration) {
    if (!std::isfinite(duration)) return {};
    return formatDurationSeconds(oleToSeconds(duration));
}

QString formatDurationSeconds(long long seconds) {
    // Negated in unsigned arithmetic, so that the most negative value has a magnitude too.
    const unsigned long long magnitude = seconds < 0
                                             ? 0ULL - static_cast<unsigned long long>(seconds)
                                             : static_cast<unsigned long long>(seconds);
    return hms(magnitude / 3600, static_cast<int>(magnitude / 60 % 60),
               static_cast<int>(magnitude % 60));
}

QString formatMoney(double amount) {
    if (!std::isfinite(amount)) return {};
    const std::string text = shortestFixed(amount);
    const bool negative = !text.empty() && text.front() == '-';
    const std::size_t start = negative ? 1 : 0;
    const std::size_t point = text.find('.');
    std::string integer =
        text.substr(start, point == std::string::npos ? std::string::npos : point - start);
    std::string fraction = point == std::string::npos ? std::string() : text.substr(point + 1);
    fraction.resize(std::max<std::size_t>(fraction.size(), 3), '0');

    // Rounding the decimal digits themselves: half a cent goes away from zero.
    std::string digits = integer + fraction.substr(0, 2);
    if (fraction[2] >= '5') {
        std::size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
        if (i == 0) {
            digits.insert(digits.begin(), '1');
        } else {
            ++digits[i - 1];
        }
    }
    integer = digits.substr(0, digits.size() - 2);
    const std::string cents = digits.substr(digits.size() - 2);
    const std::size_t firstNonZero = integer.find_first_not_of('0');
    integer = firstNonZero == std::string::npos ? std::string() : integer.substr(firstNonZero);
    if (integer.size() < 3) integer.insert(0, 3 - integer.size(), '0');

    const bool zero = digits.find_first_not_of('0') == std::string::npos;
    const std::string result = (negative && !zero ? "-" : "") + integer + "." + cents;
    return QString::fromLatin1(result.data(), static_cast<qsizetype>(result.size()));
}

QString formatTwoDigits(int value) {
    const long long wide = value;
    const QString digits = pad(wide < 0 ? -wide : wide, 2);
    return wide < 0 ? QLatin1Char('-') + digits : digits;
}

QString formatSingle(float value) {
    if (!std::isfinite(value)) return {};
    if (value == 0.0f) return QStringLiteral("0");
    char buffer[128];
    // Plain notation for anything a position or an amount can be; exponents only beyond.
    const std::to_chars_result r =
        std::fabs(value) < 1.0e7f
            ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed)
            : std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, static_cast<qsizetype>(r.ptr - buffer));
}

}  // namespace lt
