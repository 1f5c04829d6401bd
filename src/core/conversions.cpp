#include "core/conversions.h"

#include <QStringView>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace lt {

namespace {

bool isBlank(QChar c) {
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\t' || u == u'\n' || u == u'\r' || u == u'\v' || u == u'\f';
}

// ASCII digits only: other scripts' digits are not numbers in a settings file.
bool isDigit(QStringView s, qsizetype i) {
    return i < s.size() && s[i].unicode() >= u'0' && s[i].unicode() <= u'9';
}

bool isChar(QStringView s, qsizetype i, char16_t c) {
    return i < s.size() && s[i].unicode() == c;
}

QStringView trimmedBlanks(QStringView s) {
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && isBlank(s[b])) ++b;
    while (e > b && isBlank(s[e - 1])) --e;
    return s.sliced(b, e - b);
}

struct Number {
    qsizetype end = 0;  // first character after the number
    bool found = false;
    bool overflow = false;  // too large for a double; value then holds the sign
    double value = 0.0;
};

// [sign] digits [. digits] [e [sign] digits], at least one mantissa digit; the exponent
// counts only when it has a digit ("2e" is 2 followed by "e").
Number scanNumber(QStringView s, qsizetype pos) {
    Number n;
    n.end = pos;
    qsizetype i = pos;
    bool negative = false;
    if (isChar(s, i, u'+') || isChar(s, i, u'-')) {
        negative = s[i].unicode() == u'-';
        ++i;
    }
    std::string intDigits;
    std::string fracDigits;
    while (isDigit(s, i)) intDigits += static_cast<char>(s[i++].unicode());
    if (isChar(s, i, u'.') && (!intDigits.empty() || isDigit(s, i + 1))) {
        ++i;
        while (isDigit(s, i)) fracDigits += static_cast<char>(s[i++].unicode());
    }
    if (intDigits.empty() && fracDigits.empty()) return n;

    long long exponent = 0;
    std::string expText;
    if (isChar(s, i, u'e') || isChar(s, i, u'E')) {
        qsizetype j = i + 1;
        bool expNegative = false;
        if (isChar(s, j, u'+') || isChar(s, j, u'-')) {
            expNegative = s[j].unicode() == u'-';
            ++j;
        }
        if (isDigit(s, j)) {
            while (isDigit(s, j)) {
                // Saturates: any exponent this large already means overflow or zero.
                if (exponent < 1'000'000'000) exponent = exponent * 10 + (s[j].unicode() - u'0');
                ++j;
            }
            if (expNegative) exponent = -exponent;
            expText = "e" + std::to_string(exponent);
            i = j;
        }
    }

    n.found = true;
    n.end = i;
    const std::string text = (negative ? "-" : "") + (intDigits.empty() ? "0" : intDigits) +
                             (fracDigits.empty() ? "" : "." + fracDigits) + expText;
    double value = 0.0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (r.ec == std::errc::result_out_of_range) {
        // Out of range either way; the decimal exponent of the first significant digit
        // tells a huge number from a tiny one.
        const std::size_t lead = intDigits.find_first_not_of('0');
        const long long magnitude =
            lead != std::string::npos
                ? static_cast<long long>(intDigits.size() - lead) - 1 + exponent
                : -static_cast<long long>(fracDigits.find_first_not_of('0')) - 1 + exponent;
        if (magnitude >= 0) {
            n.overflow = true;
            value = negative ? -1.0 : 1.0;
        } else {
            value = 0.0;
        }
    }
    n.value = value == 0.0 ? 0.0 : value;  // no negative zero
    return n;
}

// The whole text, blanks around it allowed, is one finite number.
std::optional<double> wholeNumber(const QString& text) {
    const QStringView s = trimmedBlanks(text);
    const Number n = scanNumber(s, 0);
    if (!n.found || n.overflow || n.end != s.size()) return std::nullopt;
    return n.value;
}

// One or two ASCII digits at pos; advances pos.
std::optional<int> smallField(QStringView s, qsizetype& pos) {
    if (!isDigit(s, pos)) return std::nullopt;
    int value = s[pos++].unicode() - u'0';
    if (isDigit(s, pos)) value = value * 10 + (s[pos++].unicode() - u'0');
    return value;
}

bool isLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeapYear(y) ? 29 : kDays[m - 1];
}

}  // namespace

