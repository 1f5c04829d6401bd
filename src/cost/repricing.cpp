#include "cost/repricing.h"

#include <cmath>

namespace lt {

double precioSesion(const CondicionesCosto& c, OleDate inicio, long long segundos) {
    if (segundos <= 0) return 0;
    const auto at = [inicio](long long s) {
        return inicio + static_cast<double>(s) / kSecondsPerDay;
    };
    double reducido = 0;
    long long desde = 0;
    if (c.reduccion && c.cadaMinutos >= 1) {
        // Each period that ended before the session did is charged its share; counted in
        // whole seconds, as the running session's elapsed time is.
        const auto periodo = static_cast<long long>(std::round(c.cadaMinutos)) * 60;
        for (; desde + periodo < segundos; desde += periodo)
            reducido +=
                priceInterval(c.tarifa, at(desde), at(desde + periodo)) * c.porcentaje / 100.0;
    }
    const double base = reducido + priceInterval(c.tarifa, at(desde), at(segundos));
    return base + base * c.impuesto / 100.0;
}

}  // namespace lt
