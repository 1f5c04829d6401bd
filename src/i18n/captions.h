#pragma once
// Every text the window shows in English and Spanish: the caption tables applied when a
// language is chosen, and the texts the program writes while it runs. All literals are
// UTF-8 and are kept character for character as users have always seen them, odd
// spellings and blanks included, since other code reads some of them back.
#include <QString>
#include <span>

namespace lt {

struct CaptionEntry {
    const char* control;  // the control's name, which is also the widget's objectName
    const char* english;
    const char* spanish;
};

struct TabCaption {
    const char* english;
    const char* spanish;
};

struct Bilingual {
    const char* english;
    const char* spanish;
};

inline constexpr int kTabCount = 5;
inline constexpr int kLanguageEnglish = 0;
inline constexpr int kLanguageSpanish = 1;

// Captions of the controls on tab 0..4 in the order they are applied; empty for any other
// tab. The history grid's header cells are not here: see gridCaptions().
std::span<const CaptionEntry> captionTable(int tab);
// Header cells of the history grid; the control field holds the column, "0".."5".
std::span<const CaptionEntry> gridCaptions();
// Title of tab 0..4; both texts are null for any other tab.
TabCaption tabCaption(int tab);

// The text for the language code: Spanish for 1, English for 0 and for a code that a
// hand-edited file may hold, so that the program always speaks and its session state
// ("C"/"D") is always written.
const char* pickText(int codigoIdioma, const char* english, const char* spanish);
inline const char* pickText(int codigoIdioma, const Bilingual& text) {
    return pickText(codigoIdioma, text.english, text.spanish);
}
inline QString textIn(int codigoIdioma, const Bilingual& text) {
    return QString::fromUtf8(pickText(codigoIdioma, text));
}

// ---- Texts shown in one language only ----------------------------------------------

inline constexpr const char* kAppTitle = "LinkTally";  // message boxes, tray tip at rest
inline constexpr const char* kCompactWindowTitle = "LinkTally V1.06 (b)";
inline constexpr const char* kNoTimeServer = "Not servers....";  // entry 0 of the server list
inline constexpr const char* kLanguageNames[] = {"English", "Español"};  // by language code

// ---- Session state and connection kind ---------------------------------------------

// The first letter of these is read back as the session state: keep "C" and "D".
inline constexpr Bilingual kConnected{"CONNECTED", "CONECTADO"};
inline constexpr Bilingual kDisconnected{"DISCONNECTED", "DESCONECTADO"};

// Joined without separators: modem + LAN + proxy, as the flags are found.
inline constexpr Bilingual kViaModem{"Connection Via Modem", "Conexion Via Modem"};
inline constexpr Bilingual kViaLan{"Connection Via LAN", "Conexion Via LAN"};
inline constexpr Bilingual kViaProxy{" - Connection via a Proxy", " - Conexion via Proxy"};
inline constexpr Bilingual kModemBusy{"Connection Via Modem but modem is busy",
                                      "Conexion Via Modem pero el modem esta ocupado"};

// A scheduled cut that found no connection this program can end (a LAN without a
// connection manager): said once on the status tab, the session goes on.
inline constexpr Bilingual kMsgCannotCut{
    "The scheduled cut could not end this connection: no dial-up or managed connection "
    "was found. The session goes on.",
    "El corte programado no pudo terminar esta conexión: no se encontró una conexión "
    "telefónica ni administrada. La sesión continúa."};

// ---- History grid and accumulated cost ---------------------------------------------

inline constexpr Bilingual kGridDate{"Date", "Fecha:"};
inline constexpr Bilingual kGridStartTime{"Start Time:", "Hora Inicio:"};
inline constexpr Bilingual kGridEndTime{"End Time:", "Hora Finalizacion:"};
inline constexpr Bilingual kGridConnectionTime{"Connection Time:", "Tiempo Conexion:"};
inline constexpr Bilingual kGridCost{"Cost:", "Costo:"};
inline constexpr Bilingual kGridAccumulatedCost{"Accumulate Cost:", "Costo Acumulado"};
inline constexpr Bilingual kGridReceived{"Received", "Recibido"};
inline constexpr Bilingual kGridSent{"Sent", "Enviado"};

// Followed by the date the accumulation started and ":".
// The About tab's line on what the program does.
inline constexpr Bilingual kAboutDescription{
    "Measures the time and cost of your Internet connections.",
    "Mide el tiempo y el costo de sus conexiones a Internet."};

inline constexpr Bilingual kCostAddFrom{"Cost add from ", "Costo acumulado desde el "};

// ---- Time server and clock guard ---------------------------------------------------

inline constexpr Bilingual kTimeServerUnavailable{"Time Server unavailability",
                                                  "Servidor de tiempo no disponible"};
inline constexpr Bilingual kClockSynchronised{"PC Clock synchronised", "Reloj PC sincronizado"};
inline constexpr Bilingual kClockNotSynchronised{"PC Clock not synchronised",
                                                 "Reloj PC no sincronizado"};
inline constexpr Bilingual kClockServerProblem{
    "PC Clock not synchronised. Problem with Server",
    "Reloj PC no sincronizado. Problemas con el servidor"};
// Followed by a growing run of dots.
inline constexpr Bilingual kClockChanged{"The hour in the PC has changed ",
                                         "Se ha cambiado la hora en la PC "};

// ---- Password ----------------------------------------------------------------------

inline constexpr Bilingual kMsgPasswordNotValid{"Password not valid", "Clave no valida"};
inline constexpr Bilingual kPasswordLabel{"Password:", "Clave:"};
inline constexpr Bilingual kPreviousPasswordLabel{"Enter previous password:",
                                                  "Ingrese clave anterior:"};

inline constexpr Bilingual kMsgPasswordCharacters{
    "The new password may only hold letters, digits and signs of Western European "
    "languages; it was not changed.",
    "La nueva clave solo puede tener letras, dígitos y signos de los idiomas de Europa "
    "occidental; no se cambió."};

// ---- Validation of typed settings --------------------------------------------------

inline constexpr Bilingual kMsgHours0to23{"Nonvalid value, to enter values between 0 and 23",
                                          "Valor no valido, ingresar valores entre 0 y 23"};
inline constexpr Bilingual kMsgMinutesSeconds0to59{
    "Nonvalid value, to enter values between 0 and 59",
    "Valor no valido, ingresar valores entre 0 y 59"};
inline constexpr Bilingual kMsgNumber0to9999999999{
    "Nonvalid value, to enter values between 0 and 9999999999",
    "Valor no valido, ingresar valores entre 0 y 9999999999"};
inline constexpr Bilingual kMsgPercent0to100{"Nonvalid value, to enter values between 0 and 100",
                                             "Valor no valido, ingresar valores entre 0 y 100"};
inline constexpr Bilingual kMsgInteger0to999{"Nonvalid value, to enter values between 0 and 999",
                                             "Valor no valido, ingresar valores entre 0 y 999"};
inline constexpr Bilingual kMsgInterval1to15{"Nonvalid value, to enter values between 1 and 15",
                                             "Valor no valido, ingresar valores entre 1 y 15"};
// The English text has a blank before hh; the Spanish one has none.
inline constexpr Bilingual kMsgTimeFormat{
    "Nonvalid format, to enter the following format ' hh:mm:ss', '23:59:59'",
    "Formato no valido, ingresar el formato siguiente 'hh:mm:ss', '23:59:59'"};
inline constexpr Bilingual kMsgIncompleteScheme{
    "Completed all data in 'Interrupt scheme'",
    "Se deben completar todos los datos en 'Esquema interrupciones'"};

// ---- Interruption schedule ---------------------------------------------------------

// Period legend: from + start date + to + end date. The weekly legend written when a new
// week starts has one blank more after "From:" than every other legend.
inline constexpr Bilingual kLegendFromNewWeek{"From:   ", "Desde: "};
inline constexpr Bilingual kLegendFrom{"From:  ", "Desde: "};
inline constexpr Bilingual kLegendTo{"   to  ", " hasta "};

inline constexpr Bilingual kAccumulatedDaily{"Accumulate time daily", "Tiempo acumulado diario"};
inline constexpr Bilingual kAccumulatedWeekly{"Accumulate time weekly", "Tiempo acumulado semanal"};
inline constexpr Bilingual kAccumulatedMonthly{"Accumulate time monthly",
                                               "Tiempo acumulado mensual"};

// Window legend: from + start + kLegendTo + end + kHoursSuffix.
inline constexpr Bilingual kWindowFrom{"It will be interrupted from ", "Se interrumpira desde: "};
inline constexpr Bilingual kHoursSuffix{" hs.", " hs."};

// The message window shown when the schedule cuts the connection.
inline constexpr Bilingual kDialogExpired{"The time programmed to finalized.",
                                          "El tiempo programado a finalizado."};
// Window mode: from + start + during + duration + kDialogHoursEnd.
inline constexpr Bilingual kDialogProgrammedFrom{"It was programmed from ",
                                                 "Se programó desde las "};
inline constexpr Bilingual kDialogAndDuring{" and during ", " y durante "};
inline constexpr Bilingual kDialogHoursEnd{" hours.", " horas."};
// Allowance mode: programmed + hours + (daily, or per-period + the period legend).
inline constexpr Bilingual kDialogProgrammed{"It was programmed ", "Se programó "};
inline constexpr Bilingual kDialogHoursDaily{" hours daily.", " horas diarias."};
inline constexpr Bilingual kDialogHoursPeriod{" hours ", " horas "};
inline constexpr Bilingual kDialogOk{"OK", "Aceptar"};

// ---- Locks, questions and what a control is for --------------------------------------

// Why a control is greyed: a running session, or the password.
inline constexpr Bilingual kLockedWhileConnected{
    "Locked while connected: changes can be made when the connection ends",
    "Bloqueado mientras hay conexión: los cambios se pueden hacer cuando termine la conexión"};
inline constexpr Bilingual kLockedByPassword{
    "Protected: enter the password on the Configuration tab to change it",
    "Protegido: ingrese la clave en la pestaña Configuracion para cambiarlo"};
inline constexpr Bilingual kProtectedLocked{"Protected settings: locked",
                                            "Configuración protegida: bloqueada"};
inline constexpr Bilingual kProtectedUnlocked{"Protected settings: unlocked",
                                              "Configuración protegida: desbloqueada"};
inline constexpr Bilingual kLockAgain{"Lock", "Bloquear"};
inline constexpr Bilingual kConfirmPasswordLabel{"Repeat new password:", "Repita la nueva clave:"};
inline constexpr Bilingual kMsgPasswordsDiffer{
    "The two new passwords are not the same; the password was not changed.",
    "Las dos claves nuevas no son iguales; la clave no se cambió."};
inline constexpr Bilingual kMsgPasswordChanged{"Password changed", "Clave cambiada"};
inline constexpr Bilingual kAskClearHistory{
    "Clear the whole history and start the accumulated cost again from today? A copy of the "
    "history is kept beside it.",
    "¿Borrar todo el historial y empezar de nuevo el costo acumulado desde hoy? Se guarda una "
    "copia del historial a su lado."};
inline constexpr Bilingual kMsgHistoryCleared{
    "The history was cleared. Its copy is %1; to bring it back, close LinkTally and put that "
    "file in place of the history file.",
    "Se borró el historial. Su copia es %1; para recuperarlo, cierre LinkTally y ponga ese "
    "archivo en lugar del archivo del historial."};
// Closing the window during a session, and the tray icon's menu.
inline constexpr Bilingual kTrayKeepsCounting{
    "LinkTally keeps counting here while a session runs. Use Quit in this icon's menu to end it.",
    "LinkTally sigue contando aquí mientras hay una sesión. Use Salir en el menú de este icono "
    "para terminarlo."};
inline constexpr Bilingual kTrayShow{"Show", "Mostrar"};
inline constexpr Bilingual kTrayQuit{"Quit", "Salir"};
inline constexpr Bilingual kTrayNotExit{
    "LinkTally may not be closed: \"Not exit aplication\" is ticked.",
    "LinkTally no se puede cerrar: \"No permite abandonar aplicacion\" está marcado."};
// The period at a glance, beside the session.
inline constexpr Bilingual kToday{"Today:", "Hoy:"};
inline constexpr Bilingual kThisMonth{"This month:", "Este mes:"};
inline constexpr Bilingual kCurrencyLabel{"Currency symbol:", "Símbolo de moneda:"};
// The About tab: the version the package carries, the licence and the home page.
inline constexpr Bilingual kVersion{"Version ", "Versión "};
inline constexpr Bilingual kLicence{
    "Free software under the GNU General Public License, version 3 or later. Home page: "
    "<a href=\"https://linktally.org/\">linktally.org</a>",
    "Software libre bajo la Licencia Pública General de GNU, versión 3 o posterior. Página: "
    "<a href=\"https://linktally.org/\">linktally.org</a>"};

// What the controls whose caption says little are for.
struct ToolTipEntry {
    const char* control;
    const char* english;
    const char* spanish;
};
std::span<const ToolTipEntry> toolTipTable();
// The data allowance's controls on the Configuration tab.
std::span<const CaptionEntry> volumeCaptions();

// ---- Failures of the program's own storage -----------------------------------------
// %1 is the reason given by the system, or the file's path.

inline constexpr Bilingual kMsgSettingsNotWritten{
    "The settings file could not be written: %1",
    "No se pudo guardar el archivo de configuración: %1"};
inline constexpr Bilingual kMsgSettingsNotRead{
    "The settings file could not be read: %1. The program starts with default values.",
    "No se pudo leer el archivo de configuración: %1. El programa inicia con los valores "
    "predeterminados."};
inline constexpr Bilingual kMsgHistoryNotWritten{
    "The session could not be saved in the history: %1. It is kept and will be saved later.",
    "No se pudo guardar la sesión en el historial: %1. Se conserva y se guardará más tarde."};
inline constexpr Bilingual kMsgHistoryPendingSaved{
    "The sessions that could not be saved earlier are now in the history.",
    "Las sesiones que no se pudieron guardar antes ya están en el historial."};
inline constexpr Bilingual kMsgHistoryNotRead{"The history could not be read: %1",
                                              "No se pudo leer el historial: %1"};
inline constexpr Bilingual kRepricingDates{
    "Write both days as dd/MM/yyyy, the first not after the second.",
    "Escriba ambos días como dd/MM/aaaa, el primero no posterior al segundo."};
inline constexpr Bilingual kRepricingNone{"No stored session began in those days.",
                                          "Ninguna sesión guardada empezó en esos días."};
inline constexpr Bilingual kRepricingResult{
    "%1 sessions: %2 as stored, %3 under this tariff.",
    "%1 sesiones: %2 según lo guardado, %3 con esta tarifa."};
inline constexpr Bilingual kAskRepricing{
    "Write the costs under this tariff into the history for those days? The accumulated "
    "costs of those sessions change with them. A copy of the history is kept beside it.",
    "¿Escribir en el historial los costos con esta tarifa para esos días? Los costos "
    "acumulados de esas sesiones cambian con ellos. Se guarda una copia del historial a su "
    "lado."};
inline constexpr Bilingual kMsgHistoryRepriced{
    "The costs were rewritten. The history as it was is kept as %1.",
    "Se reescribieron los costos. El historial como estaba se guarda como %1."};
inline constexpr Bilingual kMsgHistoryNotRepriced{"The costs could not be rewritten: %1",
                                                  "No se pudieron reescribir los costos: %1"};
inline constexpr Bilingual kMsgHistoryNotCleared{"The history could not be cleared: %1",
                                                 "No se pudo borrar el historial: %1"};
inline constexpr Bilingual kMsgHistoryDamaged{
    "The history file was damaged. It was kept as %1 and a new history was started; "
    "sessions go on being stored.",
    "El archivo del historial estaba dañado. Se guardó como %1 y se empezó un historial "
    "nuevo; las sesiones se siguen guardando."};
inline constexpr Bilingual kMsgHistoryRecreated{
    "The history file %1 was removed or replaced while LinkTally ran; a new one was started.",
    "El archivo del historial %1 se quitó o se reemplazó mientras LinkTally funcionaba; se "
    "empezó uno nuevo."};
inline constexpr Bilingual kMsgLedgerNotWritten{
    "The running session could not be noted on the disk: %1. It is kept in memory; should "
    "LinkTally stop now, it could be lost.",
    "No se pudo anotar en el disco la sesión en curso: %1. Se conserva en memoria; si "
    "LinkTally se detuviera ahora, podría perderse."};
inline constexpr Bilingual kMsgLockNotTaken{
    "LinkTally could not make its lock file (%1). It runs, but a second copy started now "
    "would not notice this one.",
    "LinkTally no pudo crear su archivo de bloqueo (%1). Funciona, pero una segunda copia "
    "iniciada ahora no notaría esta."};
inline constexpr Bilingual kMsgSessionRecovered{
    "A session that was running when LinkTally stopped was recovered.",
    "Se recuperó una sesión que estaba en curso cuando LinkTally se detuvo."};
inline constexpr Bilingual kMsgAutostartNotChanged{
    "The automatic start of LinkTally could not be changed: %1",
    "No se pudo cambiar el inicio automático de LinkTally: %1"};

// ---- Statistics chart --------------------------------------------------------------

// The time axis is in minutes; the caption table's entry names hours, so charting and a
// language switch write this over it.
inline constexpr Bilingual kChartTimeAxis{"Time [min]", "Tiempos [min]"};
// Series names, by series (time, cost, total cost): the legend and the cost axes.
inline constexpr Bilingual kChartSeries[] = {
    {"Time [min]", "Tiempo [min]"}, {"Cost", "Costo"}, {"Total cost", "Costo total"}};
// The value under the pointer, by series: %1 the point's label, %2 the value.
inline constexpr Bilingual kChartPointTip[] = {{"%1 — Time: %2 min", "%1 — Tiempo: %2 min"},
                                               {"%1 — Cost: %2", "%1 — Costo: %2"},
                                               {"%1 — Total cost: %2", "%1 — Costo total: %2"}};
inline constexpr Bilingual kChartSaveImage{"Save image…", "Guardar imagen…"};
inline constexpr Bilingual kChartSaveData{"Save data…", "Guardar datos…"};
// %1 the file, %2 the reason.
inline constexpr Bilingual kChartNotSaved{"%1 could not be written: %2",
                                          "No se pudo escribir %1: %2"};

}  // namespace lt
