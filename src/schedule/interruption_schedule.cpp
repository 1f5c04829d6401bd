#include "schedule/interruption_schedule.h"

#include "app/estado_monitor.h"
#include "app/main_form.h"

namespace lt {

InterruptionSchedule::InterruptionSchedule(MainForm& form, EstadoMonitor& estado, const Clock& clock,
                                           SettingsStore& settings, std::function<bool()> cut,
                                           std::function<void()> reloadGrid)
    : form_(form),
      estado_(estado),
      clock_(clock),
      settings_(settings),
      cut_(std::move(cut)),
      reloadGrid_(std::move(reloadGrid)) {}

void InterruptionSchedule::OpNunca_Configuracion_Click() { estado_.QueDia = QStringLiteral("N"); }
void InterruptionSchedule::OpPorDia_Configuracion_Click() { estado_.QueDia = QStringLiteral("D"); }
void InterruptionSchedule::OpPorSemana_Configuracion_Click() { estado_.QueDia = QStringLiteral("S"); }
void InterruptionSchedule::OpPorMes_Configuracion_Click() { estado_.QueDia = QStringLiteral("M"); }
void InterruptionSchedule::InterrupcionProgramada() {}
void InterruptionSchedule::TipoDeInterrupcionConexion() {}
void InterruptionSchedule::LeyendaStatusProgramacion() {}
void InterruptionSchedule::MensajeDesconexion() {}
void InterruptionSchedule::reiniciarPeriodo() {}
void InterruptionSchedule::cortar() {}
OleDate InterruptionSchedule::finDePeriodo(OleDate start, bool) { return start; }

}  // namespace lt
