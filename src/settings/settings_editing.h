#pragma once
// "Aceptar cambios": applies the interruption scheme, all or nothing, then locks the
// protected settings again.
#include <QString>
#include <functional>

#include "settings/validators.h"

namespace lt {

struct MainForm;
struct EstadoMonitor;
class Clock;
class Messages;
struct Bilingual;
class SettingsStore;

class SettingsEditing {
  public:
    struct Hooks {
        std::function<void()> reiniciarPeriodo;
        std::function<void()> tipoDeInterrupcionConexion;
        std::function<void()> leyendaStatusProgramacion;
        std::function<void()> bloquearProtegidos;
    };
    SettingsEditing(MainForm& form, EstadoMonitor& estado, const Clock& clock,
                    SettingsStore& settings, Messages& messages, Hooks hooks)
        : form_(form),
          estado_(estado),
          clock_(clock),
          settings_(settings),
          messages_(messages),
          validators_(estado, messages),
          hooks_(std::move(hooks)) {}

    void CdAceptarCambios_Configuracion_Click();

  private:
    MainForm& form_;
    EstadoMonitor& estado_;
    const Clock& clock_;
    SettingsStore& settings_;
    Messages& messages_;
    Validators validators_;
    Hooks hooks_;
};

}  // namespace lt
