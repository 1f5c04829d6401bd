#pragma once
// The password that unlocks the protected settings, stored in a digits-only form.
#include <QString>
#include <optional>
#include <vector>

namespace lt {

struct MainForm;
struct EstadoMonitor;
class Control;
class Messages;
class SettingsStore;

// The stored form of a password: blanks around it dropped, its length in at least four
// digits, then each character's single-byte code in three digits ("abc" ->
// 0003097098099). nullopt for a character that has no single-byte code.
std::optional<QString> encodePassword(const QString& text);

class AccessPassword {
  public:
    AccessPassword(MainForm& form, EstadoMonitor& estado, SettingsStore& settings,
                   Messages& messages)
        : form_(form), estado_(estado), settings_(settings), messages_(messages) {}

    void CdAceptarClaveActual_Configuracion_Click();
    void CkNuevaClave_Configuracion_Click();
    void CdAceptarClaveNueva_Configuracion_Click();
    // Locks the protected settings again (after "Aceptar cambios", or at once by the
    // button beside their state).
    void bloquear();
    // Whether the protected settings are open, in the current language.
    void mostrarEstado();

  private:
    bool abierto() const;
    void desbloquear();
    bool entradaCorrecta();
    void rechazar();

    MainForm& form_;
    EstadoMonitor& estado_;
    SettingsStore& settings_;
    Messages& messages_;
};

}  // namespace lt
