#pragma once
// The form's side of the history: the grid of finished sessions, storing a session that
// ends, clearing the history, noting the running session and recovering it after a crash.
// A session's end reaches the ledger before anything else, and leaves it only once the
// database has it.
#include <cstdint>
#include <functional>
#include <vector>

#include "history/history_rows.h"
#include "history/history_store.h"
#include "history/session_ledger.h"
#include "stats/statistics.h"

namespace lt {

struct MainForm;
struct EstadoMonitor;
class Clock;
class Messages;
class SettingsStore;

class SessionHistory {
  public:
    SessionHistory(MainForm& form, EstadoMonitor& estado, const Clock& clock, HistoryStore& store,
                   SessionLedger& ledger, SettingsStore& settings, Messages& messages)
        : form_(form),
          estado_(estado),
          clock_(clock),
          store_(store),
          ledger_(ledger),
          settings_(settings),
          messages_(messages),
          rows_(store, ledger) {}

    // Opens the ledger and the history at start-up, reads the files of earlier versions
    // once, and stores what a crash or a failure left waiting, a running session with
    // all it had counted.
    void abrir();
    // Shows the history in the grid, in the order the user chose last.
    void CargarDeBaseDeDatosVisuakizarGrilla();
    // Reads the history again: its stored rows have changed.
    void recargar() {
        gridHoldsHistory_ = false;
        CargarDeBaseDeDatosVisuakizarGrilla();
    }
    // The same, in the order the sessions were stored (what the charts read).
    void cargarEnOrdenGuardado();
    void GuardarEnBaseDeDatosYactualizarGrilla();
    // Asks first; a yes keeps a dated copy of the history beside it, then clears.
    void CdLimpiarBase_Configuracion_Click();
    // Sorts on a click on a column caption.
    void MSFlexGrid_Estado_CaptionClick(int column);
    // A session begins: it gets its id.
    void sesionNueva();
    // Notes the running session as it stands, its cost and accumulated cost priced now.
    void checkpoint(const QString& costo, const QString& costoAcumulado);
    // The grid no longer holds the session rows (the grouped charts rewrite it).
    void gridReplaced() { gridHoldsHistory_ = false; }
    // The session GuardarEnBaseDeDatosYactualizarGrilla() stored last.
    const SessionRecord& ultimaSesion() const { return ultima_; }
    // Every stored and waiting session in groups of the period, the days folded as they
    // are read.
    std::vector<GrupoSesiones> agruparHistorial(Periodo periodo);
    // The newest sessions' chart points, in the order stored whatever the grid's order.
    std::vector<ChartPoint> puntosPorSesion();
    // Every session, the waiting ones too, added up per day of its start, from day number
    // `desde` to `hasta`.
    std::vector<SesionesDelDia> sesionesPorDia(long long desde, long long hasta);
    // Told when the user's clearing has emptied the history.
    std::function<void()> borrado;

  private:
    // The finished sessions still waiting in the ledger, per day.
    std::vector<SesionesDelDia> sesionesEnEspera() const;
    LedgerEntry sesionEnCurso() const;
    void migrarArchivosAnteriores();
    void recuperarSesion(const LedgerEntry& entry);
    void restaurarCuentas(const LedgerEntry& entry);
    bool guardarPendientes();
    void avisarFallaHistorial();
    void avisarFallaLedger();
    void avisarCambiosDelArchivo();
    void limpiarHistorial();

    MainForm& form_;
    EstadoMonitor& estado_;
    const Clock& clock_;
    HistoryStore& store_;
    SessionLedger& ledger_;
    SettingsStore& settings_;
    Messages& messages_;
    HistoryRows rows_;
    SessionRecord ultima_;
    bool gridHoldsHistory_ = false;
    bool writeFailureReported_ = false;
    bool ledgerFailureReported_ = false;
};

// A new session's id: random, so that no clock change or second install repeats one.
std::uint64_t nuevoIdSesion();

}  // namespace lt
