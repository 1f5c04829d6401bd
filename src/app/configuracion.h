#pragma once
// The main form's logic and the program's composition root: builds the subsystems on
// the shared form model and run-time state, and wires the timers and events to them.
#include <QString>
#include <functional>
#include <memory>

#include "app/clock_change_guard.h"
#include "app/connection_check.h"
#include "app/session_clock.h"
#include "clocksync/time_server_client.h"
#include "cost/cost_calculator.h"
#include "form/estado_monitor.h"
#include "form/main_form.h"
#include "form/messages.h"
#include "history/history_repricing.h"
#include "history/history_store.h"
#include "history/session_history.h"
#include "password/access_password.h"
#include "platform/connection.h"
#include "platform/file_locations.h"
#include "platform/file_system.h"
#include "schedule/interruption_schedule.h"
#include "settings/launch_at_startup.h"
#include "settings/parametros_monitor.h"
#include "settings/settings_editing.h"
#include "settings/settings_lock.h"
#include "settings/settings_store.h"
#include "settings/validators.h"
#include "stats/period_summary.h"
#include "stats/statistics.h"
#include "volume/volume_allowance.h"

namespace lt {

class Clock;
class MessageBox;

// What closing the main window leads to.
enum class CloseDecision {
    Refused,      // the window stays and the program keeps running
    QuitProgram,  // the whole program ends at once
    CloseWindow,  // the window closes normally (which ends the program)
};

class Configuracion {
  public:
    // Messages wait until Form_Load has finished.
    Configuracion(const Clock& clock, MessageBox& messages, AppFiles files, ConnectionProbe& probe,
                  ConnectionCutter& cutter);
    Configuracion(const Configuracion&) = delete;
    Configuracion& operator=(const Configuracion&) = delete;

    MainForm& form() { return form_; }
    EstadoMonitor& estado() { return estado_; }
    const ParametrosMonitor& parametros() const { return params_; }
    Messages& messages() { return messages_; }
    SettingsStore& settings() { return settings_; }
    ConnectionCheck& connection() { return connection_; }
    SessionClock& sessionClock() { return session_; }
    CostCalculator& cost() { return cost_; }
    ClockChangeGuard& clockGuard() { return guard_; }
    SessionHistory& history() { return history_; }
    InterruptionSchedule& schedule() { return schedule_; }
    AccessPassword& password() { return password_; }
    SettingsEditing& editing() { return editing_; }
    Statistics& statistics() { return stats_; }
    HistoryStore& historyStore() { return store_; }
    SessionLedger& ledger() { return ledger_; }
    const AppFiles& files() const { return files_; }

    // Where the program starts with the desktop from; set before Form_Load.
    void setAutostart(Autostart& autostart, QString executablePath);
    // The time server's connection and the way to set the PC clock; set before Form_Load.
    void setTimeService(TimeSocket& socket, SystemClockSetter& setter);
    // The byte counters of the links, and where warnings are shown; set before Form_Load.
    void setVolumeServices(TrafficCounters& counters,
                           std::function<void(const Notification&)> notify);
    VolumeAllowance& volume() { return volume_; }

    void Form_Load();
    void Form_Activate();
    void Form_Resize(bool minimized);
    CloseDecision Form_Unload();
    // "Quit" in the tray icon's menu: the same rule as closing, "Not exit application",
    // but also during a session, which a quit then stores as a logout does.
    CloseDecision Salir();
    // Logout, shutdown or SIGTERM: never refused; a running session is stored and the
    // settings are saved.
    void shutdown();

    // The compact window: opened by "Reducido" (the main window hides), closed back to
    // the main window; its position is kept in the settings file.
    void CdReducido_Estado_Click();
    void FrChico_Form_Load();
    void FrChico_Form_Unload();
    // A left click on the tray icon brings the main window back.
    void Systray_MouseDown(int button);

    // The language list; also the entry point of a language change.
    void LsIdiomas_Click();
    void LeyendaGrillaFilaCero();
    void BarraDeProgreso();

    // Time servers of the list, after the "Not servers...." entry.
    static const QStringList& timeServers();

  private:
    void wireEvents();
    void applyLanguage(int code);
    void aplicarMoneda();
    void guardarAjustesEnUnRato();
    void fillTimeServerList();
    void STabTiempos_Estado_Click(int previousTab);
    void OpCostoPorDia_Costo_Click();
    void OpCostoPorSemana_Costo_Click();
    void chooseTariffForm(bool perDay);
    void TiCostos_Timer();
    void TiServerInternet_Timer();
    // Filled by the subsystems that come with later steps.
    void GraficaPorSesion();
    void wireTimers();
    QString animationPath() const;

    const Clock& clock_;
    AppFiles files_;
    MainForm form_;
    EstadoMonitor estado_;
    ParametrosMonitor params_;
    Messages messages_;
    PosixFileSystem fs_;
    SettingsStore settings_;
    SettingsLock lock_;
    ClockChangeGuard guard_;
    CostCalculator cost_;
    ConnectionCheck connection_;
    SessionClock session_;
    HistoryStore store_;
    SessionLedger ledger_;
    SessionHistory history_;
    HistoryRepricing repricing_;
    InterruptionSchedule schedule_;
    AccessPassword password_;
    SettingsEditing editing_;
    Statistics stats_;
    PeriodSummary summary_;
    NoTrafficCounters noCounters_;
    std::function<void(const Notification&)> notify_;
    VolumeAllowance volume_;
    Validators validators_;
    std::unique_ptr<LaunchAtStartup> launch_;
    std::unique_ptr<TimeServerClient> timeClient_;
    bool cargado_ = false;
    bool terminado_ = false;
};

}  // namespace lt
