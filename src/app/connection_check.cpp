#include "app/connection_check.h"

#include "core/clock.h"
#include "form/estado_monitor.h"
#include "form/main_form.h"
#include "i18n/captions.h"

namespace lt {

void ConnectionCheck::TiConexion_Timer() {
    CheckInternetConn();
    if (!estado_.Conectado) {
        form_.TiServerInternet.setEnabled(false);
        olvidarAvisoCorte();
        return;
    }
    form_.TiServerInternet.setEnabled(form_.CbServidoresDeTiempo.listIndex() != 0);
    form_.TiCostos.setEnabled(true);
    if (!PrimeraConexionVista) {
        PrimeraConexionVista = true;
        estado_.InicioSesion = estado_.InicioAcumulado = clock_.now();
        estado_.InicioSesionMono = estado_.InicioAcumuladoMono = clock_.monotonicMs();
    }
}

void ConnectionCheck::CheckInternetConn() {
    const ConnectionState state = probe_.query();
    estado_.Conectado = state.online;
    form_.LbConexionVia_Estado.setVisible(state.online);

    auto pick = [this](const Bilingual& b) { return textIn(estado_.CodigoIdioma, b); };
    QString caption;
    if (state.flags & kFlagModem) caption = pick(kViaModem);
    if (state.flags & kFlagLan) caption += pick(kViaLan);
    if (state.flags & kFlagProxy) caption += pick(kViaProxy);
    if (state.flags & kFlagModemBusy) caption = pick(kModemBusy);
    form_.LbConexionVia_Estado.setCaption(caption);
}

int ConnectionCheck::HungUp() {
    return cutter_.hangUp();
}

bool ConnectionCheck::cortarConexion() {
    if (HungUp() > 0) {
        corteImposibleAvisado_ = false;
        estado_.Conectado = false;
        return true;
    }
    avisarCorteImposible();
    return false;
}

void ConnectionCheck::avisarCorteImposible() {
    if (corteImposibleAvisado_) return;
    corteImposibleAvisado_ = true;
    traducirAvisoCorte();
    form_.LbAvisoCorte_Estado.setVisible(true);
}

void ConnectionCheck::olvidarAvisoCorte() {
    corteImposibleAvisado_ = false;
    form_.LbAvisoCorte_Estado.setVisible(false);
}

void ConnectionCheck::traducirAvisoCorte() {
    form_.LbAvisoCorte_Estado.setCaption(textIn(estado_.CodigoIdioma, kMsgCannotCut));
}

}  // namespace lt
