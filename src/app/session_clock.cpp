#include "app/session_clock.h"

#include "core/clock.h"
#include "core/conversions.h"
#include "core/text_format.h"
#include "cost/cost_calculator.h"
#include "form/estado_monitor.h"
#include "form/main_form.h"
#include "i18n/captions.h"
#include "settings/settings_lock.h"

namespace lt {

namespace {

void call(const std::function<void()>& f) {
    if (f) f();
}

// A span of the monotonic clock as a duration in days.
OleDate daysSince(std::int64_t fromMs, std::int64_t toMs) {
    return static_cast<double>(toMs - fromMs) / (kSecondsPerDay * 1000.0);
}

// Hours of a "h:mm:ss" text, however many digits they have.
int leadingHours(const QString& text) {
    const auto colon = text.indexOf(QLatin1Char(':'));
    return static_cast<int>(leadingNumber(colon < 0 ? text : text.left(colon)));
}

}  // namespace

SessionClock::SessionClock(MainForm& form, EstadoMonitor& estado, const Clock& clock,
                           CostCalculator& cost, SettingsLock& lock, QString animationPath,
                           SessionHooks hooks)
    : form_(form),
      estado_(estado),
      clock_(clock),
      cost_(cost),
      lock_(lock),
      animationPath_(std::move(animationPath)),
      hooks_(std::move(hooks)) {}

int SessionClock::intervaloSesion() const {
    const double seconds = roundHalfEven(
        leadingNumber(form_.TxIntervaloTiempoConexion_Configuracion.text().trimmed()));
    return seconds >= 1 && seconds <= 3600 ? static_cast<int>(seconds) * 1000 : 5000;
}

bool SessionClock::dormido() const {
    // The tick after a sleep comes far later than the interval allows.
    const std::int64_t gap = clock_.monotonicMs() - prevTickMono_;
    const std::int64_t limit =
        std::max<std::int64_t>(60000, 5LL * form_.TiTiempoConexion.interval());
    return prevTickMono_ > 0 && gap > limit &&
           form_.LbTIEStadoE_Estado.caption().startsWith(QLatin1Char('C'));
}

bool SessionClock::cerrarSiDormido() {
    if (!dormido()) return false;
    // Sleep is no connection time: the session ends where the PC went to sleep, and a
    // new one opens on the next tick if the line is up.
    cerrarSesion(true);
    return true;
}

void SessionClock::TiTiempoConexion_Timer() {
    if (cerrarSiDormido()) return;
    if (estado_.Conectado) {
        avanzarSesion();
        return;
    }
    const QString state = form_.LbTIEStadoE_Estado.caption().left(1);
    if (state == QLatin1String("D")) {
        // The next session starts at the last tick that saw the line down.
        restartSessionStart();
        detenerAnimaciones();
    } else if (state == QLatin1String("C")) {
        cerrarSesion(false);
    }
}

void SessionClock::restartSessionStart() {
    estado_.InicioSesion = estado_.InicioAcumulado = clock_.now();
    estado_.InicioSesionMono = estado_.InicioAcumuladoMono = clock_.monotonicMs();
}

void SessionClock::cerrarSesionEnCurso() {
    if (form_.LbTIEStadoE_Estado.caption().startsWith(QLatin1Char('C'))) cerrarSesion(false);
}

void SessionClock::avanzarSesion() {
    MainForm& f = form_;
    if (f.LbTIEStadoE_Estado.caption().startsWith(QLatin1Char('D'))) call(hooks_.sesionNueva);
    BarraDeProgreso();
    lock_.DeshabilitarModificacionVariables();
    f.Systray.setTip(f.TxTITiempoConexion_Estado.text() + QLatin1Char('-') +
                     f.TxCOCostoConexionActual_Estado.text() +
                     (estado_.Moneda.isEmpty() ? QString() : QLatin1Char(' ') + estado_.Moneda));
    f.TiTiempoConexion.setInterval(intervaloSesion());
    if (!AnimacionIniciada) iniciarAnimacion();
    f.FrChico.LbTiempo.setCaption(f.TxTITiempoConexion_Estado.text());
    f.FrChico.LbCosto.setCaption(f.TxCOCostoConexionActual_Estado.text());
    f.LbTIEStadoE_Estado.setCaption(textIn(estado_.CodigoIdioma, kConnected));
    f.TxISFecha_Estado.setText(formatDate(estado_.InicioSesion));
    f.TxISHora_Estado.setText(formatTime(estado_.InicioSesion));
    if (f.CbServidoresDeTiempo.listIndex() != 0) {
        if (estado_.PrimerTickHecho) call(hooks_.checkViolacionTiempoPC);
        estado_.PrimerTickHecho = true;
    }
    const OleDate now = clock_.now();
    f.TxTAFecha_Estado.setText(formatDate(now));
    f.TxTAHora_Estado.setText(formatTime(now));
    const std::int64_t mono = clock_.monotonicMs();
    f.TxTITiempoConexion_Estado.setText(formatDuration(daysSince(estado_.InicioSesionMono, mono)));
    f.TxTiempoAcumulado_Estado.setText(
        formatTime(estado_.TiempoAcumuladoBase + daysSince(estado_.InicioAcumuladoMono, mono)));
    f.LbPrueba.setCaption(formatTwoDigits(estado_.HorasAcumuladas) +
                          f.TxTiempoAcumulado_Estado.text().right(6));
    if (estado_.InicioTramo == 0) cost_.iniciarTramo();
    contarHora();
    call(hooks_.interrupcionProgramada);
    prevTickWall_ = now;
    prevTickMono_ = mono;
    call(hooks_.tickDone);
}

void SessionClock::contarHora() {
    const QString acumulado = form_.TxTiempoAcumulado_Estado.text();
    const int hour = leadingHours(acumulado);
    const bool counted =
        (acumulado.startsWith(QLatin1String("00")) && estado_.HoraAnterior == 23) ||
        (!HoraContadaAntes && hour > estado_.HoraAnterior);
    if (!counted) {
        HoraContadaAntes = false;
        return;
    }
    ++estado_.HorasAcumuladas;
    form_.TxDiasAcumuladosInterrupcionProgramada_Estado.setText(
        formatTwoDigits(estado_.HorasAcumuladas));
    form_.LbPrueba.setCaption(formatTwoDigits(estado_.HorasAcumuladas) + acumulado.right(6));
    estado_.HoraAnterior = (estado_.HoraAnterior + 1) % 24;
    HoraContadaAntes = true;
}

void SessionClock::cerrarSesion(bool dormido) {
    MainForm& f = form_;
    f.Systray.setTip(QStringLiteral("LinkTally"));
    lock_.HabilitarModificacionVariables();
    detenerAnimaciones();
    AnimacionIniciada = false;
    estado_.PasoServidorTiempo = 6;
    call(hooks_.tiServerInternet);
    // The final pricing, at once whatever the interval; up to the sleep after one.
    if (dormido)
        cost_.calcularHasta(prevTickWall_, prevTickMono_);
    else
        cost_.TiCostos_Timer();
    prevTickMono_ = 0;
    f.TiCostos.setEnabled(false);
    estado_.TimerInicioTramo = 0;
    estado_.InicioTramo = 0;
    estado_.Momento = f.TxISFecha_Estado.text();
    estado_.CostoAcumuladoPorSesion =
        static_cast<float>(leadingNumber(f.TxCOCostoAcumuladoDesde.text()));
    call(hooks_.cargarGrilla);
    // Stores the session and saves the settings, in the order that a crash cannot split.
    call(hooks_.guardarSesion);
    const auto acumulado = parseDurationSeconds(f.TxTiempoAcumulado_Estado.text());
    estado_.TiempoAcumuladoBase =
        oleFromSeconds(static_cast<double>(acumulado.value_or(0) % 86400));
    estado_.PeriodosReduccion = 0;
    estado_.CostoReducido = 0;
    call(hooks_.graficaPorSesion);
    f.OpBarras_Estadisticas.setValue(true);
    f.LbSesion_Estadisticas.setForeColor(255);
    f.LbDia_Estadisticas.setForeColor(0);
    f.LbSemana_Estadisticas.setForeColor(0);
    f.LbMes_Estadisticas.setForeColor(0);
    f.LbTIEStadoE_Estado.setCaption(textIn(estado_.CodigoIdioma, kDisconnected));
    for (TextBox* box : {&f.TxTITiempoConexion_Estado, &f.TxISFecha_Estado, &f.TxISHora_Estado,
                         &f.TxTAFecha_Estado, &f.TxTAHora_Estado})
        box->setText(QString());
    f.TxCOCostoConexionActual_Estado.setText(QStringLiteral("000.00"));
    // The closing tick saw the line down (or the sleep, or the shutdown, ended it): a
    // line back by the next tick starts a new session here, not at the stored one's start.
    restartSessionStart();
    call(hooks_.sesionCerrada);
}

void SessionClock::iniciarAnimacion() {
    // The compact window's too: it may have been opened before the session began.
    for (Animation* gif : {&form_.GifAnim1, &form_.FrChico.GifAnim2}) {
        gif->setVisible(false);
        gif->load(animationPath_);
        gif->setVisible(true);
        gif->play();
    }
    AnimacionIniciada = true;
}

void SessionClock::detenerAnimaciones() {
    form_.GifAnim1.stop();
    form_.FrChico.GifAnim2.stop();
}

void SessionClock::BarraDeProgreso() {
    ProgressBar& bar = form_.ProgressBar_Estado;
    if (estado_.QueDia == QLatin1String("N") || form_.CkDespuesDeLa_Configuracion.value() == 1) {
        bar.setEnabled(false);
        bar.setVisible(false);
        return;
    }
    bar.setEnabled(true);
    bar.setVisible(true);
    bar.setMin(0);
    bar.setMax(static_cast<int>(leadingNumber(form_.TxDespuesDe_Configuracion.text()) * 60.0));
    // The accumulated hours may run past two digits; minutes follow the first colon.
    const QString prueba = form_.LbPrueba.caption();
    const auto colon = prueba.indexOf(QLatin1Char(':'));
    if (colon < 0) return;
    bar.setValue(leadingHours(prueba) * 60 +
                 static_cast<int>(leadingNumber(prueba.mid(colon + 1, 2))));
}

}  // namespace lt
