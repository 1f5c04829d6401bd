#include "cost/tariff.h"

#include <algorithm>
#include <cmath>

namespace lt {

namespace {

constexpr long long kMsPerDay = 86'400'000;
constexpr double kMsPerHour = 3'600'000.0;
// The same horizon as the date helpers: whole milliseconds stay exact in a long long.
constexpr double kMaxDays = 1.0e7;

// A date value as milliseconds on a straight time line. Before day zero a date value
// counts whole days back but the time of day forward, so its numeric order is not the
// order in time; the line restores it. Whole milliseconds also keep the floating
// noise of a date value (a few microseconds) from leaving slivers at band edges.
std::optional<long long> toLineMs(OleDate v) {
    if (!std::isfinite(v) || std::fabs(v) > kMaxDays) return std::nullopt;
    const double days = std::trunc(v);
    const double fraction = std::fabs(v - days);
    return static_cast<long long>(days) * kMsPerDay +
           std::llround(fraction * static_cast<double>(kMsPerDay));
}

long long floorDiv(long long a, long long b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// Money for [from, to) of one day's milliseconds under this band.
double priceWithinDay(const TramoTarifa& band, long long from, long long to) {
    if (!band.hasRate() || to <= from) return 0.0;
    // The edges inside the stretch, in order, cut it into at most three pieces.
    const long long lo = static_cast<long long>(std::min(band.Desde, band.Hasta)) * 1000;
    const long long hi = static_cast<long long>(std::max(band.Desde, band.Hasta)) * 1000;
    long long cuts[4] = {from, 0, 0, 0};
    int n = 1;
    if (lo > from && lo < to) cuts[n++] = lo;
    if (hi > from && hi < to) cuts[n++] = hi;
    cuts[n++] = to;
    double total = 0.0;
    for (int i = 0; i + 1 < n; ++i) {
        const long long a = cuts[i];
        const long long b = cuts[i + 1];
        if (b <= a) continue;
        // A piece lies wholly on one side of the band's edges; its middle tells which.
        const double middle = (static_cast<double>(a) + static_cast<double>(b)) / 2000.0;
        total += *band.rateAt(middle) * static_cast<double>(b - a) / kMsPerHour;
    }
    return total;
}

}  // namespace

bool TramoTarifa::inside(double secondsOfDay) const {
    const double desde = Desde;
    const double hasta = Hasta;
    if (Desde < Hasta) return secondsOfDay >= desde && secondsOfDay <= hasta;
    if (Desde > Hasta) return secondsOfDay >= desde || secondsOfDay <= hasta;
    return false;
}

std::optional<double> TramoTarifa::rateAt(double secondsOfDay) const {
    if (!hasRate()) return std::nullopt;
    return inside(secondsOfDay) ? CostoDesdeHasta : CostoResto;
}

std::optional<TramoTarifa> TarifaConexion::bandFor(OleDate day) const {
    if (AjusteCosto == 'S') return semanal;
    if (AjusteCosto == 'D') return diarios[static_cast<size_t>(oleWeekday(day) - 1)];
    return std::nullopt;
}

double priceInterval(const TarifaConexion& tariff, OleDate from, OleDate to) {
    const auto start = toLineMs(from);
    const auto end = toLineMs(to);
    if (!start || !end || *end <= *start) return 0.0;
    if (tariff.AjusteCosto != 'S' && tariff.AjusteCosto != 'D') return 0.0;

    const long long firstDay = floorDiv(*start, kMsPerDay);
    const long long lastDay = floorDiv(*end, kMsPerDay);
    const long long startInDay = *start - firstDay * kMsPerDay;
    const long long endInDay = *end - lastDay * kMsPerDay;
    auto band = [&](long long day) { return *tariff.bandFor(static_cast<OleDate>(day)); };

    if (firstDay == lastDay) return priceWithinDay(band(firstDay), startInDay, endInDay);

    double total = priceWithinDay(band(firstDay), startInDay, kMsPerDay) +
                   priceWithinDay(band(lastDay), 0, endInDay);
    // The whole days between repeat with the week: price each weekday once and count it,
    // so that a month costs no more than a week however often the tick asks.
    const long long wholeDays = lastDay - firstDay - 1;
    for (long long i = 0; i < std::min<long long>(wholeDays, 7); ++i) {
        const long long count = (wholeDays - i + 6) / 7;
        total += static_cast<double>(count) * priceWithinDay(band(firstDay + 1 + i), 0, kMsPerDay);
    }
    return total;
}

}  // namespace lt
