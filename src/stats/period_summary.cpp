#include "stats/period_summary.h"

#include "core/clock.h"
#include "core/conversions.h"
#include "core/grid.h"
#include "core/text_format.h"
#include "form/estado_monitor.h"
#include "form/main_form.h"
#include "i18n/captions.h"

namespace lt {

void PeriodSummary::cargar(const std::vector<SesionesDelDia>& history) {
    vaciar();
    for (const SesionesDelDia& d : history) {
        const QDate day = oleToDate(static_cast<double>(d.day));
        if (day.year() != year_ || day.month() != month_) continue;
        Totales& t = days_[day.day()];
        t.seconds += d.seconds;
        t.cost += d.cost;
    }
    mostrar();
}

void PeriodSummary::vaciar() {
    const QDate today = oleToDate(clock_.date());
    year_ = today.year();
    month_ = today.month();
    days_.clear();
}

void PeriodSummary::sesionGuardada(const QStringList& row) {
    if (row.size() < 5) return;
    sumar(row[0], row[3], row[4]);
    mostrar();
}

void PeriodSummary::sumar(const QString& fecha, const QString& duracion, const QString& costo) {
    const auto day = strictDate(fecha);
    if (!day) return;
    const QDate d = oleToDate(*day);
    if (d.year() != year_ || d.month() != month_) return;
    Totales& t = days_[d.day()];
    t.seconds += parseDurationSeconds(duracion).value_or(0);
    t.cost += strictReal(costo).value_or(0.0);
}

QString PeriodSummary::linea(const char* english, const char* spanish, const Totales& t) const {
    const QString moneda = estado_.Moneda.isEmpty() ? QString() : QLatin1Char(' ') + estado_.Moneda;
    return QString::fromUtf8(pickText(estado_.CodigoIdioma, english, spanish)) + QLatin1Char(' ') +
           formatDurationSeconds(t.seconds) + QStringLiteral("   ") + formatMoney(t.cost) + moneda;
}

void PeriodSummary::mostrar() {
    const QDate today = oleToDate(clock_.date());
    // A new month starts from nothing: no finished session can belong to it yet.
    if (today.year() != year_ || today.month() != month_) vaciar();
    Totales day = days_.count(today.day()) ? days_.at(today.day()) : Totales{};
    Totales month;
    for (const auto& [d, t] : days_) {
        month.seconds += t.seconds;
        month.cost += t.cost;
    }
    // The running session counts in the day it began.
    if (form_.LbTIEStadoE_Estado.caption().startsWith(QLatin1Char('C'))) {
        const auto started = strictDate(form_.TxISFecha_Estado.text());
        const long long seconds =
            parseDurationSeconds(form_.TxTITiempoConexion_Estado.text()).value_or(0);
        const double cost = strictReal(form_.TxCOCostoConexionActual_Estado.text()).value_or(0);
        const QDate from = started ? oleToDate(*started) : today;
        if (from.year() == year_ && from.month() == month_) {
            month.seconds += seconds;
            month.cost += cost;
            if (from == today) {
                day.seconds += seconds;
                day.cost += cost;
            }
        }
    }
    form_.LbHoy_Estado.setCaption(linea(kToday.english, kToday.spanish, day));
    form_.LbMes_Estado.setCaption(linea(kThisMonth.english, kThisMonth.spanish, month));
}

}  // namespace lt
