#pragma once
// The cost tick: every TimerCosto minutes prices the running session from the tariff on
// the cost tab, with the reduction for finished periods and the tax, and shows the
// session's cost and the accumulated cost.
#include <QString>
#include <cstdint>

#include "cost/repricing.h"
#include "cost/tariff.h"

namespace lt {

struct MainForm;
struct EstadoMonitor;
class Clock;

class CostCalculator {
  public:
    CostCalculator(MainForm& form, EstadoMonitor& estado, const Clock& clock)
        : form_(form), estado_(estado), clock_(clock) {}

    void TiCostos_Timer();
    // The tariff as the cost tab holds it now.
    TarifaConexion TarifaActual() const;
    // The tariff, the reduction and the tax as the cost tab holds them now.
    CondicionesCosto condicionesActuales() const;
    // Starts pricing a session (or a new reduction period) now.
    void iniciarTramo();
    // The final pricing of a session that ended earlier than now (the PC went to sleep).
    void calcularHasta(OleDate endWall, std::int64_t endMono);
    // The running session's cost and the accumulated cost as they stand this moment,
    // "000.00", whatever the pricing interval; nothing changes.
    struct Precio {
        QString costo, costoAcumulado;
    };
    Precio precioAhora() const;

  private:
    void calcular();
    void aplicarReduccion();
    // The cost of the current stretch up to (end, endMono), or what it stood at.
    float costoParcialHasta(OleDate end, std::int64_t endMono) const;
    // The session's cost with tax from its running and its reduced parts.
    float conImpuestos(float parcial) const;

    MainForm& form_;
    EstadoMonitor& estado_;
    const Clock& clock_;
    OleDate finForzado_ = 0;
    std::int64_t finForzadoMono_ = 0;
    int IntervaloCalculo = 1;
    int ContadorMinutos = 1;
};

}  // namespace lt
