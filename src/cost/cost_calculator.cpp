#include "cost/cost_calculator.h"

#include "core/clock.h"
#include "core/conversions.h"
#include "core/text_format.h"
#include "form/estado_monitor.h"
#include "form/main_form.h"

namespace lt {

namespace {

TramoTarifa bandFrom(TarifaControls& t) {
    auto whole = [](const TextBox& b) {
        return static_cast<int>(roundHalfEven(leadingNumber(b.text())));
    };
    TramoTarifa band;
    band.Desde = whole(t.TxHHDesde) * 3600 + whole(t.TxMMDesde) * 60 + whole(t.TxSSDesde);
    band.Hasta = whole(t.TxHHHasta) * 3600 + whole(t.TxMMHasta) * 60 + whole(t.TxSSHasta);
    band.CostoDesdeHasta = leadingNumber(t.TxCostoHs.text());
    band.CostoResto = leadingNumber(t.TxCostoHsResto.text());
    return band;
}

}  // namespace

TarifaConexion CostCalculator::TarifaActual() const {
    TarifaConexion tariff;
    const QString& ajuste = estado_.AjusteCosto;
    tariff.AjusteCosto = ajuste == QLatin1String("D")   ? 'D'
                         : ajuste == QLatin1String("S") ? 'S'
                                                        : '?';
    tariff.semanal = bandFrom(form_.Tarifas[0]);
    for (size_t day = 0; day < 7; ++day) tariff.diarios[day] = bandFrom(form_.Tarifas[day + 1]);
    return tariff;
}

CondicionesCosto CostCalculator::condicionesActuales() const {
    return {TarifaActual(), leadingNumber(form_.TxImpuestos_Costo.text().trimmed()),
            form_.CkReduccionCosto_Costo.value() == 1,
            leadingNumber(form_.TxCadaReduccionCosto_Costo.text()),
            leadingNumber(form_.TxPorcentajeReduccionCosto_Costo.text())};
}

void CostCalculator::iniciarTramo() {
    estado_.InicioTramo = clock_.now();
    estado_.InicioTramoMono = clock_.monotonicMs();
    estado_.TimerInicioTramo = clock_.timer();
}

void CostCalculator::calcularHasta(OleDate endWall, std::int64_t endMono) {
    finForzado_ = endWall;
    finForzadoMono_ = endMono;
    calcular();
    finForzado_ = 0;
}

void CostCalculator::TiCostos_Timer() {
    TimerModel& timer = form_.TiCostos;
    if (timer.interval() != 60000) {
        // First tick of the run: switch to one tick a minute and fix the interval.
        form_.TxCOCostoConexionActual_Estado.setText(formatMoney(estado_.CostoParcial));
        timer.setInterval(60000);
        const int minutes = static_cast<int>(roundHalfEven(
            leadingNumber(form_.TxIntervaloTiempoCosto_Configuracion.text().trimmed())));
        // An interval below one minute would never come round; the validator's 5 stands in.
        IntervaloCalculo = minutes >= 1 ? minutes : 5;
        ContadorMinutos = 1;
        return;
    }
    if (ContadorMinutos != IntervaloCalculo && estado_.Conectado) {
        ++ContadorMinutos;
        return;
    }
    ContadorMinutos = 1;
    calcular();
}

float CostCalculator::costoParcialHasta(OleDate end, std::int64_t endMono) const {
    const TarifaConexion tariff = TarifaActual();
    // The stretch priced is the time that really passed (monotonic clock), ending at the
    // wall-clock instant given.
    const OleDate start =
        end - static_cast<double>(endMono - estado_.InicioTramoMono) / (kSecondsPerDay * 1000.0);
    if (tariff.bandFor(end) && estado_.InicioTramo > 0)
        return static_cast<float>(priceInterval(tariff, start, end));
    return estado_.CostoParcial;
}

float CostCalculator::conImpuestos(float parcial) const {
    const float base = parcial + estado_.CostoReducido;
    const auto tax = static_cast<float>(leadingNumber(form_.TxImpuestos_Costo.text().trimmed()));
    return base + base * tax / 100.0f;
}

CostCalculator::Precio CostCalculator::precioAhora() const {
    const float total = conImpuestos(costoParcialHasta(clock_.now(), clock_.monotonicMs()));
    return {formatMoney(total), formatMoney(total + estado_.CostoAcumuladoPorSesion)};
}

void CostCalculator::calcular() {
    // Up to now, or to the instant a sleep began.
    const OleDate end = finForzado_ > 0 ? finForzado_ : clock_.now();
    const std::int64_t endMono = finForzado_ > 0 ? finForzadoMono_ : clock_.monotonicMs();
    estado_.CostoParcial = costoParcialHasta(end, endMono);
    if (form_.CkReduccionCosto_Costo.value() == 1) aplicarReduccion();

    const float total = conImpuestos(estado_.CostoParcial);
    form_.TxCOCostoConexionActual_Estado.setText(formatMoney(total));
    // The accumulated cost of the finished sessions is the one held in memory: a settings
    // file that could not be written must not freeze it at its last saved value.
    form_.TxCOCostoAcumuladoDesde.setText(formatMoney(total + estado_.CostoAcumuladoPorSesion));
    form_.FrChico.LbTiempo.setCaption(form_.TxTITiempoConexion_Estado.text());
    form_.FrChico.LbCosto.setCaption(form_.TxCOCostoConexionActual_Estado.text());
}

void CostCalculator::aplicarReduccion() {
    const auto elapsed = parseDurationSeconds(form_.TxTITiempoConexion_Estado.text());
    if (!elapsed) return;
    const double minutes = roundHalfEven(leadingNumber(form_.TxCadaReduccionCosto_Costo.text()) *
                                         (estado_.PeriodosReduccion + 1));
    if (static_cast<double>(*elapsed) <= minutes * 60.0) return;
    const auto percent =
        static_cast<float>(leadingNumber(form_.TxPorcentajeReduccionCosto_Costo.text()));
    estado_.CostoReducido += estado_.CostoParcial * percent / 100.0f;
    estado_.CostoParcial = 0;
    ++estado_.PeriodosReduccion;
    iniciarTramo();
}

}  // namespace lt
