#include "volume/allowance_warnings.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

#include "core/text_format.h"
#include "i18n/captions.h"
#include "volume/byte_units.h"
#include "volume/volume_texts.h"

namespace lt {

namespace {

constexpr int kLowestPercent = 1;
constexpr int kHighestPercent = 100;
constexpr qsizetype kLongestKey = 32;
constexpr const char* kMeasureNames[] = {"time", "data", "money"};
constexpr const char* kCutName = "cut";

std::size_t index(Measure measure) {
    return static_cast<std::size_t>(measure);
}

bool inRange(int percent) {
    return percent >= kLowestPercent && percent <= kHighestPercent;
}

// "1:30 h": whole minutes, hours without a limit.
QString hoursAndMinutes(double seconds) {
    const long long minutes = std::llround(std::fabs(seconds) / 60.0);
    return (seconds <= -30.0 ? QStringLiteral("-") : QString()) + QString::number(minutes / 60) +
           QLatin1Char(':') + formatTwoDigits(static_cast<int>(minutes % 60)) +
           QStringLiteral(" h");
}

// Period keys go into the saved text as they are, so they may not hold its separators.
bool isSafeKey(const QString& key) {
    if (key.isEmpty() || key.size() > kLongestKey) return false;
    return std::all_of(key.begin(), key.end(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
               c == u'-';
    });
}

std::optional<int> parsePercent(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    const bool digitsOnly =
        !text.isEmpty() && text.size() <= 3 &&
        std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!ok || !digitsOnly || !inRange(value)) return std::nullopt;
    return value;
}

std::vector<int> tidy(std::vector<int> percents) {
    std::erase_if(percents, [](int p) { return !inRange(p); });
    std::sort(percents.begin(), percents.end());
    percents.erase(std::unique(percents.begin(), percents.end()), percents.end());
    return percents;
}

int measureIndex(const QString& name) {
    for (int i = 0; i < kMeasureCount; ++i)
        if (name == QLatin1String(kMeasureNames[i])) return i;
    return -1;
}

}  // namespace

QString formatAmount(Measure measure, double amount, const QString& currency) {
    switch (measure) {
        case Measure::Time:
            return hoursAndMinutes(amount);
        case Measure::Volume:
            return formatBytes(std::llround(amount));
        default:
            return formatMoney(amount) +
                   (currency.isEmpty() ? QString() : QLatin1Char(' ') + currency);
    }
}

std::optional<std::vector<int>> parseThresholds(const QString& text) {
    std::vector<int> percents;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString item = part.trimmed();
        if (item.isEmpty()) continue;
        const std::optional<int> percent = parsePercent(item);
        if (!percent) return std::nullopt;
        percents.push_back(*percent);
    }
    return tidy(std::move(percents));
}

QString thresholdsText(const std::vector<int>& percents) {
    QStringList parts;
    for (const int p : percents) parts << QString::number(p);
    return parts.join(QLatin1Char(','));
}

AllowanceWarnings::AllowanceWarnings() {
    for (auto& t : thresholds_)
        t.assign(std::begin(kDefaultThresholds), std::end(kDefaultThresholds));
}

void AllowanceWarnings::setThresholds(Measure measure, std::vector<int> percents) {
    thresholds_[index(measure)] = tidy(std::move(percents));
}

const std::vector<int>& AllowanceWarnings::thresholds(Measure measure) const {
    return thresholds_[index(measure)];
}

std::optional<int> AllowanceWarnings::crossed(Measure measure, const QString& periodKey,
                                              double used, double limit) {
    if (!std::isfinite(used) || !std::isfinite(limit) || limit <= 0) return std::nullopt;
    Told& told = told_[index(measure)];
    if (told.period != periodKey) told = {periodKey, 0};

    int reached = 0;
    for (const int percent : thresholds_[index(measure)])
        if (used * 100.0 >= percent * limit) reached = percent;
    if (reached > told.highest) {
        told.highest = reached;
        return reached;
    }
    told.highest = reached;  // the same, or lower after the allowance was raised
    return std::nullopt;
}

bool AllowanceWarnings::cutSoon(const QString& key, long long secondsToCut) {
    if (secondsToCut <= 0 || secondsToCut > kCutSoonSeconds || key == cutTold_) return false;
    cutTold_ = key;
    return true;
}

QString AllowanceWarnings::saved() const {
    QStringList entries;
    for (int i = 0; i < kMeasureCount; ++i) {
        const Told& told = told_[static_cast<std::size_t>(i)];
        if (told.highest == 0 || !isSafeKey(told.period)) continue;
        entries << QLatin1String(kMeasureNames[i]) + QLatin1Char(':') + told.period +
                       QLatin1Char(':') + QString::number(told.highest);
    }
    if (isSafeKey(cutTold_)) entries << QLatin1String(kCutName) + QLatin1Char(':') + cutTold_;
    return entries.join(QLatin1Char(','));
}

bool AllowanceWarnings::restore(const QString& text) {
    std::array<Told, kMeasureCount> told;
    QString cut;
    bool damaged = false;
    for (const QString& entry : text.trimmed().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList fields = entry.split(QLatin1Char(':'));
        const int measure = measureIndex(fields.value(0));
        if (measure >= 0 && fields.size() == 3 && isSafeKey(fields[1]) &&
            told[static_cast<std::size_t>(measure)].highest == 0) {
            const std::optional<int> percent = parsePercent(fields[2]);
            damaged = damaged || !percent;
            told[static_cast<std::size_t>(measure)] = {fields[1], percent.value_or(0)};
        } else if (fields.value(0) == QLatin1String(kCutName) && fields.size() == 2 &&
                   isSafeKey(fields[1]) && cut.isEmpty()) {
            cut = fields[1];
        } else {
            damaged = true;
        }
    }
    if (damaged) {
        told = {};
        cut.clear();
    }
    told_ = told;
    cutTold_ = cut;
    return !damaged;
}

Notification thresholdNotification(int codigoIdioma, Measure measure, int percent,
                                   const BillingPeriod& period, double used, double limit,
                                   const QString& currency) {
    const auto amount = [&](double value) {
        return measure == Measure::Volume
                   ? formatBytesInUnitOf(std::llround(value), std::llround(limit))
                   : formatAmount(measure, value, currency);
    };
    const QString thisPeriod = textIn(codigoIdioma, kThisPeriod[static_cast<int>(period.kind)]);
    const QString renewal = formatDate(period.nextStart);
    const QString body = used >= limit ? textIn(codigoIdioma, kWarningBodyUsedUp)
                                             .arg(amount(used), amount(limit), thisPeriod, renewal)
                                       : textIn(codigoIdioma, kWarningBody)
                                             .arg(amount(used), amount(limit), thisPeriod,
                                                  amount(limit - used), renewal);
    return {textIn(codigoIdioma, kWarningTitle[index(measure)]).arg(percent), body};
}

Notification cutSoonNotification(int codigoIdioma, long long secondsToCut) {
    const long long minutes = std::max(1LL, (secondsToCut + 59) / 60);
    const QString body = minutes == 1 ? textIn(codigoIdioma, kCutSoonOneMinute)
                                      : textIn(codigoIdioma, kCutSoonMinutes).arg(minutes);
    return {textIn(codigoIdioma, kCutSoonTitle), body};
}

}  // namespace lt
