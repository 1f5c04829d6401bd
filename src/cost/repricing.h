#pragma once
// What a stored session would have cost under the tariff on the cost tab now: the same
// split pricing as a live session (each piece at its own band and day), the reduction for
// each finished period and the tax.
#include "cost/tariff.h"

namespace lt {

struct CondicionesCosto {
    TarifaConexion tarifa;
    double impuesto = 0;  // percent
    bool reduccion = false;
    double cadaMinutos = 0;   // a period of the reduction
    double porcentaje = 100;  // what a finished period is charged, percent
};

// A session that began at `inicio` and lasted `segundos`.
double precioSesion(const CondicionesCosto& c, OleDate inicio, long long segundos);

}  // namespace lt
