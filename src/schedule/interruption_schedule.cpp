#include "schedule/interruption_schedule.h"

#include <cmath>

#include "core/clock.h"
#include "core/conversions.h"
#include "core/text_format.h"
#include "form/estado_monitor.h"
#include "form/main_form.h"
#include "i18n/captions.h"
#include "settings/settings_store.h"

namespace lt {

namespace {

constexpr long long kDaySeconds = 86400;
const QString kSeccion = QStringLiteral("Interrupciones");
const QString kFeInt = QStringLiteral("FeInt");

QString texto(int codigo, const Bilingual& b) {
    return textIn(codigo, b);
}

long long segundosDelDia(OleDate timeOfDay) {
    const long long s = oleToSeconds(oleTimePart(timeOfDay)) % kDaySeconds;
    return s < 0 ? s + kDaySeconds : s;
}

// Start and length of the daily window in seconds; nothing when either text is no time.
struct Ventana {
    long long desde = 0;
    long long durante = 0;
};

std::optional<Ventana> ventanaDe(const MainForm& f) {
    const auto desde = parseTimeOfDay(f.TxDespuesDeLa_Configuracion.text());
    const auto durante = parseTimeOfDay(f.TxYDurante_Configuracion.text());
    if (!desde || !durante) return std::nullopt;
    return Ventana{segundosDelDia(*desde), segundosDelDia(*durante)};
}

// Strictly inside, on both sides of midnight when the window passes it.
bool dentro(const Ventana& v, long long t) {
    const long long fin = v.desde + v.durante;
    if (fin <= kDaySeconds) return t > v.desde && t < fin;
    return t > v.desde || t < fin - kDaySeconds;
}

bool validFeInt(OleDate feInt) {
    return std::isfinite(feInt) && feInt >= 1.0 && oleToDate(feInt).isValid();
}

}  // namespace

InterruptionSchedule::InterruptionSchedule(MainForm& form, EstadoMonitor& estado,
                                           const Clock& clock, SettingsStore& settings,
                                           std::function<bool()> cut,
                                           std::function<void()> reloadGrid)
    : form_(form),
      estado_(estado),
      clock_(clock),
      settings_(settings),
      cut_(std::move(cut)),
      reloadGrid_(std::move(reloadGrid)) {}

void InterruptionSchedule::OpNunca_Configuracion_Click() {
    estado_.QueDia = QStringLiteral("N");
}
void InterruptionSchedule::OpPorDia_Configuracion_Click() {
    estado_.QueDia = QStringLiteral("D");
}
void InterruptionSchedule::OpPorSemana_Configuracion_Click() {
    estado_.QueDia = QStringLiteral("S");
}
void InterruptionSchedule::OpPorMes_Configuracion_Click() {
    estado_.QueDia = QStringLiteral("M");
}

OleDate InterruptionSchedule::fechaActual() const {
    return strictDate(form_.TxTAFecha_Estado.text()).value_or(clock_.date());
}

OleDate InterruptionSchedule::fechaInicioSesion() const {
    return strictDate(form_.TxISFecha_Estado.text()).value_or(oleDatePart(estado_.InicioSesion));
}

void InterruptionSchedule::InterrupcionProgramada() {
    const QString& queDia = estado_.QueDia;
    const int modo = form_.CkDespuesDeLa_Configuracion.value();
    if (modo == 0) {
        if (queDia == QLatin1String("N")) return;
        if (queDia == QLatin1String("D"))
            revisarDia();
        else if (queDia == QLatin1String("S"))
            revisarSemanaOMes(false);
        else if (queDia == QLatin1String("M"))
            revisarSemanaOMes(true);
    } else if (modo == 1) {
        if (queDia == QLatin1String("N")) return;
        revisarVentana();
    }
    revisarCupo();
}

void InterruptionSchedule::revisarDia() {
    const OleDate hoy = fechaActual();
    bool nuevoDia = hoy != diaDelPeriodo_;
    if (diaDelPeriodo_ < 0) {
        // First look in this run: the stored count belongs to the last session's day.
        const OleDate inicio = fechaInicioSesion();
        const auto momento = strictDate(estado_.Momento);
        nuevoDia = !momento || oleDatePart(*momento) != inicio || hoy != inicio;
    }
    if (nuevoDia) reiniciarPeriodo();
    diaDelPeriodo_ = hoy;
    ControlHorasArmado = true;
}

void InterruptionSchedule::revisarSemanaOMes(bool month) {
    const OleDate hoy = fechaActual();
    const std::optional<OleDate> fin = strictDate(form_.LbDesdeHasta_Estado.caption().right(10));
    if (!fin || hoy > oleDatePart(*fin) || fechaInicioSesion() > oleDatePart(*fin)) {
        reiniciarPeriodo();
        const OleDate end = finDePeriodo(hoy, month);
        estado_.FeInt = clock_.now();
        settings_.GuardarValorINI(kSeccion, kFeInt, formatFeInt(estado_.FeInt));
        escribirLeyendaPeriodo(!month, hoy, end);
    }
    ControlHorasArmado = true;
}

void InterruptionSchedule::revisarVentana() {
    const auto ventana = ventanaDe(form_);
    if (!ventana) return;
    const auto hora = parseTimeOfDay(form_.TxTAHora_Estado.text());
    const long long t = segundosDelDia(hora.value_or(clock_.time()));
    if (dentro(*ventana, t))
        cortar(corteVentanaAnunciado_);
    else
        corteVentanaAnunciado_ = false;
}

void InterruptionSchedule::revisarCupo() {
    // A line already cut on this tick needs no second cut.
    if (!ControlHorasArmado || !estado_.Conectado) return;
    // An allowance that is no number cuts nothing, rather than everything at once.
    const auto cupo = strictReal(form_.TxDespuesDe_Configuracion.text());
    if (!cupo) return;
    if (*cupo <= leadingNumber(form_.TxDiasAcumuladosInterrupcionProgramada_Estado.text()))
        cortar(corteCupoAnunciado_);
}

void InterruptionSchedule::reiniciarPeriodo() {
    estado_.HoraAnterior = 0;
    estado_.HorasAcumuladas = 0;
    estado_.TiempoAcumuladoBase = 0;
    estado_.InicioAcumulado = clock_.now();
    estado_.InicioAcumuladoMono = clock_.monotonicMs();
    form_.TxDiasAcumuladosInterrupcionProgramada_Estado.setText(QStringLiteral("00"));
    // The holders are what a session closed by a cut on this very tick stores.
    form_.TxTiempoAcumulado_Estado.setText(QStringLiteral("00:00:00"));
    form_.LbPrueba.setCaption(QStringLiteral("00:00:00"));
    corteCupoAnunciado_ = false;
}

void InterruptionSchedule::cortar(bool& anunciado) {
    if (cut_ && cut_()) {
        anunciado = false;
        MensajeDesconexion();
        if (reloadGrid_) reloadGrid_();
        return;
    }
    // The session goes on; the cut is retried on each tick but said only once.
    if (anunciado) return;
    anunciado = true;
    MensajeDesconexion();
}

OleDate InterruptionSchedule::finDePeriodo(OleDate start, bool month) {
    const QDate d = oleToDate(start);
    if (!d.isValid()) return start;
    return month ? oleFromParts(d.year(), d.month() + 1, d.day())
                 : oleFromParts(d.year(), d.month(), d.day() + 7);
}

void InterruptionSchedule::escribirLeyendaPeriodo(bool nuevaSemana, OleDate start, OleDate end) {
    const int codigo = estado_.CodigoIdioma;
    form_.LbDesdeHasta_Estado.setCaption(
        texto(codigo, nuevaSemana ? kLegendFromNewWeek : kLegendFrom) + formatDate(start) +
        texto(codigo, kLegendTo) + formatDate(end));
}

void InterruptionSchedule::TipoDeInterrupcionConexion() {
    const OleDate feInt = estado_.FeInt;
    const bool valid = validFeInt(feInt);
    const QString& queDia = estado_.QueDia;
    const int codigo = estado_.CodigoIdioma;
    if (queDia == QLatin1String("D")) {
        form_.LbTiempoAcumulado_Estado.setCaption(texto(codigo, kAccumulatedDaily));
        form_.LbDesdeHasta_Estado.setVisible(false);
        return;
    }
    const bool month = queDia == QLatin1String("M");
    if (!month && queDia != QLatin1String("S")) return;

    // Only a week or a month runs from FeInt, and a file that already holds it is left
    // alone: a fresh installation gets its whole file from the first full save.
    if (valid) {
        const QString stored = formatFeInt(feInt);
        if (settings_.LeerValorINI(kSeccion, kFeInt) != stored)
            settings_.GuardarValorINI(kSeccion, kFeInt, stored);
    }
    const OleDate start = oleDatePart(feInt);
    const OleDate end = finDePeriodo(start, month);
    form_.LbTiempoAcumulado_Estado.setCaption(
        texto(codigo, month ? kAccumulatedMonthly : kAccumulatedWeekly));
    if (valid)
        escribirLeyendaPeriodo(false, start, end);
    else
        form_.LbDesdeHasta_Estado.setCaption(QString());  // read back as an expired period
}

void InterruptionSchedule::LeyendaStatusProgramacion() {
    MainForm& f = form_;
    if (f.CkDespuesDeLa_Configuracion.value() == 1) {
        f.ProgressBar_Estado.setEnabled(false);
        f.ProgressBar_Estado.setVisible(false);
        const int codigo = estado_.CodigoIdioma;
        const auto ventana = ventanaDe(f);
        if (ventana) {
            const QString fin =
                formatDurationSeconds((ventana->desde + ventana->durante) % kDaySeconds);
            f.LbTiempoAcumulado_Estado.setCaption(
                texto(codigo, kWindowFrom) + f.TxDespuesDeLa_Configuracion.text() +
                texto(codigo, kLegendTo) + fin + texto(codigo, kHoursSuffix));
            f.LbDesdeHasta_Estado.setCaption(QString());
        }
        f.TxDiasAcumuladosInterrupcionProgramada_Estado.setVisible(false);
        f.TxTiempoAcumulado_Estado.setVisible(false);
        f.LbPrueba.setVisible(false);
        if (estado_.QueDia != QLatin1String("D")) f.LbDesdeHasta_Estado.setVisible(true);
        return;
    }
    if (f.OpNunca_Configuracion.value()) return;
    f.LbTiempoAcumulado_Estado.setVisible(true);
    f.LbPrueba.setVisible(true);
    f.TxDiasAcumuladosInterrupcionProgramada_Estado.setVisible(false);
    f.TxTiempoAcumulado_Estado.setVisible(false);
}

void InterruptionSchedule::MensajeDesconexion() {
    DialogoForm& d = form_.Dialogo;
    const int codigo = estado_.CodigoIdioma;
    d.CmAceptar.setCaption(texto(codigo, kDialogOk));
    d.LbExpired.setCaption(texto(codigo, kDialogExpired));

    const MainForm& f = form_;
    const QString horas = f.TxDiasAcumuladosInterrupcionProgramada_Estado.text();
    QString mensaje;
    if (f.CkDespuesDeLa_Configuracion.value() != 0)
        mensaje = texto(codigo, kDialogProgrammedFrom) + f.TxDespuesDeLa_Configuracion.text() +
                  texto(codigo, kDialogAndDuring) + f.TxYDurante_Configuracion.text() +
                  texto(codigo, kDialogHoursEnd);
    else if (f.OpPorDia_Configuracion.value())
        mensaje = texto(codigo, kDialogProgrammed) + horas + texto(codigo, kDialogHoursDaily);
    else
        mensaje = texto(codigo, kDialogProgrammed) + horas + texto(codigo, kDialogHoursPeriod) +
                  f.LbDesdeHasta_Estado.caption();
    d.LbDialogo.setCaption(mensaje);
    // Shown once its texts are in: the window is sized for them.
    d.window.set(true, false);
}

}  // namespace lt
