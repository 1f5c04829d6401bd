#pragma once
// The main window `Configuracion` as a headless model: one member per control, named as
// the behaviour names it. The Qt view binds its widgets to these by objectName.
#include <array>

#include "core/chart.h"
#include "core/controls.h"
#include "core/grid.h"
#include "core/timer_model.h"

namespace lt {

#define LT_CONTROL(Type, Name)          \
    Type Name {                         \
        registry, QStringLiteral(#Name) \
    }
#define LT_LIST(ListKind, Name)                                  \
    ListControl Name {                                           \
        registry, QStringLiteral(#Name), Control::Kind::ListKind \
    }

// Day words of the tariff bands: index 0 is the weekly band, 1..7 Sunday..Saturday.
inline constexpr std::array<const char*, 8> kDayWords = {
    "CostoPorSemana", "Domingo", "Lunes", "Martes", "Miercoles", "Jueves", "Viernes", "Sabado"};

// The eight text boxes of one tariff band (TxHH<D>Desde_Costo ... TxCostoHsResto<D>_Costo).
struct TarifaControls {
    TarifaControls(ControlRegistry& registry, const QString& d)
        : TxHHDesde(registry, "TxHH" + d + "Desde_Costo"),
          TxMMDesde(registry, "TxMM" + d + "Desde_Costo"),
          TxSSDesde(registry, "TxSS" + d + "Desde_Costo"),
          TxHHHasta(registry, "TxHH" + d + "Hasta_Costo"),
          TxMMHasta(registry, "TxMM" + d + "Hasta_Costo"),
          TxSSHasta(registry, "TxSS" + d + "Hasta_Costo"),
          TxCostoHs(registry, "TxCostoHs" + d + "_Costo"),
          TxCostoHsResto(registry, "TxCostoHsResto" + d + "_Costo") {}
    TextBox TxHHDesde, TxMMDesde, TxSSDesde, TxHHHasta, TxMMHasta, TxSSHasta, TxCostoHs,
        TxCostoHsResto;
    std::array<TextBox*, 8> boxes() {
        return {&TxHHDesde, &TxMMDesde, &TxSSDesde, &TxHHHasta,
                &TxMMHasta, &TxSSHasta, &TxCostoHs, &TxCostoHsResto};
    }
};

// A top-level window's state that the logic changes and the views follow.
struct WindowState {
    bool visible = false;
    bool minimized = false;
    QString caption;
    // Where the user left it, in the screen's logical pixels; no width when never placed.
    int left = 0, top = 0, width = 0, height = 0;
    Notifier<> changed;
    void set(bool isVisible, bool isMinimized) {
        if (isVisible == visible && isMinimized == minimized) return;
        visible = isVisible;
        minimized = isMinimized;
        changed.notify();
    }
    void setCaption(const QString& c) {
        if (c == caption) return;
        caption = c;
        changed.notify();
    }
};

// The notification-area icon.
struct TrayState {
    QString tip = QStringLiteral("LinkTally");
    // Lines under the tip: the period's use and what is left.
    QString extra;
    // The share of the allowance used, drawn as a ring on the icon; below 0 for none.
    double ring = -1;
    bool visible = false;
    Notifier<> changed;
    void setExtra(const QString& t) {
        if (t == extra) return;
        extra = t;
        changed.notify();
    }
    void setRing(double r) {
        if (r == ring) return;
        ring = r;
        changed.notify();
    }
    void setTip(const QString& t) {
        if (t == tip) return;
        tip = t;
        changed.notify();
    }
    void setVisible(bool v) {
        if (v == visible) return;
        visible = v;
        changed.notify();
    }
};

// The compact always-on-top window.
struct FrChicoForm {
    ControlRegistry registry;
    LT_CONTROL(Label, LbTiempo);
    LT_CONTROL(Label, LbCosto);
    // This session's bytes received and sent, and the rates.
    LT_CONTROL(Label, LbVolumen);
    LT_CONTROL(Animation, GifAnim2);
    WindowState window;
    // Position in twips (1440 per inch).
    float left = 0, top = 0;
};

// The message window of a scheduled cut.
struct DialogoForm {
    ControlRegistry registry;
    LT_CONTROL(Label, LbExpired);
    LT_CONTROL(Label, LbDialogo);
    LT_CONTROL(CommandButton, CmAceptar);
    WindowState window;
};

struct MainForm {
    MainForm();
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    ControlRegistry registry;
    WindowState window;
    TrayState Systray;

    // Timers (intervals at load; Form_Load's composition wires the handlers).
    TimerModel TiConexion{QStringLiteral("TiConexion"), 1000, true};
    TimerModel TiTiempoConexion{QStringLiteral("TiTiempoConexion"), 1000, true};
    TimerModel TiCostos{QStringLiteral("TiCostos"), 1000, false};
    TimerModel TiServerInternet{QStringLiteral("TiServerInternet"), 1000, false};
    // Gives up on a time server that does not answer.
    TimerModel TiEsperaServidor{QStringLiteral("TiEsperaServidor"), 10000, false};
    // Saves the settings a few seconds after the last accepted edit.
    TimerModel TiGuardarAjustes{QStringLiteral("TiGuardarAjustes"), 3000, false};
    // Every timer above, for the driver that runs them.
    std::array<TimerModel*, 6> timers() {
        return {&TiConexion,       &TiTiempoConexion, &TiCostos,
                &TiServerInternet, &TiEsperaServidor, &TiGuardarAjustes};
    }

    TabControl STabTiempos_Estado{registry, QStringLiteral("STabTiempos_Estado"), 5};

    // Status tab.
    LT_CONTROL(Frame, FrTiempos_Estado);
    LT_CONTROL(Frame, FrCosto_Estado);
    LT_CONTROL(Frame, FrInicioSesion_Estado);
    LT_CONTROL(Frame, FrActualTime_Estado);
    LT_CONTROL(Label, LbTIEstado_Estado);
    LT_CONTROL(Label, LbTIEStadoE_Estado);
    LT_CONTROL(Label, LbISFecha_Estado);
    LT_CONTROL(Label, LbTAFecha_Estado);
    LT_CONTROL(Label, LbISHora_Estado);
    LT_CONTROL(Label, LbTiempoConexion_Estado);
    LT_CONTROL(Label, LbTAHora_Estado);
    LT_CONTROL(Label, LbTIHistorial_Estado);
    LT_CONTROL(Label, LbCOCostoConexionActual_Estado);
    LT_CONTROL(Label, LbCOCostoAcumulado_Estado);
    LT_CONTROL(Label, LbConexionVia_Estado);
    LT_CONTROL(Label, LbEstadoRelojServer_Estado);
    // Says that a scheduled cut found nothing this program can end.
    LT_CONTROL(Label, LbAvisoCorte_Estado);
    LT_CONTROL(Label, LbPrueba);
    LT_CONTROL(Label, LbTiempoAcumulado_Estado);
    LT_CONTROL(Label, LbDesdeHasta_Estado);
    LT_CONTROL(TextBox, TxISFecha_Estado);
    LT_CONTROL(TextBox, TxISHora_Estado);
    LT_CONTROL(TextBox, TxTAFecha_Estado);
    LT_CONTROL(TextBox, TxTAHora_Estado);
    LT_CONTROL(TextBox, TxTITiempoConexion_Estado);
    LT_CONTROL(TextBox, TxCOCostoConexionActual_Estado);
    LT_CONTROL(TextBox, TxCOCostoAcumuladoDesde);
    LT_CONTROL(TextBox, TxTiempoAcumulado_Estado);
    LT_CONTROL(TextBox, TxDiasAcumuladosInterrupcionProgramada_Estado);
    LT_CONTROL(ProgressBar, ProgressBar_Estado);
    // Today's and this calendar month's time and cost, the running session included.
    LT_CONTROL(Label, LbHoy_Estado);
    LT_CONTROL(Label, LbMes_Estado);
    // This session's bytes and rates; the period's use against the allowances; the forecast.
    LT_CONTROL(Label, LbVolumen_Estado);
    LT_CONTROL(Label, LbCuota_Estado);
    LT_CONTROL(Label, LbPronostico_Estado);
    LT_CONTROL(Animation, GifAnim1);
    LT_CONTROL(CommandButton, CdReducido_Estado);
    LT_CONTROL(CommandButton, CdConectar);
    LT_CONTROL(CommandButton, CdDesconectar);
    // The six texts of a session, then its bytes received and sent.
    Grid MSFlexGrid_Estado{registry, QStringLiteral("MSFlexGrid_Estado"), 8};

    // Cost tab.
    LT_CONTROL(OptionButton, OpCostoPorDia_Costo);
    LT_CONTROL(OptionButton, OpCostoPorSemana_Costo);
    LT_CONTROL(Frame, FrCostoPorSemana_Costo);
    LT_CONTROL(Frame, FrCostoPorDia_Costo);
    LT_CONTROL(Label, LbCostoPorSemanaDesde_Costo);
    LT_CONTROL(Label, LbCostoPorSemanaHasta_Costo);
    LT_CONTROL(Label, LbCostoHsCostoPorSemana_Costo);
    LT_CONTROL(Label, LbRestoCostoPorSemana_Costo);
    LT_CONTROL(Label, LbCostoHsRestoCostoPorSemana_Costo);
    LT_CONTROL(Label, LdDesde_Costo);
    LT_CONTROL(Label, LbHasta_Costo);
    LT_CONTROL(Label, LbCostoHS_Costo);
    LT_CONTROL(Label, LbCostoHSResto_Costo);
    LT_CONTROL(Label, LbResto_Costo);
    LT_CONTROL(Label, LbDomingo_Costo);
    LT_CONTROL(Label, LbLunes_Costo);
    LT_CONTROL(Label, LbMartes_Costo);
    LT_CONTROL(Label, LbMiercoles_Costo);
    LT_CONTROL(Label, LbJueves_Costo);
    LT_CONTROL(Label, LbViernes_Costo);
    LT_CONTROL(Label, LbSabado_Costo);
    LT_CONTROL(CheckBox, CkReduccionCosto_Costo);
    LT_CONTROL(Frame, FrReduccionCosto_Costo);
    LT_CONTROL(Label, LbCadaReduccionCosto_Costo);
    LT_CONTROL(Label, LbMinutosReduccionCosto_Costo);
    LT_CONTROL(Label, LbImpuestos_Costo);
    LT_CONTROL(TextBox, TxCadaReduccionCosto_Costo);
    LT_CONTROL(TextBox, TxPorcentajeReduccionCosto_Costo);
    LT_CONTROL(TextBox, TxImpuestos_Costo);
    // What a range of the history would cost under the tariff above.
    LT_CONTROL(Frame, FrRepreciar_Costo);
    LT_CONTROL(Label, LbRepreciarDesde_Costo);
    LT_CONTROL(TextBox, TxRepreciarDesde_Costo);
    LT_CONTROL(Label, LbRepreciarHasta_Costo);
    LT_CONTROL(TextBox, TxRepreciarHasta_Costo);
    LT_CONTROL(CommandButton, CdRepreciar_Costo);
    LT_CONTROL(Label, LbRepreciarResultado_Costo);
    LT_CONTROL(CommandButton, CdAplicarPrecios_Costo);
    LT_CONTROL(DatePicker, DTPicker);
    std::array<TarifaControls, 8> Tarifas{{{registry, kDayWords[0]},
                                           {registry, kDayWords[1]},
                                           {registry, kDayWords[2]},
                                           {registry, kDayWords[3]},
                                           {registry, kDayWords[4]},
                                           {registry, kDayWords[5]},
                                           {registry, kDayWords[6]},
                                           {registry, kDayWords[7]}}};

    // Configuration tab.
    LT_CONTROL(Label, LbIntervaloTiempoConexion_Configuracion);
    LT_CONTROL(Label, LbIntervaloTiempoCosto_configuracion);
    LT_CONTROL(Label, LbTiempoConexion_Configuracion);
    LT_CONTROL(Label, LbTiempoCosto_Configuracion);
    LT_CONTROL(Label, LbIdiomas_Configuracion);
    LT_CONTROL(Label, LbClaveActual_Configuracion);
    LT_CONTROL(Label, LbNuevaClave_Configuracion);
    LT_CONTROL(Label, LbDespuesDe_Configuracion);
    LT_CONTROL(Label, LbHsDespuesDe_Configuracion);
    LT_CONTROL(Label, LbServidoresDeTiempo_Configuracion);
    LT_CONTROL(Label, LbHorasYDurante_Configuracion);
    LT_CONTROL(Label, LbHoras_Configuracion);
    LT_CONTROL(TextBox, TxIntervaloTiempoConexion_Configuracion);
    LT_CONTROL(TextBox, TxIntervaloTiempoCosto_Configuracion);
    LT_CONTROL(TextBox, TxDespuesDe_Configuracion);
    LT_CONTROL(TextBox, TxDespuesDeLa_Configuracion);
    LT_CONTROL(TextBox, TxYDurante_Configuracion);
    LT_CONTROL(TextBox, TxClaveActual_Configuracion);
    LT_CONTROL(TextBox, TxNuevaClave_Configuracion);
    // The new password typed a second time, and whether the protected settings are open.
    LT_CONTROL(Label, LbConfirmarClave_Configuracion);
    LT_CONTROL(TextBox, TxConfirmarClave_Configuracion);
    LT_CONTROL(Label, LbEstadoClave_Configuracion);
    LT_CONTROL(CommandButton, CdBloquear_Configuracion);
    LT_CONTROL(Label, LbMoneda_Configuracion);
    // The currency symbol shown beside every amount on screen (never in stored texts).
    LT_CONTROL(TextBox, TxMoneda_Configuracion);
    LT_CONTROL(CommandButton, CdLimpiarBase_Configuracion);
    LT_CONTROL(CommandButton, CdAceptarClaveActual_Configuracion);
    LT_CONTROL(CommandButton, CdAceptarClaveNueva_Configuracion);
    LT_CONTROL(CommandButton, CdAceptarCambios_Configuracion);
    LT_CONTROL(CheckBox, CkFormatoReducido_Configuracion);
    LT_CONTROL(CheckBox, CkAbadonaAplicacion_Configuracion);
    LT_CONTROL(CheckBox, CkNuevaClave_Configuracion);
    LT_CONTROL(CheckBox, CKInicioWindows_Configuracion);
    LT_CONTROL(CheckBox, CkDespuesDeLa_Configuracion);
    LT_CONTROL(Frame, FrEsquemaInterrupciones_Configuracion);
    LT_CONTROL(Frame, FrInterrumpirConexion_Configuracion);
    LT_CONTROL(OptionButton, OpPorDia_Configuracion);
    LT_CONTROL(OptionButton, OpPorSemana_Configuracion);
    LT_CONTROL(OptionButton, OpPorMes_Configuracion);
    LT_CONTROL(OptionButton, OpNunca_Configuracion);
    // The data allowance, its warnings and the money budget.
    LT_CONTROL(Frame, FrVolumen_Configuracion);
    LT_CONTROL(Label, LbVolumen_Configuracion);
    LT_CONTROL(TextBox, TxVolumen_Configuracion);
    LT_LIST(ComboBox, CbUnidadVolumen_Configuracion);
    // None, a day, a week, a month.
    LT_LIST(ComboBox, CbPeriodoVolumen_Configuracion);
    LT_CONTROL(Label, LbDiaFacturacion_Configuracion);
    LT_CONTROL(TextBox, TxDiaFacturacion_Configuracion);
    LT_CONTROL(CheckBox, CkSoloAviso_Configuracion);
    LT_CONTROL(Label, LbAvisos_Configuracion);
    LT_CONTROL(TextBox, TxAvisos_Configuracion);
    LT_CONTROL(Label, LbPresupuesto_Configuracion);
    LT_CONTROL(TextBox, TxPresupuesto_Configuracion);
    LT_CONTROL(CommandButton, CdAceptarVolumen_Configuracion);
    LT_LIST(ListBox, LsIdiomas);
    LT_LIST(ComboBox, CbServidoresDeTiempo);

    // Statistics tab.
    LT_CONTROL(OptionButton, OpBarras_Estadisticas);
    LT_CONTROL(OptionButton, OpLineal_Estadisticas);
    LT_CONTROL(Label, LbMostrarPor_Estadisticas);
    LT_CONTROL(Label, LbSesion_Estadisticas);
    LT_CONTROL(Label, LbDia_Estadisticas);
    LT_CONTROL(Label, LbSemana_Estadisticas);
    LT_CONTROL(Label, LbMes_Estadisticas);
    LT_CONTROL(Label, LbTiempos_Estadisticas);
    LT_CONTROL(Label, LbCostos_Estadisticas);
    LT_CONTROL(CheckBox, CkTiempo_Estadisticas);
    LT_CONTROL(CheckBox, CkCosto_Estadisticas);
    LT_CONTROL(CheckBox, CkCostoTotal_Estadisticas);
    // Time, or the bytes received and sent, on the chart's left axis.
    LT_CONTROL(OptionButton, OpTiempo_Estadisticas);
    LT_CONTROL(OptionButton, OpVolumen_Estadisticas);
    LT_CONTROL(CheckBox, CkRecibido_Estadisticas);
    LT_CONTROL(CheckBox, CkEnviado_Estadisticas);
    LT_CONTROL(Chart, Grafica_Estadisticas);

    // About tab.
    LT_CONTROL(Frame, FrAcercaDe_AcercaDe);
    LT_CONTROL(Label, LbDescripcion_AcercaDe);
    LT_CONTROL(Label, LbVersion_AcercaDe);
    LT_CONTROL(Label, LbLicencia_AcercaDe);

    // Under the tabs: why the settings are greyed while a session runs.
    LT_CONTROL(Label, LbBloqueo);

    // The controls the password protects.
    std::array<Control*, 8> protegidos() {
        return {&FrInterrumpirConexion_Configuracion, &CkFormatoReducido_Configuracion,
                &CKInicioWindows_Configuracion,       &CkAbadonaAplicacion_Configuracion,
                &CkNuevaClave_Configuracion,          &CbServidoresDeTiempo,
                &CdLimpiarBase_Configuracion,         &FrVolumen_Configuracion};
    }

    FrChicoForm FrChico;
    DialogoForm Dialogo;
};

}  // namespace lt
