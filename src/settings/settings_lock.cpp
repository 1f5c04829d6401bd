#include "settings/settings_lock.h"

#include "form/estado_monitor.h"
#include "form/main_form.h"
#include "i18n/captions.h"

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
            {&f.FrVolumen_Configuracion, true},
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
    if (!enSesion_) {
        enSesion_ = true;
        explicarBloqueos();
    }
}

void SettingsLock::explicarBloqueos() {
    const int code = estado_.CodigoIdioma;
    const QString sesion = textIn(code, kLockedWhileConnected);
    for (Control* c : form_.protegidos()) c->setLockReason(textIn(code, kLockedByPassword));
    for (const Locked& l : lockSet(form_))
        if (enSesion_ || !l.passwordGuarded)
            l.control->setLockReason(enSesion_ ? sesion : QString());
    // The line only where there are settings to change: not on the Status or About tab.
    const int tab = form_.STabTiempos_Estado.tab();
    form_.LbBloqueo.setCaption(sesion);
    form_.LbBloqueo.setVisible(enSesion_ && tab >= 1 && tab <= 3);
}

void SettingsLock::HabilitarModificacionVariables() {
    enSesion_ = false;
    explicarBloqueos();
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
