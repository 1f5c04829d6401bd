#include "volume/forecast.h"

#include <cmath>

#include "core/text_format.h"
#include "i18n/captions.h"
#include "volume/volume_texts.h"

namespace lt {

namespace {

constexpr long long kSecondsInDay = 86400;

}  // namespace

long long daysLeft(const BillingPeriod& period, OleDate now) {
    return (period.remainingSeconds(now) + kSecondsInDay - 1) / kSecondsInDay;
}

Forecast forecastUse(const BillingPeriod& period, OleDate now, double used, double limit) {
    Forecast forecast;
    if (!std::isfinite(used) || !std::isfinite(limit)) return forecast;
    const long long elapsed = period.elapsedSeconds(now);
    const long long length = period.lengthSeconds();
    if (elapsed > 0 && elapsed >= length / kForecastLeadDivisor)
        forecast.projected = used * static_cast<double>(length) / static_cast<double>(elapsed);
    if (limit <= 0) return forecast;

    const long long days = daysLeft(period, now);
    if (used >= limit) {
        forecast.perDay = 0.0;
    } else if (days > 0) {
        forecast.perDay = (limit - used) / static_cast<double>(days);
    }
    forecast.exceedsLimit = used > limit || (forecast.projected && *forecast.projected > limit);
    return forecast;
}

QString perDayText(int codigoIdioma, Measure measure, const Forecast& forecast,
                   const BillingPeriod& period, const QString& currency) {
    if (!forecast.perDay) return {};
    if (*forecast.perDay <= 0) {
        return textIn(codigoIdioma, kForecastUsedUp[static_cast<int>(measure)])
            .arg(formatDate(period.nextStart));
    }
    return textIn(codigoIdioma, kForecastPerDay)
        .arg(formatAmount(measure, *forecast.perDay, currency));
}

QString paceText(int codigoIdioma, Measure measure, const Forecast& forecast,
                 const BillingPeriod& period, const QString& currency) {
    if (!forecast.projected) return {};
    return textIn(codigoIdioma, kForecastPace)
        .arg(formatAmount(measure, *forecast.projected, currency), formatDate(period.nextStart));
}

}  // namespace lt
