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
    // Starts the period's count from zero (also when the scheme is accepted anew).
    void reiniciarPeriodo();

  private:
    void revisarDia();
    void revisarSemanaOMes(bool month);
    void revisarVentana();
    void revisarCupo();
    // Ends the line, or says once that it could not: `anunciado` remembers that.
    void cortar(bool& anunciado);
    void escribirLeyendaPeriodo(bool nuevaSemana, OleDate start, OleDate end);
    OleDate fechaActual() const;
    OleDate fechaInicioSesion() const;
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
    // A cut that could not end the line has been announced: in this period (allowance)
    // or in this stay inside the window.
    bool corteCupoAnunciado_ = false;
    bool corteVentanaAnunciado_ = false;
};

}  // namespace lt
