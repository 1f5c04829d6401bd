#pragma once
// The form's side of the history: the grid of finished sessions, storing a session that
// ends, clearing the history, the checkpoint of the running session and its recovery.
#include "history/history_store.h"

namespace lt {

struct MainForm;
struct EstadoMonitor;
class Clock;
class Messages;
class SettingsStore;

class SessionHistory {
  public:
    SessionHistory(MainForm& form, EstadoMonitor& estado, const Clock& clock, HistoryStore& store,
                   SettingsStore& settings, Messages& messages)
        : form_(form),
          estado_(estado),
          clock_(clock),
          store_(store),
          settings_(settings),
          messages_(messages) {}

    // Opens the history at start-up and stores a session that a crash left running.
    void abrir();
    void CargarDeBaseDeDatosVisuakizarGrilla();
    void GuardarEnBaseDeDatosYactualizarGrilla();
    void CdLimpiarBase_Configuracion_Click();
    // Sorts on a click on a column caption.
    void MSFlexGrid_Estado_CaptionClick(int column);
    // Records the running session as it stands, so a crash loses at most a minute.
    void checkpoint();
    // The grid no longer holds the session rows (the grouped charts rewrite it).
    void gridReplaced() { gridHoldsHistory_ = false; }

  private:
    SessionRecord sesionEnCurso() const;
    void reportWriteFailure();

    MainForm& form_;
    EstadoMonitor& estado_;
    const Clock& clock_;
    HistoryStore& store_;
    SettingsStore& settings_;
    Messages& messages_;
    bool gridHoldsHistory_ = false;
    bool writeFailureReported_ = false;
};

}  // namespace lt
