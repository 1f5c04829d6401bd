#pragma once
// Re-pricing a range of the history: what its sessions would cost under the tariff now
// entered, shown beside what was stored, and, once confirmed and with a copy of the
// history kept, written in place of the stored costs and accumulated costs.
#include <functional>
#include <vector>

#include "cost/repricing.h"
#include "history/history_store.h"

namespace lt {

struct MainForm;
struct EstadoMonitor;
class Clock;
class Messages;

class HistoryRepricing {
  public:
    HistoryRepricing(MainForm& form, EstadoMonitor& estado, const Clock& clock, HistoryStore& store,
                     Messages& messages, std::function<CondicionesCosto()> condiciones,
                     std::function<void()> historialCambiado);

    void CdRepreciar_Costo_Click();
    void CdAplicarPrecios_Costo_Click();

  private:
    void aplicar();
    void mostrar(const QString& texto);

    MainForm& form_;
    EstadoMonitor& estado_;
    const Clock& clock_;
    HistoryStore& store_;
    Messages& messages_;
    std::function<CondicionesCosto()> condiciones_;
    std::function<void()> historialCambiado_;
    std::vector<StoredCost> nuevos_;  // the range as it would be stored, once worked out
};

}  // namespace lt
