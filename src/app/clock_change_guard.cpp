#include "app/clock_change_guard.h"

#include <cmath>

#include "core/clock.h"
#include "form/estado_monitor.h"
#include "form/main_form.h"
#include "i18n/captions.h"

namespace lt {

void ClockChangeGuard::observarTick() {
    prevWall_ = clock_.now();
    prevMono_ = clock_.monotonicMs();
    pasoPropio_ = 0;
}

void ClockChangeGuard::CheckViolacionTiempoPC() {
    if (prevMono_ == 0) return;
    const double wall = (clock_.now() - prevWall_) * kSecondsPerDay;
    const double mono = static_cast<double>(clock_.monotonicMs() - prevMono_) / 1000.0;
    if (std::abs(wall - mono - pasoPropio_) <= kToleranceSeconds) return;
    // One query per change: public servers refuse clients that ask again within seconds.
    estado_.PasoServidorTiempo = 6;
    if (tiServerInternet_) tiServerInternet_();
    form_.LbEstadoRelojServer_Estado.setCaption(textIn(estado_.CodigoIdioma, kClockChanged) +
                                                QString(51, QLatin1Char('.')));
}

}  // namespace lt
