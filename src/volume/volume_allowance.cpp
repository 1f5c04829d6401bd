#include "volume/volume_allowance.h"

#include <QDate>
#include <algorithm>
#include <cmath>

#include "core/clock.h"
#include "core/conversions.h"
#include "core/grid.h"
#include "core/text_format.h"
#include "form/estado_monitor.h"
#include "form/main_form.h"
#include "form/messages.h"
#include "volume/byte_units.h"
#include "volume/forecast.h"
#include "volume/volume_texts.h"

namespace lt {

namespace {

// A billing month reaches back at most 31 days; the rest of the history is not needed.
constexpr long long kDaysKept = 40;
// A cut that found nothing to end is tried again this rarely: no churn on the bus.
constexpr std::int64_t kCutRetryMs = 60'000;

constexpr Bilingual kSessionVolume{"Received: %1   Sent: %2   (%3 down, %4 up)",
                                   "Recibido: %1   Enviado: %2   (%3 bajada, %4 subida)"};
// By measure: %1 used, %2 the period ("this month").
constexpr Bilingual kUseLine[] = {{"Time %2: %1", "Tiempo %2: %1"},
                                  {"Data %2: %1", "Datos %2: %1"},
                                  {"Spent %2: %1", "Gastado %2: %1"}};
// %1 the allowance, %2 what is left.
constexpr Bilingual kOfLeft{" of %1, %2 left", " de %1, quedan %2"};
constexpr Bilingual kVolumeCut{"The data allowance is used up (%1): the connection was ended.",
                               "La cuota de datos está agotada (%1): se terminó la conexión."};
constexpr Bilingual kVolumeCutImpossible{
    "The data allowance is used up (%1), but no connection could be ended here.",
    "La cuota de datos está agotada (%1), pero aquí no se pudo terminar ninguna conexión."};
constexpr Bilingual kMsgBillingDay{"Nonvalid value: the month may start on days 1 to 28",
                                   "Valor no válido: el mes puede empezar los días 1 a 28"};
constexpr Bilingual kMsgBudget{
    "Nonvalid value: the budget is an amount above 0 (such as 30.00), or empty for none",
    "Valor no válido: el presupuesto es un importe mayor que 0 (como 30.00), o vacío si no hay"};
constexpr Bilingual kPeriods[] = {{"no allowance", "sin cuota"},
                                  {"a day", "por día"},
                                  {"a week", "por semana"},
                                  {"a month", "por mes"}};
constexpr Bilingual kMsgVolumeAccepted{"Completed all data", "Datos completos"};

long long dayOf(OleDate d) {
    return static_cast<long long>(std::floor(d));
}

PeriodKind kindOf(int periodo) {
    return periodo == 1 ? PeriodKind::Day : periodo == 2 ? PeriodKind::Week : PeriodKind::Month;
}

DataUnit unitOf(const QString& unidad) {
    return unidad == QLatin1String("MB") ? DataUnit::Megabytes : DataUnit::Gigabytes;
}

}  // namespace

VolumeAllowance::VolumeAllowance(MainForm& form, EstadoMonitor& estado, const Clock& clock,
                                 TrafficCounters& counters, Messages& messages, Hooks hooks)
    : form_(form),
      estado_(estado),
      clock_(clock),
      counters_(&counters),
      messages_(messages),
      hooks_(std::move(hooks)) {
    reading_.reserve(8);
}

void VolumeAllowance::cargar(const std::vector<SesionesDelDia>& history) {
    dias_.clear();
    const long long oldest = dayOf(clock_.date()) - kDaysKept;
    for (const SesionesDelDia& d : history) {
        if (d.day < oldest) continue;
        Dia& dia = dias_[d.day];
        dia.bytes +=
            static_cast<double>(d.received.value_or(0)) + static_cast<double>(d.sent.value_or(0));
        dia.cost += d.cost;
    }
    aplicarUmbrales();
    restaurarAvisos();
    mostrar();
}

void VolumeAllowance::sesionGuardada(const QStringList& row) {
    if (row.size() < 8) return;
    sumar(row[0], row[4], row[6], row[7]);
}

void VolumeAllowance::vaciar() {
    dias_.clear();
    mostrar();
}

void VolumeAllowance::sumar(const QString& fecha, const QString& costo, const QString& recibidos,
                            const QString& enviados) {
    const auto date = strictDate(fecha);
    if (!date || dayOf(*date) < dayOf(clock_.date()) - kDaysKept) return;
    Dia& d = dias_[dayOf(*date)];
    d.bytes += static_cast<double>(bytesOf(recibidos).value_or(0)) +
               static_cast<double>(bytesOf(enviados).value_or(0));
    d.cost += strictReal(costo).value_or(0.0);
}

void VolumeAllowance::aplicarUmbrales() {
    const std::vector<int> avisos = parseThresholds(estado_.Avisos)
                                        .value_or(std::vector<int>(std::begin(kDefaultThresholds),
                                                                   std::end(kDefaultThresholds)));
    warnings_.setThresholds(Measure::Time, avisos);
    warnings_.setThresholds(Measure::Money, avisos);
    // A data allowance also says when it is used up, whether it cuts or only warns.
    std::vector<int> datos = avisos;
    datos.push_back(100);
    warnings_.setThresholds(Measure::Volume, datos);
}

void VolumeAllowance::restaurarAvisos() {
    if (!warnings_.restore(estado_.AvisosDados)) estado_.AvisosDados.clear();
}

bool VolumeAllowance::enSesion() const {
    return form_.LbTIEStadoE_Estado.caption().startsWith(QLatin1Char('C'));
}

void VolumeAllowance::sesionNueva() {
    estado_.BytesContados = counters_->read(reading_);
    meter_.start(reading_, clock_.monotonicMs());
    estado_.BytesRecibidos = estado_.BytesEnviados = 0;
    estado_.TasaRecibida = estado_.TasaEnviada = 0;
}

void VolumeAllowance::sesionCerrada() {
    meter_.stop();
    estado_.BytesContados = false;
    estado_.BytesRecibidos = estado_.BytesEnviados = 0;
    estado_.TasaRecibida = estado_.TasaEnviada = 0;
    mostrar();
}

void VolumeAllowance::tick() {
    if (enSesion()) {
        if (!meter_.running()) {
            sesionNueva();
        } else {
            if (counters_->read(reading_)) estado_.BytesContados = true;
            meter_.sample(reading_, clock_.monotonicMs());
        }
        estado_.BytesRecibidos = meter_.received();
        estado_.BytesEnviados = meter_.sent();
        estado_.TasaRecibida = meter_.receivedPerSecond();
        estado_.TasaEnviada = meter_.sentPerSecond();
    }
    const QString antes = warnings_.saved();
    const Uso tiempo = usoTiempo(), volumen = usoVolumen(), dinero = usoDinero();
    revisar(Measure::Time, tiempo);
    revisar(Measure::Volume, volumen);
    revisar(Measure::Money, dinero);
    revisarCortesProximos(tiempo, volumen);
    revisarCorteVolumen(volumen);
    if (warnings_.saved() != antes) {
        estado_.AvisosDados = warnings_.saved();
        if (hooks_.guardarAjustes) hooks_.guardarAjustes();
    }
    mostrar(tiempo, volumen, dinero);
}

double VolumeAllowance::sumaDias(const BillingPeriod& p, double Dia::*campo) const {
    double total = 0;
    for (auto it = dias_.lower_bound(dayOf(p.start));
         it != dias_.end() && it->first < dayOf(p.nextStart); ++it)
        total += it->second.*campo;
    return total;
}

VolumeAllowance::Uso VolumeAllowance::usoVolumen() const {
    Uso uso;
    // Without an allowance the billing month still says how much was used.
    uso.period =
        periodContaining(estado_.VolPeriodo == 0 ? PeriodKind::Month : kindOf(estado_.VolPeriodo),
                         clock_.now(), estado_.DiaFacturacion);
    if (!uso.period) return uso;
    uso.used = sumaDias(*uso.period, &Dia::bytes);
    if (enSesion()) uso.used += static_cast<double>(estado_.BytesRecibidos + estado_.BytesEnviados);
    if (estado_.VolPeriodo != 0) {
        const AllowanceParse limit = parseAllowance(estado_.VolCantidad, unitOf(estado_.VolUnidad));
        if (limit.ok()) uso.limit = static_cast<double>(limit.bytes);
    }
    return uso;
}

VolumeAllowance::Uso VolumeAllowance::usoDinero() const {
    Uso uso;
    const auto budget = strictReal(estado_.Presupuesto);
    if (!budget || *budget <= 0) return uso;
    uso.period = periodContaining(PeriodKind::Month, clock_.now(), estado_.DiaFacturacion);
    if (!uso.period) return uso;
    uso.limit = *budget;
    uso.used = sumaDias(*uso.period, &Dia::cost);
    if (enSesion()) uso.used += strictReal(form_.TxCOCostoConexionActual_Estado.text()).value_or(0);
    return uso;
}

VolumeAllowance::Uso VolumeAllowance::usoTiempo() const {
    // The schedule's allowance of hours a day, a week or a month from the period's start.
    Uso uso;
    const QString& q = estado_.QueDia;
    if (q != QLatin1String("D") && q != QLatin1String("S") && q != QLatin1String("M")) return uso;
    if (form_.CkDespuesDeLa_Configuracion.value() != 0) return uso;  // a window, not an allowance
    const auto horas = strictReal(form_.TxDespuesDe_Configuracion.text());
    if (!horas || *horas <= 0) return uso;
    uso.limit = *horas * 3600;
    const long long mmss =
        parseDurationSeconds(form_.TxTiempoAcumulado_Estado.text()).value_or(0) % 3600;
    uso.used = leadingNumber(form_.TxDiasAcumuladosInterrupcionProgramada_Estado.text()) * 3600 +
               static_cast<double>(mmss);
    if (q == QLatin1String("D")) {
        uso.period = periodContaining(PeriodKind::Day, clock_.now());
        return uso;
    }
    BillingPeriod p;
    p.kind = q == QLatin1String("S") ? PeriodKind::Week : PeriodKind::Month;
    p.start = std::floor(estado_.FeInt);
    const QDate first = oleToDate(p.start);
    p.nextStart = oleFromDate(q == QLatin1String("S") ? first.addDays(7) : first.addMonths(1));
    uso.period = p;
    return uso;
}

void VolumeAllowance::revisar(Measure m, const Uso& uso) {
    if (uso.limit <= 0 || !uso.period) return;
    const auto percent = warnings_.crossed(m, uso.period->key(), uso.used, uso.limit);
    if (!percent) return;
    notificar(thresholdNotification(estado_.CodigoIdioma, m, *percent, *uso.period, uso.used,
                                    uso.limit, estado_.Moneda));
}

void VolumeAllowance::revisarCorteVolumen(const Uso& uso) {
    if (uso.limit <= 0 || !uso.period || uso.used < uso.limit || estado_.VolSoloAviso ||
        !enSesion() || !estado_.Conectado)
        return;
    const std::int64_t now = clock_.monotonicMs();
    if (ultimoIntentoFallido_ != 0 && now - ultimoIntentoFallido_ < kCutRetryMs) return;
    const QString limite = formatBytes(static_cast<std::int64_t>(uso.limit));
    if (hooks_.cortar && hooks_.cortar()) {
        ultimoIntentoFallido_ = 0;
        messages_.show(MessageBox::Icon::Information, kVolumeCut, limite);
        return;
    }
    ultimoIntentoFallido_ = now;
    if (corteImposibleDicho_ == uso.period->key()) return;
    corteImposibleDicho_ = uso.period->key();
    messages_.warn(kVolumeCutImpossible, limite);
}

void VolumeAllowance::revisarCortesProximos(const Uso& tiempo, const Uso& volumen) {
    if (!enSesion()) return;
    const double ahora = clock_.now();
    if (tiempo.limit > 0 && tiempo.period) {
        const auto left = static_cast<long long>(tiempo.limit - tiempo.used);
        if (left > 0 && warnings_.cutSoon(QStringLiteral("T") + tiempo.period->key(), left))
            notificar(cutSoonNotification(estado_.CodigoIdioma, left));
    }
    if (form_.CkDespuesDeLa_Configuracion.value() != 0 && estado_.QueDia != QLatin1String("N")) {
        if (const auto desde = parseTimeOfDay(form_.TxDespuesDeLa_Configuracion.text())) {
            constexpr long long kDay = 86'400;
            const long long inicio = std::llround(*desde * kSecondsPerDay);
            const long long t = std::llround(oleTimePart(ahora) * kSecondsPerDay);
            const long long left = (inicio - t + kDay) % kDay;
            const QString key = QStringLiteral("V") + formatDate(ahora + (inicio < t ? 1 : 0));
            if (left > 0 && warnings_.cutSoon(key, left))
                notificar(cutSoonNotification(estado_.CodigoIdioma, left));
        }
    }
    const double rate = estado_.TasaRecibida + estado_.TasaEnviada;
    if (volumen.limit > 0 && volumen.period && !estado_.VolSoloAviso && rate > 0 &&
        volumen.used < volumen.limit) {
        const auto left = static_cast<long long>(std::ceil((volumen.limit - volumen.used) / rate));
        if (warnings_.cutSoon(QStringLiteral("B") + volumen.period->key(), left))
            notificar(cutSoonNotification(estado_.CodigoIdioma, left));
    }
}

void VolumeAllowance::notificar(const Notification& n) {
    if (hooks_.notificar) hooks_.notificar(n);
}

void VolumeAllowance::aceptar() {
    MainForm& f = form_;
    const int periodo = std::clamp(f.CbPeriodoVolumen_Configuracion.listIndex(), 0, 3);
    const QString unidad = f.CbUnidadVolumen_Configuracion.listIndex() == 0 ? QStringLiteral("MB")
                                                                            : QStringLiteral("GB");
    const QString cantidad = f.TxVolumen_Configuracion.text().trimmed();
    if (periodo != 0) {
        const AllowanceParse limit = parseAllowance(cantidad, unitOf(unidad));
        if (!limit.ok()) {
            messages_.warn(allowanceErrorMessage(limit.error));
            f.TxVolumen_Configuracion.setFocus();
            return;
        }
    }
    const auto dia = strictInteger(f.TxDiaFacturacion_Configuracion.text().trimmed());
    if (!dia || *dia < kFirstBillingDay || *dia > kLastBillingDay) {
        messages_.warn(kMsgBillingDay);
        f.TxDiaFacturacion_Configuracion.setFocus();
        return;
    }
    const auto avisos = parseThresholds(f.TxAvisos_Configuracion.text());
    if (!avisos) {
        messages_.warn(kMsgThresholds);
        f.TxAvisos_Configuracion.setFocus();
        return;
    }
    const QString presupuesto = f.TxPresupuesto_Configuracion.text().trimmed();
    const auto budget = strictReal(presupuesto);
    if (!presupuesto.isEmpty() && (!budget || *budget <= 0 || *budget >= 1e9)) {
        messages_.warn(kMsgBudget);
        f.TxPresupuesto_Configuracion.setFocus();
        return;
    }
    estado_.VolPeriodo = periodo;
    estado_.VolCantidad = cantidad;
    estado_.VolUnidad = unidad;
    estado_.DiaFacturacion = static_cast<int>(*dia);
    estado_.VolSoloAviso = f.CkSoloAviso_Configuracion.value() != 0;
    estado_.Avisos = thresholdsText(*avisos);
    estado_.Presupuesto = presupuesto;
    f.TxAvisos_Configuracion.setText(estado_.Avisos);
    aplicarUmbrales();
    corteImposibleDicho_.clear();
    if (hooks_.guardarAjustes) hooks_.guardarAjustes();
    messages_.show(MessageBox::Icon::Information, kMsgVolumeAccepted);
    mostrar();
}

QString VolumeAllowance::lineaUso(Measure m, const Uso& uso) const {
    const int code = estado_.CodigoIdioma;
    const QString periodo = textIn(
        code, kThisPeriod[static_cast<int>(uso.period ? uso.period->kind : PeriodKind::Month)]);
    QString line = textIn(code, kUseLine[static_cast<int>(m)])
                       .arg(formatAmount(m, uso.used, estado_.Moneda), periodo);
    if (uso.limit > 0)
        line += textIn(code, kOfLeft)
                    .arg(formatAmount(m, uso.limit, estado_.Moneda),
                         formatAmount(m, std::max(0.0, uso.limit - uso.used), estado_.Moneda));
    return line;
}

QString VolumeAllowance::lineaPronostico(Measure m, const Uso& uso) const {
    if (!uso.period) return {};
    const Forecast f = forecastUse(*uso.period, clock_.now(), uso.used, uso.limit);
    const int code = estado_.CodigoIdioma;
    QStringList parts;
    const QString pace = paceText(code, m, f, *uso.period, estado_.Moneda);
    if (!pace.isEmpty()) parts << pace;
    const QString perDay = perDayText(code, m, f, *uso.period, estado_.Moneda);
    if (!perDay.isEmpty()) parts << perDay;
    return parts.join(QStringLiteral("; "));
}

void VolumeAllowance::traducir() {
    ListControl& list = form_.CbPeriodoVolumen_Configuracion;
    const int index = list.listIndex();
    list.clear();
    for (const Bilingual& b : kPeriods) list.addItem(textIn(estado_.CodigoIdioma, b));
    list.setListIndex(index >= 0 && index <= 3 ? index : estado_.VolPeriodo);
    mostrar();
}

void VolumeAllowance::mostrar() {
    mostrar(usoTiempo(), usoVolumen(), usoDinero());
}

void VolumeAllowance::mostrar(const Uso& tiempo, const Uso& datos, const Uso& dinero) {
    const int code = estado_.CodigoIdioma;
    const bool sesion = enSesion();
    const QString volumen =
        sesion ? textIn(code, kSessionVolume)
                     .arg(formatBytes(static_cast<std::int64_t>(estado_.BytesRecibidos)),
                          formatBytes(static_cast<std::int64_t>(estado_.BytesEnviados)),
                          formatRate(estado_.TasaRecibida), formatRate(estado_.TasaEnviada))
               : QString();
    form_.LbVolumen_Estado.setCaption(volumen);
    form_.LbVolumen_Estado.setVisible(sesion);  // no empty line while off line
    form_.FrChico.LbVolumen.setCaption(
        sesion ? formatBytes(static_cast<std::int64_t>(estado_.BytesRecibidos)) +
                     QStringLiteral(" / ") +
                     formatBytes(static_cast<std::int64_t>(estado_.BytesEnviados))
               : QString());

    QStringList uso, pronostico;
    if (tiempo.limit > 0) uso << lineaUso(Measure::Time, tiempo);
    uso << lineaUso(Measure::Volume, datos);
    if (dinero.limit > 0) uso << lineaUso(Measure::Money, dinero);
    for (const auto& [m, u] :
         {std::pair{Measure::Time, &tiempo}, std::pair{Measure::Volume, &datos},
          std::pair{Measure::Money, &dinero}}) {
        if (u->limit <= 0 && m != Measure::Volume) continue;
        const QString line = lineaPronostico(m, *u);
        if (!line.isEmpty()) pronostico << line;
    }
    form_.LbCuota_Estado.setCaption(uso.join(QLatin1Char('\n')));
    form_.LbPronostico_Estado.setCaption(pronostico.join(QLatin1Char('\n')));
    form_.LbPronostico_Estado.setVisible(!pronostico.isEmpty());
    form_.Systray.setExtra((uso + pronostico).join(QLatin1Char('\n')));
    // The ring shows the data allowance, else the time allowance.
    const Uso& anillo = datos.limit > 0 ? datos : tiempo;
    form_.Systray.setRing(anillo.limit > 0 ? std::clamp(anillo.used / anillo.limit, 0.0, 1.0) : -1);
}

}  // namespace lt
