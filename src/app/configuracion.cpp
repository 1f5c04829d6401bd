#include "app/configuracion.h"

#include <QFileInfo>

#include "core/clock.h"
#include "core/conversions.h"
#include "core/text_format.h"
#include "i18n/captions.h"
#include "i18n/language.h"
#include "platform/message_box.h"

namespace lt {

const QStringList& Configuracion::timeServers() {
    static const QStringList servers = {
        QStringLiteral("time-a-g.nist.gov"),   QStringLiteral("time-b-g.nist.gov"),
        QStringLiteral("time-c-g.nist.gov"),   QStringLiteral("time-d-g.nist.gov"),
        QStringLiteral("time-e-g.nist.gov"),   QStringLiteral("time-a-wwv.nist.gov"),
        QStringLiteral("time-b-wwv.nist.gov"), QStringLiteral("time-c-wwv.nist.gov"),
        QStringLiteral("time-a-b.nist.gov"),   QStringLiteral("time-b-b.nist.gov"),
        QStringLiteral("utcnist.colorado.edu")};
    return servers;
}

Configuracion::Configuracion(const Clock& clock, MessageBox& messages, AppFiles files,
                             ConnectionProbe& probe, ConnectionCutter& cutter)
    : clock_(clock),
      files_(std::move(files)),
      messages_(messages, estado_),
      settings_(files_.settingsPath(), fs_, form_, estado_, params_, clock_, messages_),
      lock_(form_, estado_),
      guard_(form_, estado_, clock_, [this] { TiServerInternet_Timer(); }),
      cost_(form_, estado_, clock_),
      connection_(form_, estado_, clock_, probe, cutter),
      session_(form_, estado_, clock_, cost_, lock_, animationPath(),
               SessionHooks{
                   .checkViolacionTiempoPC = [this] { guard_.CheckViolacionTiempoPC(); },
                   .interrupcionProgramada = [this] { schedule_.InterrupcionProgramada(); },
                   .tiServerInternet = [this] { TiServerInternet_Timer(); },
                   .cargarGrilla = [this] { history_.CargarDeBaseDeDatosVisuakizarGrilla(); },
                   .guardarSesion =
                       [this] {
                           history_.GuardarEnBaseDeDatosYactualizarGrilla();
                           const QStringList row = history_.ultimaSesion().toRow();
                           summary_.sesionGuardada(row);
                           volume_.sesionGuardada(row);
                       },
                   .graficaPorSesion = [this] { GraficaPorSesion(); },
                   .tickDone =
                       [this] {
                           guard_.observarTick();
                           summary_.mostrar();
                       },
                   .sesionNueva =
                       [this] {
                           connection_.olvidarAvisoCorte();
                           history_.sesionNueva();
                           volume_.sesionNueva();
                       },
                   .sesionCerrada =
                       [this] {
                           summary_.mostrar();
                           volume_.sesionCerrada();
                       },
               }),
      store_(files_.historyPath()),
      ledger_(fs_, files_.ledgerPath()),
      history_(form_, estado_, clock_, store_, ledger_, settings_, messages_),
      repricing_(
          form_, estado_, clock_, store_, messages_, [this] { return cost_.condicionesActuales(); },
          [this] { history_.recargar(); }),
      schedule_(
          form_, estado_, clock_, settings_, [this] { return connection_.cortarConexion(); },
          [this] { history_.CargarDeBaseDeDatosVisuakizarGrilla(); }),
      password_(form_, estado_, settings_, messages_),
      editing_(form_, estado_, clock_, settings_, messages_,
               SettingsEditing::Hooks{
                   .reiniciarPeriodo = [this] { schedule_.reiniciarPeriodo(); },
                   .tipoDeInterrupcionConexion = [this] { schedule_.TipoDeInterrupcionConexion(); },
                   .leyendaStatusProgramacion = [this] { schedule_.LeyendaStatusProgramacion(); },
                   .bloquearProtegidos = [this] { password_.bloquear(); },
               }),
      stats_(form_, estado_,
             Statistics::Hooks{
                 .cargarGrilla = [this] { history_.cargarEnOrdenGuardado(); },
                 .leyendaGrillaFilaCero = [this] { LeyendaGrillaFilaCero(); },
                 .grillaReemplazada = [this] { history_.gridReplaced(); },
                 .agruparHistorial = [this](Periodo p) { return history_.agruparHistorial(p); },
                 .puntosPorSesion = [this] { return history_.puntosPorSesion(); },
             }),
      summary_(form_, estado_, clock_),
      volume_(form_, estado_, clock_, noCounters_, messages_,
              VolumeAllowance::Hooks{
                  .cortar =
                      [this] {
                          const bool cut = connection_.cortarConexion();
                          if (cut) history_.CargarDeBaseDeDatosVisuakizarGrilla();
                          return cut;
                      },
                  .notificar =
                      [this](const Notification& n) {
                          if (notify_) notify_(n);
                      },
                  .guardarAjustes = [this] { guardarAjustesEnUnRato(); },
              }),
      validators_(estado_, messages_) {
    wireEvents();
    wireTimers();
    instalarValidacion(form_, validators_, [this] { guardarAjustesEnUnRato(); });
    form_.TxMoneda_Configuracion.Change = [this] {
        aplicarMoneda();
        guardarAjustesEnUnRato();
    };
    history_.borrado = [this] {
        summary_.vaciar();
        summary_.mostrar();
        volume_.vaciar();
    };
}

void Configuracion::guardarAjustesEnUnRato() {
    // Accepted edits reach the disk a few seconds after the last one.
    if (!cargado_) return;
    form_.TiGuardarAjustes.setEnabled(false);
    form_.TiGuardarAjustes.setEnabled(true);
}

void Configuracion::aplicarMoneda() {
    QString symbol = form_.TxMoneda_Configuracion.text().trimmed();
    symbol.truncate(5);
    estado_.Moneda = symbol;
    // On screen only: the texts the history stores stay "000.00".
    const QString suffix = symbol.isEmpty() ? QString() : QLatin1Char(' ') + symbol;
    for (Control* c :
         std::initializer_list<Control*>{&form_.TxCOCostoConexionActual_Estado,
                                         &form_.TxCOCostoAcumuladoDesde, &form_.FrChico.LbCosto})
        c->setSuffix(suffix);
    for (int column : {4, 5}) form_.MSFlexGrid_Estado.setColumnSuffix(column, suffix);
    summary_.mostrar();
}

void Configuracion::setAutostart(Autostart& autostart, QString executablePath) {
    launch_ = std::make_unique<LaunchAtStartup>(form_, estado_, autostart, messages_,
                                                std::move(executablePath));
    form_.CKInicioWindows_Configuracion.Click = [this] {
        launch_->CKInicioWindows_Configuracion_Click();
    };
}

void Configuracion::setTimeService(TimeSocket& socket, SystemClockSetter& setter) {
    timeClient_ = std::make_unique<TimeServerClient>(
        form_, estado_, clock_, socket, setter, [this](double step) { guard_.pasoPropio(step); });
    form_.TiEsperaServidor.setHandler([this] { timeClient_->TiEsperaServidor_Timer(); });
}

void Configuracion::TiServerInternet_Timer() {
    if (timeClient_) timeClient_->TiServerInternet_Timer();
}

void Configuracion::TiCostos_Timer() {
    // After a sleep this tick may come first: the session ends before the sleep is priced.
    if (session_.cerrarSiDormido()) return;
    cost_.TiCostos_Timer();
    if (!estado_.Conectado) return;
    // Noted priced this moment, not at the last pricing TimerCosto minutes ago.
    const CostCalculator::Precio precio = cost_.precioAhora();
    history_.checkpoint(precio.costo, precio.costoAcumulado);
}

QString Configuracion::animationPath() const {
    const QString beside = files_.animationPath();
    return QFileInfo::exists(beside) ? beside : QStringLiteral(":/linktally.gif");
}

void Configuracion::wireTimers() {
    form_.TiConexion.setHandler([this] {
        connection_.TiConexion_Timer();
        volume_.tick();
    });
    form_.TiTiempoConexion.setHandler([this] { session_.TiTiempoConexion_Timer(); });
    form_.TiCostos.setHandler([this] { TiCostos_Timer(); });
    form_.TiServerInternet.setHandler([this] { TiServerInternet_Timer(); });
    form_.TiGuardarAjustes.setHandler([this] {
        form_.TiGuardarAjustes.setEnabled(false);
        settings_.GuardarINI();
    });
}

void Configuracion::wireEvents() {
    MainForm& f = form_;
    f.STabTiempos_Estado.Click = [this](int previous) { STabTiempos_Estado_Click(previous); };
    f.LsIdiomas.Click = [this] { LsIdiomas_Click(); };
    f.CbServidoresDeTiempo.Click = [this] {
        estado_.ServerTime = QString::number(form_.CbServidoresDeTiempo.listIndex());
    };
    f.OpCostoPorDia_Costo.Click = [this] { OpCostoPorDia_Costo_Click(); };
    f.OpCostoPorSemana_Costo.Click = [this] { OpCostoPorSemana_Costo_Click(); };
    f.OpNunca_Configuracion.Click = [this] { schedule_.OpNunca_Configuracion_Click(); };
    f.OpPorDia_Configuracion.Click = [this] { schedule_.OpPorDia_Configuracion_Click(); };
    f.OpPorSemana_Configuracion.Click = [this] { schedule_.OpPorSemana_Configuracion_Click(); };
    f.OpPorMes_Configuracion.Click = [this] { schedule_.OpPorMes_Configuracion_Click(); };
    // "C" shows the two status lines; "D", once idle, hides them again.
    f.CdConectar.Click = [this] {
        form_.LbEstadoRelojServer_Estado.setVisible(true);
        form_.LbConexionVia_Estado.setVisible(true);
    };
    f.CdDesconectar.Click = [this] {
        form_.LbEstadoRelojServer_Estado.setVisible(false);
        form_.LbConexionVia_Estado.setVisible(false);
    };
    f.Dialogo.CmAceptar.Click = [this] { form_.Dialogo.window.set(false, false); };
    f.CdReducido_Estado.Click = [this] { CdReducido_Estado_Click(); };
    const std::pair<Label*, Periodo> periodos[] = {{&f.LbSesion_Estadisticas, Periodo::Sesion},
                                                   {&f.LbDia_Estadisticas, Periodo::Dia},
                                                   {&f.LbSemana_Estadisticas, Periodo::Semana},
                                                   {&f.LbMes_Estadisticas, Periodo::Mes}};
    for (const auto& [label, periodo] : periodos) {
        label->Click = [this, p = periodo] { stats_.LbPeriodo_Click(p); };
        label->DblClick = [this, p = periodo] { stats_.LbPeriodo_DblClick(p); };
    }
    f.OpBarras_Estadisticas.Click = [this] { stats_.OpBarras_Estadisticas_Click(); };
    f.OpLineal_Estadisticas.Click = [this] { stats_.OpLineal_Estadisticas_Click(); };
    f.CkTiempo_Estadisticas.Click = [this] { stats_.CkSerie_Click(1); };
    f.CkCosto_Estadisticas.Click = [this] { stats_.CkSerie_Click(2); };
    f.CkCostoTotal_Estadisticas.Click = [this] { stats_.CkSerie_Click(3); };
    f.CkRecibido_Estadisticas.Click = [this] { stats_.CkSerie_Click(4); };
    f.CkEnviado_Estadisticas.Click = [this] { stats_.CkSerie_Click(5); };
    f.OpTiempo_Estadisticas.Click = [this] { stats_.OpTiempo_Estadisticas_Click(); };
    f.OpVolumen_Estadisticas.Click = [this] { stats_.OpVolumen_Estadisticas_Click(); };
    f.CdAceptarClaveActual_Configuracion.Click = [this] {
        password_.CdAceptarClaveActual_Configuracion_Click();
    };
    f.CdAceptarClaveNueva_Configuracion.Click = [this] {
        password_.CdAceptarClaveNueva_Configuracion_Click();
    };
    f.CkNuevaClave_Configuracion.Click = [this] { password_.CkNuevaClave_Configuracion_Click(); };
    f.CdBloquear_Configuracion.Click = [this] { password_.bloquear(); };
    // Enter in a password box acts as the button of the panel's mode.
    f.TxClaveActual_Configuracion.Enter = [this] {
        if (form_.CkNuevaClave_Configuracion.value() == 1)
            form_.CdAceptarClaveNueva_Configuracion.click();
        else
            form_.CdAceptarClaveActual_Configuracion.click();
    };
    f.TxNuevaClave_Configuracion.Enter = f.TxConfirmarClave_Configuracion.Enter = [this] {
        form_.CdAceptarClaveNueva_Configuracion.click();
    };
    f.CdAceptarCambios_Configuracion.Click = [this] {
        editing_.CdAceptarCambios_Configuracion_Click();
    };
    f.CdLimpiarBase_Configuracion.Click = [this] { history_.CdLimpiarBase_Configuracion_Click(); };
    f.CdAceptarVolumen_Configuracion.Click = [this] { volume_.aceptar(); };
    f.CdRepreciar_Costo.Click = [this] { repricing_.CdRepreciar_Costo_Click(); };
    f.CdAplicarPrecios_Costo.Click = [this] { repricing_.CdAplicarPrecios_Costo_Click(); };
    f.MSFlexGrid_Estado.CaptionClick = [this](int column) {
        history_.MSFlexGrid_Estado_CaptionClick(column);
    };
}

void Configuracion::fillTimeServerList() {
    ListControl& list = form_.CbServidoresDeTiempo;
    list.clear();
    list.addItem(QStringLiteral("Not servers...."));
    for (const QString& s : timeServers()) list.addItem(s);
    list.setListIndex(1);
}

void Configuracion::setVolumeServices(TrafficCounters& counters,
                                      std::function<void(const Notification&)> notify) {
    volume_.setCounters(counters);
    notify_ = std::move(notify);
}

void Configuracion::Form_Load() {
    // The window is centred by the view when it is first shown; the desktop's own date
    // format is left alone, since every date text here is built as "dd/MM/yyyy".
    fillTimeServerList();
    form_.CbUnidadVolumen_Configuracion.clear();
    form_.CbUnidadVolumen_Configuracion.addItem(QStringLiteral("MB"));
    form_.CbUnidadVolumen_Configuracion.addItem(QStringLiteral("GB"));
    form_.CbUnidadVolumen_Configuracion.setListIndex(1);
    volume_.traducir();
    estado_.FechaArranque = clock_.date();
    settings_.LeerINI();
    history_.abrir();
    history_.CargarDeBaseDeDatosVisuakizarGrilla();
    // The month's totals and the allowances look back a few weeks at most (and sessions
    // dated ahead by a wrong clock count for nothing there).
    constexpr long long kDiasRecientes = 62;
    const auto today = static_cast<long long>(clock_.date());
    const std::vector<SesionesDelDia> days =
        history_.sesionesPorDia(today - kDiasRecientes, today + 1);
    summary_.cargar(days);
    volume_.cargar(days);
    form_.TxCOCostoAcumuladoDesde.setText(formatMoney(estado_.CostoAcumuladoPorSesion));

    const QString acumulado = form_.TxTiempoAcumulado_Estado.text();
    const auto seconds = parseDurationSeconds(acumulado);
    estado_.TiempoAcumuladoBase =
        oleTimePart(oleFromSeconds(static_cast<double>(seconds.value_or(0))));
    estado_.HoraAnterior = static_cast<int>((seconds.value_or(0) / 3600) % 24);
    estado_.HorasAcumuladas =
        lenientInteger(form_.TxDiasAcumuladosInterrupcionProgramada_Estado.text());
    form_.LbPrueba.setCaption(formatTwoDigits(estado_.HorasAcumuladas) + acumulado.right(6));

    const QString queDia = estado_.QueDia;
    if (queDia == QLatin1String("N"))
        form_.OpNunca_Configuracion.setValue(true);
    else if (queDia == QLatin1String("D"))
        form_.OpPorDia_Configuracion.setValue(true);
    else if (queDia == QLatin1String("S"))
        form_.OpPorSemana_Configuracion.setValue(true);
    else if (queDia == QLatin1String("M"))
        form_.OpPorMes_Configuracion.setValue(true);

    const bool scheduled = queDia != QLatin1String("N");
    form_.LbTiempoAcumulado_Estado.setVisible(scheduled);
    form_.LbPrueba.setVisible(scheduled);
    form_.LbDesdeHasta_Estado.setVisible(scheduled);
    form_.TxTiempoAcumulado_Estado.setVisible(false);
    form_.TxDiasAcumuladosInterrupcionProgramada_Estado.setVisible(false);
    if (scheduled) schedule_.TipoDeInterrupcionConexion();

    form_.LsIdiomas.clear();
    form_.LsIdiomas.addItem(QStringLiteral("English"));
    form_.LsIdiomas.addItem(QString::fromUtf8("Español"));
    if (estado_.CodigoIdioma == 0 || estado_.CodigoIdioma == 1) {
        form_.LsIdiomas.setListIndex(estado_.CodigoIdioma);
    } else {
        // A code that a hand-edited file holds: no entry is chosen, and the program
        // speaks English until one is.
        applyLanguage(estado_.CodigoIdioma);
        schedule_.LeyendaStatusProgramacion();
    }

    form_.DTPicker.setValue(clock_.date());
    BarraDeProgreso();
    GraficaPorSesion();
    estado_.PrimerTickHecho = false;
    cargado_ = true;
    form_.window.set(true, false);
    // What the load had to say, in the language it chose.
    messages_.release();
    // "Start small format" opens the compact window at once.
    if (form_.CkFormatoReducido_Configuracion.value() == 1) CdReducido_Estado_Click();
}

void Configuracion::CdReducido_Estado_Click() {
    if (!form_.FrChico.window.visible) FrChico_Form_Load();
    form_.FrChico.window.set(true, false);
    form_.window.set(false, false);
    if (estado_.Conectado) {
        for (Animation* gif : {&form_.FrChico.GifAnim2, &form_.GifAnim1}) {
            gif->setVisible(false);
            gif->load(animationPath());
            gif->setVisible(true);
            gif->play();
        }
    }
}

void Configuracion::FrChico_Form_Load() {
    FrChicoForm& chico = form_.FrChico;
    const auto left = strictReal(
        settings_.LeerValorINI(QStringLiteral("UbicacionInicio"), QStringLiteral("Izquierda")));
    const auto top = strictReal(
        settings_.LeerValorINI(QStringLiteral("UbicacionInicio"), QStringLiteral("Top")));
    if (left) chico.left = static_cast<float>(*left);
    if (top) chico.top = static_cast<float>(*top);
    chico.LbTiempo.setCaption(form_.TxTITiempoConexion_Estado.text());
    chico.LbCosto.setCaption(form_.TxCOCostoConexionActual_Estado.text());
}

void Configuracion::FrChico_Form_Unload() {
    FrChicoForm& chico = form_.FrChico;
    settings_.GuardarValorINI(QStringLiteral("UbicacionInicio"), QStringLiteral("Izquierda"),
                              formatSingle(chico.left));
    settings_.GuardarValorINI(QStringLiteral("UbicacionInicio"), QStringLiteral("Top"),
                              formatSingle(chico.top));
    chico.window.set(false, false);
    form_.window.set(true, false);
}

void Configuracion::Systray_MouseDown(int button) {
    if (button != 1) return;
    form_.window.set(true, false);
    form_.Systray.setVisible(false);
}

void Configuracion::Form_Activate() {
    form_.OpBarras_Estadisticas.setValue(true);
    if (estado_.AjusteCosto == QLatin1String("D"))
        form_.OpCostoPorDia_Costo.setValue(true);
    else
        form_.OpCostoPorSemana_Costo.setValue(true);
    LeyendaGrillaFilaCero();
    schedule_.LeyendaStatusProgramacion();
}

void Configuracion::Form_Resize(bool minimized) {
    if (minimized) {
        form_.window.set(false, true);
        form_.Systray.setTip(QStringLiteral("LinkTally"));
        form_.Systray.setVisible(true);
    } else {
        form_.Systray.setVisible(false);
    }
}

CloseDecision Configuracion::Form_Unload() {
    if (estado_.Conectado) return CloseDecision::Refused;
    settings_.GuardarINI();
    switch (form_.CkAbadonaAplicacion_Configuracion.value()) {
        case 1:
            return CloseDecision::Refused;
        case 0:
            return CloseDecision::QuitProgram;
        default:
            return CloseDecision::CloseWindow;
    }
}

CloseDecision Configuracion::Salir() {
    settings_.GuardarINI();
    return form_.CkAbadonaAplicacion_Configuracion.value() == 1 ? CloseDecision::Refused
                                                                : CloseDecision::QuitProgram;
}

void Configuracion::shutdown() {
    // Once: a second request (a signal after the session manager's) stores nothing twice.
    if (terminado_ || !cargado_) return;
    terminado_ = true;
    session_.cerrarSesionEnCurso();
    settings_.GuardarINI();
}

void Configuracion::STabTiempos_Estado_Click(int /*previousTab*/) {
    if (form_.STabTiempos_Estado.tab() == 3) form_.OpBarras_Estadisticas.setValue(true);
    lock_.explicarBloqueos();  // the line under the tabs shows only where settings are
}

void Configuracion::OpCostoPorDia_Costo_Click() {
    chooseTariffForm(true);
}

void Configuracion::OpCostoPorSemana_Costo_Click() {
    chooseTariffForm(false);
}

void Configuracion::chooseTariffForm(bool perDay) {
    form_.FrCostoPorDia_Costo.setVisible(perDay);
    form_.FrCostoPorSemana_Costo.setVisible(!perDay);
    estado_.AjusteCosto = perDay ? QStringLiteral("D") : QStringLiteral("S");
    settings_.GuardarValorINI(QStringLiteral("Costos"), QStringLiteral("AjusteCosto"),
                              estado_.AjusteCosto);
}

void Configuracion::LsIdiomas_Click() {
    const int index = form_.LsIdiomas.listIndex();
    if (index == 0 || index == 1) {
        estado_.CodigoIdioma = index;
        applyLanguage(index);
    }
    form_.FrChico.window.setCaption(QStringLiteral("LinkTally V1.06 (b)"));
    schedule_.LeyendaStatusProgramacion();
}

void Configuracion::applyLanguage(int code) {
    applyCaptions(form_, code);
    stats_.traducirGrafica();  // the time axis is in minutes, whatever the caption table says
    schedule_.TipoDeInterrupcionConexion();
    LeyendaGrillaFilaCero();
    // The date the accumulation started stays; a caption without one (a hand-edited
    // file) must not lend pieces of its words instead.
    const QString date = form_.LbCOCostoAcumulado_Estado.caption().right(11);
    const bool dated = date.endsWith(QLatin1Char(':')) && strictDate(date.chopped(1)).has_value();
    lock_.explicarBloqueos();
    password_.mostrarEstado();
    summary_.mostrar();
    volume_.traducir();
    form_.LbCOCostoAcumulado_Estado.setCaption(textIn(code, kCostAddFrom) +
                                               (dated ? date : QString()));
    connection_.traducirAvisoCorte();
}

void Configuracion::LeyendaGrillaFilaCero() {
    const auto captions = gridCaptions();
    for (int col = 0; col < static_cast<int>(captions.size()); ++col) {
        const CaptionEntry& e = captions[static_cast<size_t>(col)];
        form_.MSFlexGrid_Estado.setCaption(
            col, QString::fromUtf8(pickText(estado_.CodigoIdioma, e.english, e.spanish)));
    }
}

void Configuracion::BarraDeProgreso() {
    session_.BarraDeProgreso();
}

void Configuracion::GraficaPorSesion() {
    stats_.GraficaPorSesion();
}

}  // namespace lt
