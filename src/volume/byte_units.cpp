#include "volume/byte_units.h"

#include <QStringView>
#include <algorithm>
#include <cmath>

#include "i18n/captions.h"
#include "volume/volume_texts.h"

namespace lt {

namespace {

constexpr const char* kUnitNames[] = {"B", "kB", "MB", "GB", "TB"};
constexpr int kLargestUnit = 4;

// In unsigned arithmetic, so that the most negative count has a magnitude too.
unsigned long long magnitudeOf(std::int64_t bytes) {
    return bytes < 0 ? 0ULL - static_cast<unsigned long long>(bytes)
                     : static_cast<unsigned long long>(bytes);
}

unsigned long long unitSize(int index) {
    unsigned long long size = 1;
    for (int i = 0; i < index; ++i) size *= 1000;
    return size;
}

// Tenths of the unit, half up; never overflows, since a magnitude is at most 2^63.
unsigned long long roundedTenths(unsigned long long magnitude, int index) {
    const unsigned long long unit = unitSize(index);
    return (magnitude + unit / 20) / (unit / 10);
}

// The unit whose one-decimal figure stays below 1000 once rounded.
int unitIndex(unsigned long long magnitude) {
    if (magnitude < 1000) return 0;
    int index = 1;
    while (index < kLargestUnit && roundedTenths(magnitude, index) >= 10000) ++index;
    return index;
}

std::int64_t bytesPerUnit(DataUnit unit) {
    return unit == DataUnit::Gigabytes ? kBytesPerGigabyte : kBytesPerMegabyte;
}

bool allDigits(QStringView text) {
    for (const QChar c : text)
        if (c < u'0' || c > u'9') return false;
    return true;
}

// More digits than any allowance needs, few enough to read into 64 bits.
constexpr qsizetype kMostWholeDigits = 12;

AllowanceParse failed(AllowanceError error) {
    return {0, error};
}

}  // namespace

QString formatBytes(std::int64_t bytes) {
    return formatBytesInUnitOf(bytes, bytes);
}

QString formatBytesInUnitOf(std::int64_t bytes, std::int64_t reference) {
    const int index = unitIndex(magnitudeOf(reference));
    const unsigned long long magnitude = magnitudeOf(bytes);
    const QString sign = bytes < 0 ? QStringLiteral("-") : QString();
    if (index == 0) return sign + QString::number(magnitude) + QStringLiteral(" B");
    const unsigned long long tenths = roundedTenths(magnitude, index);
    return sign + QStringLiteral("%1.%2 %3")
                      .arg(tenths / 10)
                      .arg(tenths % 10)
                      .arg(QLatin1String(kUnitNames[index]));
}

QString formatRate(double bytesPerSecond) {
    // 2^62: far beyond any link, and exactly representable, unlike INT64_MAX.
    constexpr double kFastest = 4611686018427387904.0;
    const double rate =
        std::isfinite(bytesPerSecond) ? std::clamp(bytesPerSecond, 0.0, kFastest) : 0.0;
    return formatBytes(std::llround(rate)) + QStringLiteral("/s");
}

AllowanceParse parseAllowance(const QString& text, DataUnit unit) {
    QStringView number = QStringView(text).trimmed();
    const bool negative = number.startsWith(u'-');
    if (negative) number = number.mid(1);
    const qsizetype point = number.indexOf(u'.');
    QStringView whole = point < 0 ? number : number.left(point);
    QStringView fraction = point < 0 ? QStringView() : number.mid(point + 1);
    if (whole.isEmpty() && fraction.isEmpty()) return failed(AllowanceError::NotANumber);
    if (!allDigits(whole) || !allDigits(fraction)) return failed(AllowanceError::NotANumber);
    if (negative) return failed(AllowanceError::NotPositive);

    while (fraction.endsWith(u'0')) fraction.chop(1);  // "2.5000" is 2.5
    if (fraction.size() > kAllowanceDecimals) return failed(AllowanceError::TooManyDecimals);
    while (whole.startsWith(u'0')) whole = whole.mid(1);
    if (whole.size() > kMostWholeDigits) return failed(AllowanceError::TooLarge);

    const std::int64_t perUnit = bytesPerUnit(unit);
    const std::int64_t units = whole.isEmpty() ? 0 : whole.toLongLong();
    if (units > kLargestAllowance / perUnit) return failed(AllowanceError::TooLarge);
    std::int64_t share = perUnit;
    for (qsizetype i = 0; i < fraction.size(); ++i) share /= 10;
    const std::int64_t bytes =
        units * perUnit + (fraction.isEmpty() ? 0 : fraction.toLongLong()) * share;
    if (bytes <= 0) return failed(AllowanceError::NotPositive);
    if (bytes > kLargestAllowance) return failed(AllowanceError::TooLarge);
    return {bytes, AllowanceError::None};
}

QString allowanceText(std::int64_t bytes, DataUnit unit) {
    const std::int64_t thousandth = bytesPerUnit(unit) / 1000;
    // Rounded half up without adding first, which could overflow the largest count.
    const std::int64_t thousandths =
        bytes <= 0 ? 0 : bytes / thousandth + (bytes % thousandth * 2 >= thousandth ? 1 : 0);
    QString text = QString::number(thousandths / 1000);
    QString decimals = QStringLiteral("%1").arg(thousandths % 1000, 3, 10, QLatin1Char('0'));
    while (decimals.endsWith(u'0')) decimals.chop(1);
    if (!decimals.isEmpty()) text += QLatin1Char('.') + decimals;
    return text;
}

const Bilingual& allowanceErrorMessage(AllowanceError error) {
    switch (error) {
        case AllowanceError::NotPositive:
            return kMsgAllowanceNotPositive;
        case AllowanceError::TooManyDecimals:
            return kMsgAllowanceDecimals;
        case AllowanceError::TooLarge:
            return kMsgAllowanceTooLarge;
        default:
            return kMsgAllowanceNotANumber;
    }
}

}  // namespace lt