double roundHalfEven(double v) {
    const double below = std::floor(v);
    const double diff = v - below;
    if (diff < 0.5) return below;
    if (diff > 0.5) return below + 1.0;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

double leadingNumber(const QString& text) {
    const QStringView s(text);
    qsizetype i = 0;
    while (i < s.size() && isBlank(s[i])) ++i;
    const Number n = scanNumber(s, i);
    if (!n.found) return 0.0;
    if (n.overflow) return n.value * std::numeric_limits<double>::max();
    return n.value;
}

int lenientInteger(const QString& text) {
    const double r = roundHalfEven(leadingNumber(text));
    if (r <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    if (r >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(r);
}

std::optional<int> strictInteger(const QString& text) {
    const std::optional<double> v = wholeNumber(text);
    if (!v) return std::nullopt;
    const double r = roundHalfEven(*v);
    if (r < static_cast<double>(std::numeric_limits<int>::min()) ||
        r > static_cast<double>(std::numeric_limits<int>::max()))
        return std::nullopt;
    return static_cast<int>(r);
}

std::optional<double> strictReal(const QString& text) {
    return wholeNumber(text);
}

std::optional<OleDate> strictDate(const QString& text) {
    const QStringView s = trimmedBlanks(text);
    qsizetype i = 0;
    const std::optional<int> day = smallField(s, i);
    if (!day || !isChar(s, i++, u'/')) return std::nullopt;
    const std::optional<int> month = smallField(s, i);
    if (!month || !isChar(s, i++, u'/')) return std::nullopt;
    int year = 0;
    for (int k = 0; k < 4; ++k, ++i) {
        if (!isDigit(s, i)) return std::nullopt;
        year = year * 10 + (s[i].unicode() - u'0');
    }
    if (year < 1 || *month < 1 || *month > 12 || *day < 1 || *day > daysInMonth(year, *month))
        return std::nullopt;

    double fraction = 0.0;
    if (i < s.size()) {
        if (!isBlank(s[i])) return std::nullopt;
        while (i < s.size() && isBlank(s[i])) ++i;
        const std::optional<int> h = smallField(s, i);
        if (!h || !isChar(s, i++, u':')) return std::nullopt;
        const std::optional<int> m = smallField(s, i);
        if (!m) return std::nullopt;
        std::optional<int> sec = 0;
        if (isChar(s, i, u':')) {
            ++i;
            sec = smallField(s, i);
            if (!sec) return std::nullopt;
        }
        if (i != s.size() || *h > 23 || *m > 59 || *sec > 59) return std::nullopt;
        fraction = oleFromTime(*h, *m, *sec);
    }
    const OleDate days = oleFromParts(year, *month, *day);
    // Before day zero the time of day counts forward from a negative whole day.
    return days < 0 ? days - fraction : days + fraction;
}

std::optional<OleDate> parseTimeOfDay(const QString& text) {
    const QStringView s = trimmedBlanks(text);
    qsizetype i = 0;
    const std::optional<int> h = smallField(s, i);
    if (!h || !isChar(s, i++, u':')) return std::nullopt;
    const std::optional<int> m = smallField(s, i);
    if (!m) return std::nullopt;
    // "2:30" is half past two, as a typed time reads.
    std::optional<int> sec = 0;
    if (i != s.size() && (!isChar(s, i++, u':') || !(sec = smallField(s, i)))) return std::nullopt;
    if (i != s.size() || *h > 23 || *m > 59 || *sec > 59) return std::nullopt;
    return oleFromTime(*h, *m, *sec);
}

std::optional<long long> parseDurationSeconds(const QString& text) {
    const QStringView s = trimmedBlanks(text);
    constexpr long long kMaxHours = std::numeric_limits<long long>::max() / 3600 - 1;
    qsizetype i = 0;
    long long hours = 0;
    if (!isDigit(s, i)) return std::nullopt;
    while (isDigit(s, i)) {
        hours = hours * 10 + (s[i++].unicode() - u'0');
        if (hours > kMaxHours) return std::nullopt;
    }
    if (!isChar(s, i++, u':')) return std::nullopt;
    const std::optional<int> m = smallField(s, i);
    if (!m || !isChar(s, i++, u':')) return std::nullopt;
    const std::optional<int> sec = smallField(s, i);
    if (!sec || i != s.size() || *m > 59 || *sec > 59) return std::nullopt;
    return hours * 3600 + *m * 60 + *sec;
}

bool isNumeric(const QString& text) {
    return wholeNumber(text).has_value();
}

}  // namespace lt
