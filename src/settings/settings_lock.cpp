#include "settings/settings_lock.h"

#include "form/estado_monitor.h"
#include "form/main_form.h"

namespace lt {

namespace {

// The controls locked during a session; the flag marks those that belong to the
// password-protected set, which only the password unlocks again.
struct Locked {
    Control* control;
    bool passwordGuarded;
};

std::vector<Locked> lockSet(MainForm& f) {
    return {{&f.OpCostoPorDia_Costo, false},
            {&f.OpCostoPorSemana_Costo, false},
            {&f.CkReduccionCosto_Costo, false},
            {&f.FrReduccionCosto_Costo, false},
            {&f.FrCostoPorSemana_Costo, false},
            {&f.FrCostoPorDia_Costo, false},
            {&f.TxImpuestos_Costo, false},
            {&f.TxIntervaloTiempoConexion_Configuracion, false},
            {&f.TxIntervaloTiempoCosto_Configuracion, false},
            {&f.LsIdiomas, false},
            {&f.CdLimpiarBase_Configuracion, true},
            {&f.CkFormatoReducido_Configuracion, true},
            {&f.CKInicioWindows_Configuracion, true},
            {&f.FrEsquemaInterrupciones_Configuracion, false},
            {&f.LbSesion_Estadisticas, false},
            {&f.LbDia_Estadisticas, false},
            {&f.LbSemana_Estadisticas, false},
            {&f.LbMes_Estadisticas, false}};
}

}  // namespace

void SettingsLock::DeshabilitarModificacionVariables() {
    for (const Locked& l : lockSet(form_)) l.control->setEnabled(false);
    form_.LbEstadoRelojServer_Estado.setVisible(true);
    form_.LbConexionVia_Estado.setVisible(true);
}

void SettingsLock::HabilitarModificacionVariables() {
    for (const Locked& l : lockSet(form_))
        if (!l.passwordGuarded) l.control->setEnabled(true);
    form_.LbEstadoRelojServer_Estado.setVisible(false);
    form_.LbConexionVia_Estado.setVisible(false);
    if (estado_.AjusteCosto == QLatin1String("D"))
        form_.OpCostoPorDia_Costo.setValue(true);
    else
        form_.OpCostoPorSemana_Costo.setValue(true);
}

}  // namespace lt
