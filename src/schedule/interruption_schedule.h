#pragma once
// The interruption schedule: an allowance of connection hours per day, week or month,
// or a daily time window, checked on every connected tick of the session clock; its
// status legends; and the message window that says why the line was cut.
#include <functional>

#include "core/ole_date.h"

namespace lt {

struct MainForm;
struct EstadoMonitor;
class Clock;
class SettingsStore;

class InterruptionSchedule {
public:
    // cut: ends the connection (true when the line was cut and the session must close);
    // reloadGrid: the history grid's reload.
    InterruptionSchedule(MainForm& form, EstadoMonitor& estado, const Clock& clock,
                         SettingsStore& settings, std::function<bool()> cut,
                         std::function<void()> reloadGrid);

    void OpNunca_Configuracion_Click();
    void OpPorDia_Configuracion_Click();
    void OpPorSemana_Configuracion_Click();
    void OpPorMes_Configuracion_Click();

    void InterrupcionProgramada();
    void TipoDeInterrupcionConexion();
    void LeyendaStatusProgramacion();
    void MensajeDesconexion();

private:
    void reiniciarPeriodo();
    void cortar();
    // The end of the current week or month period, one week or one calendar month after
    // its start.
    static OleDate finDePeriodo(OleDate start, bool month);

    MainForm& form_;
    EstadoMonitor& estado_;
    const Clock& clock_;
    SettingsStore& settings_;
    std::function<bool()> cut_;
    std::function<void()> reloadGrid_;
    bool ControlHorasArmado = false;
    // The day (date value) whose daily period is running; restarts once per new day.
    OleDate diaDelPeriodo_ = -1;
    // The cut of the current period has been announced (nothing could be cut).
    bool corteAnunciado_ = false;
};

}  // namespace lt
