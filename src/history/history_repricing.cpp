#include "history/history_repricing.h"

#include "core/clock.h"
#include "core/conversions.h"
#include "core/text_format.h"
#include "form/estado_monitor.h"
#include "form/main_form.h"
#include "form/messages.h"
#include "i18n/captions.h"

namespace lt {

HistoryRepricing::HistoryRepricing(MainForm& form, EstadoMonitor& estado, const Clock& clock,
                                   HistoryStore& store, Messages& messages,
                                   std::function<CondicionesCosto()> condiciones,
                                   std::function<void()> historialCambiado)
    : form_(form),
      estado_(estado),
      clock_(clock),
      store_(store),
      messages_(messages),
      condiciones_(std::move(condiciones)),
      historialCambiado_(std::move(historialCambiado)) {
    form_.CdAplicarPrecios_Costo.setEnabled(false);
    // This month so far, to start from.
    const OleDate today = clock_.date();
    form_.TxRepreciarDesde_Costo.setText(formatDate(today - (oleToDate(today).day() - 1)));
    form_.TxRepreciarHasta_Costo.setText(formatDate(today));
}

void HistoryRepricing::mostrar(const QString& texto) {
    form_.LbRepreciarResultado_Costo.setCaption(texto);
}

void HistoryRepricing::CdRepreciar_Costo_Click() {
    nuevos_.clear();
    form_.CdAplicarPrecios_Costo.setEnabled(false);
    const auto desde = strictDate(form_.TxRepreciarDesde_Costo.text());
    const auto hasta = strictDate(form_.TxRepreciarHasta_Costo.text());
    if (!desde || !hasta || *desde > *hasta) {
        mostrar(textIn(estado_.CodigoIdioma, kRepricingDates));
        return;
    }
    std::vector<StoredCost> rows;
    if (!store_.costsBetween(static_cast<long long>(*desde) - kUnixEpochDay,
                             static_cast<long long>(*hasta) - kUnixEpochDay, rows)) {
        mostrar(textIn(estado_.CodigoIdioma, kMsgHistoryNotRead).arg(store_.error()));
        return;
    }
    const CondicionesCosto condiciones = condiciones_();
    double guardado = 0, nuevo = 0, diferencia = 0;
    for (StoredCost& r : rows) {
        const auto dia = strictDate(r.fecha);
        const auto hora = parseTimeOfDay(r.HoraInicio);
        const auto segundos = parseDurationSeconds(r.TiempoConexion);
        const auto costo = strictReal(r.costo);
        // A session whose texts do not read keeps them.
        if (!dia || !hora || !segundos || !costo) continue;
        // As stored, so that the totals shown add up the texts written.
        const double exacto = precioSesion(condiciones, *dia + *hora, *segundos);
        const double precio = strictReal(formatMoney(exacto)).value_or(exacto);
        guardado += *costo;
        nuevo += precio;
        diferencia += precio - *costo;
        r.costo = formatMoney(precio);
        if (const auto acumulado = strictReal(r.CostoAcumulado))
            r.CostoAcumulado = formatMoney(*acumulado + diferencia);
        nuevos_.push_back(std::move(r));
    }
    if (nuevos_.empty()) {
        mostrar(textIn(estado_.CodigoIdioma, kRepricingNone));
        return;
    }
    mostrar(textIn(estado_.CodigoIdioma, kRepricingResult)
                .arg(nuevos_.size())
                .arg(formatMoney(guardado), formatMoney(nuevo)));
    form_.CdAplicarPrecios_Costo.setEnabled(true);
}

void HistoryRepricing::CdAplicarPrecios_Costo_Click() {
    if (nuevos_.empty()) return;
    messages_.ask(kAskRepricing, [this](bool yes) {
        if (yes) aplicar();
    });
}

void HistoryRepricing::aplicar() {
    if (nuevos_.empty()) return;
    const QString copy = store_.path() + QStringLiteral(".repriced-") +
                         oleToDateTime(clock_.now()).toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (!store_.copyTo(copy) || !store_.rewriteCosts(nuevos_)) {
        messages_.warn(kMsgHistoryNotRepriced, store_.error());
        return;
    }
    nuevos_.clear();
    form_.CdAplicarPrecios_Costo.setEnabled(false);
    if (historialCambiado_) historialCambiado_();
    messages_.show(MessageBox::Icon::Information, kMsgHistoryRepriced, copy);
}

}  // namespace lt
