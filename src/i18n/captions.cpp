#include "i18n/captions.h"

#include <array>

namespace lt {
namespace {

// Rows are in the order the captions are applied.
constexpr CaptionEntry kStatusTab[] = {
    {"FrTiempos_Estado", "Time", "Tiempos"},
    {"FrCosto_Estado", "Cost", "Costo"},
    {"FrInicioSesion_Estado", "Start Sesion:", "Inicio Sesion:"},
    {"FrActualTime_Estado", "Actual Time:", "Tiempo Actual:"},
    {"LbTIEstado_Estado", "State:", "Estado:"},
    {"LbTIEStadoE_Estado", "DISCONNECTED", "DESCONECTADO"},
    {"LbISFecha_Estado", "Date:", "Fecha:"},
    {"LbTAFecha_Estado", "Date:", "Fecha:"},
    {"LbISHora_Estado", "Time:", "Hora:"},
    {"LbTiempoConexion_Estado", "Time Enlapsed:", "Tiempo Conexion:"},
    {"LbTAHora_Estado", "Time:", "Hora:"},
    {"LbTIHistorial_Estado", "Historial:", "Historial:"},
    {"LbCOCostoConexionActual_Estado", "Actual Connection Cost:", "Costo Conexion Actual:"},
    {"CdReducido_Estado", "Small", "Reducido"},
};

constexpr CaptionEntry kCostTab[] = {
    {"OpCostoPorDia_Costo", "Cost per day", "Costo por dia"},
    {"OpCostoPorSemana_Costo", "Cost per week", "Costo por semana"},
    {"FrCostoPorSemana_Costo", "Cost per week", "Costo por semana"},
    {"FrCostoPorDia_Costo", "Cost per day", "Costo por dia"},
    {"LbCostoPorSemanaDesde_Costo", "From:", "Desde:"},
    {"LbCostoPorSemanaHasta_Costo", "   To:", "Hasta:"},
    {"LbCostoHsCostoPorSemana_Costo", "Cost/Hs.", "Costo/Hs."},
    {"LbRestoCostoPorSemana_Costo", "Rest", "Resto"},
    {"LbCostoHsRestoCostoPorSemana_Costo", "Cost/Hs.", "Costo/Hs."},
    {"LdDesde_Costo", "From:", "Desde:"},
    {"LbHasta_Costo", "   To:", "Hasta:"},
    {"LbCostoHS_Costo", "Cost/Hs.", "Costo/Hs."},
    {"LbCostoHSResto_Costo", "Cost/Hs.", "Costo/Hs."},
    {"LbResto_Costo", "Rest", "Resto"},
    {"LbDomingo_Costo", "Sunday:", "Domingo:"},
    {"LbLunes_Costo", "Monday:", "Lunes:"},
    {"LbMartes_Costo", "Tuesday:", "Martes:"},
    {"LbMiercoles_Costo", "Wednesday:", "Miercoles:"},
    {"LbJueves_Costo", "Thursday:", "Jueves:"},
    {"LbViernes_Costo", "Friday:", "Viernes:"},
    {"LbSabado_Costo", "Saturday:", "Sabado:"},
    {"CkReduccionCosto_Costo", "Reduction Cost", "Reduccion costo"},
    {"FrReduccionCosto_Costo", "Reduction Cost", "Reduccion costo"},
    {"LbCadaReduccionCosto_Costo", "Each", "Cada"},
    {"LbMinutosReduccionCosto_Costo", "minute connection consecutive, reduction cost in:",
     "minutos consecutivos de conexión, el costo se reduce en:"},
    {"LbImpuestos_Costo", "Tax:", "Impuestos:"},
};

constexpr CaptionEntry kConfigurationTab[] = {
    {"LbIntervaloTiempoConexion_Configuracion",
     "Interval time check connection:", "Intervalo de tiempo chequeo conexión:"},
    {"LbIntervaloTiempoCosto_configuracion",
     "Interval time cost calculation:", "Intervalo de tiempo cálculo costo:"},
    {"CdLimpiarBase_Configuracion", "Clear Data Base", "Limpiar datos de la base"},
    {"CkFormatoReducido_Configuracion", "Start small format", "Inicio formato reducido"},
    {"LbTiempoConexion_Configuracion", "second.", "segundos."},
    {"LbTiempoCosto_Configuracion", "minutes.", "minutos."},
    {"LbIdiomas_Configuracion", "Language", "Idiomas"},
    {"CkAbadonaAplicacion_Configuracion", "Not exit aplication", "No permite abandonar aplicacion"},
    {"FrEsquemaInterrupciones_Configuracion", "Interruption schedule", "Esquema de interrupciones"},
    {"CkNuevaClave_Configuracion", "new password, modify password",
     "Nueva clave, modificar clave actual"},
    {"LbClaveActual_Configuracion", "Password:", "Clave:"},
    {"CdAceptarClaveActual_Configuracion", "Enter password", "Aceptar clave"},
    {"LbNuevaClave_Configuracion", "Enter new password:", "Ingrese nueva clave:"},
    {"CdAceptarClaveNueva_Configuracion", "Enter password", "Aceptar clave"},
    {"FrInterrumpirConexion_Configuracion", "Stop connection", "Interrumpir conexion"},
    {"LbDespuesDe_Configuracion", "After", "Despues de"},
    {"LbHsDespuesDe_Configuracion", "hours.", "horas."},
    {"OpPorDia_Configuracion", "daily", "diarias"},
    {"OpPorSemana_Configuracion", "weekly", "semanales"},
    {"OpPorMes_Configuracion", "monthly", "mensuales"},
    {"OpNunca_Configuracion", "never", "nunca"},
    {"CdAceptarCambios_Configuracion", "Accept change", "Aceptar cambios"},
    {"LbServidoresDeTiempo_Configuracion", "Time servers", "Servidores de tiempo"},
    {"CKInicioWindows_Configuracion", "Execute LinkTally when beginning Windows",
     "Ejecutar LinkTally cuando inicio Windows"},
    {"CkDespuesDeLa_Configuracion", "After of", "Despues de la"},
    {"LbHorasYDurante_Configuracion", "hours and during", "horas y durante"},
    {"LbHoras_Configuracion", "hours", "horas"},
};

constexpr CaptionEntry kStatisticsTab[] = {
    {"OpBarras_Estadisticas", "Bar", "Bar"},
    {"OpLineal_Estadisticas", "Linear", "Linear"},
    {"LbMostrarPor_Estadisticas", "Show for:", "Mostrar por:"},
    {"LbSesion_Estadisticas", "Sesion->", "Sesion->"},
    {"LbDia_Estadisticas", "Day->", "Dia->"},
    {"LbSemana_Estadisticas", "Week->", "Semana->"},
    {"LbMes_Estadisticas", "Month->", "Mes->"},
    {"LbTiempos_Estadisticas", "Time [hr]", "Tiempos [hr]"},
    {"LbCostos_Estadisticas", "Cost", "Costo"},
    {"CkTiempo_Estadisticas", "Time", "Tiempo"},
    {"CkCosto_Estadisticas", "Cost", "Costo"},
    {"CkCostoTotal_Estadisticas", "Total cost", "Costo total"},
    {"OpTiempo_Estadisticas", "Time", "Tiempo"},
    {"OpVolumen_Estadisticas", "Volume", "Volumen"},
    {"CkRecibido_Estadisticas", "Received", "Recibido"},
    {"CkEnviado_Estadisticas", "Sent", "Enviado"},
};

constexpr CaptionEntry kAboutTab[] = {
    {"FrAcercaDe_AcercaDe", "About ...", "Acerca de ..."},
};

constexpr CaptionEntry kGrid[] = {
    {"0", kGridDate.english, kGridDate.spanish},
    {"1", kGridStartTime.english, kGridStartTime.spanish},
    {"2", kGridEndTime.english, kGridEndTime.spanish},
    {"3", kGridConnectionTime.english, kGridConnectionTime.spanish},
    {"4", kGridCost.english, kGridCost.spanish},
    {"5", kGridAccumulatedCost.english, kGridAccumulatedCost.spanish},
    {"6", kGridReceived.english, kGridReceived.spanish},
    {"7", kGridSent.english, kGridSent.spanish},
};

constexpr std::array<std::span<const CaptionEntry>, kTabCount> kTables{
    kStatusTab, kCostTab, kConfigurationTab, kStatisticsTab, kAboutTab};

constexpr std::array<TabCaption, kTabCount> kTabs{{
    {"Status", "Estados"},
    {"Cost", "Costo"},
    {"Configuration", "Configuracion"},
    {"Statistics", "Estadisticas"},
    {"About ...", "Acerca de ..."},
}};

}  // namespace

std::span<const ToolTipEntry> toolTipTable() {
    static constexpr ToolTipEntry kTips[] = {
        {"CdConectar", "Show the connection and time-server status lines",
         "Mostrar las líneas de estado de la conexión y del servidor de tiempo"},
        {"CdDesconectar", "Hide the connection and time-server status lines",
         "Ocultar las líneas de estado de la conexión y del servidor de tiempo"},
        {"CdReducido_Estado", "A small window that stays on top with the time and the cost",
         "Una ventana pequeña siempre visible con el tiempo y el costo"},
        {"DTPicker",
         "The day whose weekday tariff prices the sessions: the day LinkTally was started",
         "El día cuya tarifa de la semana cotiza las sesiones: el día en que se inició LinkTally"},
        {"CkTiempo_Estadisticas", "Show or hide the connection time (minutes)",
         "Mostrar u ocultar el tiempo de conexión (minutos)"},
        {"CkCosto_Estadisticas", "Show or hide the cost of each session or period",
         "Mostrar u ocultar el costo de cada sesión o período"},
        {"CkCostoTotal_Estadisticas", "Show or hide the accumulated cost",
         "Mostrar u ocultar el costo acumulado"},
        {"TxMoneda_Configuracion",
         "Shown beside every amount on screen; never stored in the history",
         "Se muestra junto a cada importe en pantalla; nunca se guarda en el historial"},
        {"TxVolumen_Configuracion",
         "Bytes received and sent together, per day, week or month, in MB or GB",
         "Bytes recibidos y enviados juntos, por día, semana o mes, en MB o GB"},
        {"TxDiaFacturacion_Configuracion",
         "The day (1 to 28) your provider's month starts on; 1 is the calendar month",
         "El día (1 a 28) en que empieza el mes de su proveedor; 1 es el mes calendario"},
        {"CkSoloAviso_Configuracion",
         "When the allowance is used up, only say so; never end the connection",
         "Al agotarse la cuota, solo avisar; nunca terminar la conexión"},
        {"TxAvisos_Configuracion",
         "Percentages of each allowance and of the budget that bring a warning, e.g. 80,95",
         "Porcentajes de cada cuota y del presupuesto que traen un aviso, p. ej. 80,95"},
        {"TxPresupuesto_Configuracion",
         "Money you mean to spend per month (from the day above); it warns, it never cuts. "
         "Empty: none",
         "Dinero que piensa gastar por mes (desde el día de arriba); avisa, nunca corta. "
         "Vacío: ninguno"},
    };
    return kTips;
}

std::span<const CaptionEntry> volumeCaptions() {
    static constexpr CaptionEntry kVolume[] = {
        {"FrVolumen_Configuracion", "Data allowance and budget", "Cuota de datos y presupuesto"},
        {"LbVolumen_Configuracion", "Allowance:", "Cuota:"},
        {"LbDiaFacturacion_Configuracion", "Month starts on day:", "El mes empieza el día:"},
        {"CkSoloAviso_Configuracion", "Warn only, do not cut", "Solo avisar, no cortar"},
        {"LbAvisos_Configuracion", "Warn at (%):", "Avisar al (%):"},
        {"LbPresupuesto_Configuracion", "Budget per month:", "Presupuesto por mes:"},
        {"CdAceptarVolumen_Configuracion", "Accept allowance", "Guardar cuota"},
        {"FrRepreciar_Costo", "Re-price the history", "Repreciar el historial"},
        {"LbRepreciarDesde_Costo", "From:", "Desde:"},
        {"LbRepreciarHasta_Costo", "To:", "Hasta:"},
        {"CdRepreciar_Costo", "Re-price", "Repreciar"},
        {"CdAplicarPrecios_Costo", "Apply to history", "Aplicar al historial"},
    };
    return kVolume;
}

std::span<const CaptionEntry> captionTable(int tab) {
    if (tab < 0 || tab >= kTabCount) return {};
    return kTables[static_cast<std::size_t>(tab)];
}

std::span<const CaptionEntry> gridCaptions() {
    return kGrid;
}

TabCaption tabCaption(int tab) {
    if (tab < 0 || tab >= kTabCount) return {nullptr, nullptr};
    return kTabs[static_cast<std::size_t>(tab)];
}

const char* pickText(int codigoIdioma, const char* english, const char* spanish) {
    switch (codigoIdioma) {
        case kLanguageSpanish:
            return spanish;
        default:
            return english;
    }
}

}  // namespace lt
