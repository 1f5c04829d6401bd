#pragma once
// Locks the tariff, intervals, language, schedule and statistics selectors while a
// session runs, so nothing that prices or measures it changes under it.
namespace lt {

struct MainForm;
struct EstadoMonitor;

class SettingsLock {
  public:
    SettingsLock(MainForm& form, EstadoMonitor& estado) : form_(form), estado_(estado) {}
    void DeshabilitarModificacionVariables();
    void HabilitarModificacionVariables();
    // Says, in the current language, why each greyed setting is greyed: the running
    // session (also in one line under the tabs that hold settings), or the password.
    void explicarBloqueos();

  private:
    MainForm& form_;
    EstadoMonitor& estado_;
    bool enSesion_ = false;
};

}  // namespace lt
