#pragma once
// Where the use of a period is heading: the use at its end at the pace so far, and how
// much each day left may use to stay inside the allowance.
#include <QString>
#include <optional>

#include "core/ole_date.h"
#include "volume/allowance_warnings.h"
#include "volume/billing_period.h"

namespace lt {

// A pace needs this part of the period behind it (an hour of a day, seven hours of a
// week, about a day and a quarter of a month): a projection from the first minutes would
// swing wildly.
inline constexpr long long kForecastLeadDivisor = 24;

struct Forecast {
    std::optional<double> projected;  // the use at the period's end at this pace
    std::optional<double> perDay;     // each day left, to stay inside; 0 once used up
    bool exceedsLimit = false;        // the use, or its projection, goes past the allowance
};

// Days left in the period with today counted whole, so that the amount a day never lets
// the last evening overrun; 0 once the period is over.
long long daysLeft(const BillingPeriod& period, OleDate now);

// A limit of 0 or less is no allowance: a projection only.
Forecast forecastUse(const BillingPeriod& period, OleDate now, double used, double limit);

// "1.2 GB a day from now on", or that the allowance is used up until the next period;
// empty without an allowance.
QString perDayText(int codigoIdioma, Measure measure, const Forecast& forecast,
                   const BillingPeriod& period, const QString& currency = {});
// "At this pace: 2.4 GB by 15/01/2027"; empty while there is no projection.
QString paceText(int codigoIdioma, Measure measure, const Forecast& forecast,
                 const BillingPeriod& period, const QString& currency = {});

}  // namespace lt
