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

  private:
    MainForm& form_;
    EstadoMonitor& estado_;
};

}  // namespace lt
