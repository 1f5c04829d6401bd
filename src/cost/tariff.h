#pragma once
// The tariff: one band for the whole week or one per weekday, each with a cost per hour
// inside the band and another for the rest of the day; and the pricing of a stretch of
// time, each piece at the rate in force during it.
#include <array>
#include <optional>

#include "core/ole_date.h"

namespace lt {

// One band. Desde and Hasta are seconds since midnight; Desde later than Hasta runs
// across midnight; both ends belong to the band; equal ends mean no rate at all.
struct TramoTarifa {
    int Desde = 0;
    int Hasta = 0;
    double CostoDesdeHasta = 0;
    double CostoResto = 0;

    bool hasRate() const { return Desde != Hasta; }
    // Is this time of day (seconds since midnight) inside the band?
    bool inside(double secondsOfDay) const;
    // The rate per hour at this time of day; nullopt for a band without a rate.
    std::optional<double> rateAt(double secondsOfDay) const;
};

struct TarifaConexion {
    // 'S': the weekly band holds every day; 'D': the band of the weekday holds.
    char AjusteCosto = 'S';
    TramoTarifa semanal;
    // Index 0 Sunday .. 6 Saturday.
    std::array<TramoTarifa, 7> diarios{};

    // The band in force on the day of this date value; nullopt when AjusteCosto is
    // neither 'S' nor 'D'.
    std::optional<TramoTarifa> bandFor(OleDate day) const;
};

// Prices the stretch [from, to) of wall-clock time: the stretch is split at every band
// edge and every midnight, and each piece is priced at the rate of its own band on its
// own day (pieces in a day whose band has no rate cost nothing). Money per hour times
// hours. Returns 0 when to <= from.
double priceInterval(const TarifaConexion& tariff, OleDate from, OleDate to);

}  // namespace lt
