#include "settings/settings_editing.h"

#include "core/clock.h"
#include "core/conversions.h"
#include "form/estado_monitor.h"
#include "form/main_form.h"
#include "form/messages.h"
#include "i18n/captions.h"
#include "settings/settings_store.h"

namespace lt {

void SettingsEditing::CdAceptarCambios_Configuracion_Click() {
    MainForm& f = form_;
    if (!validators_.FormatoHHMMSS(f.TxDespuesDeLa_Configuracion.text())) {
        f.TxDespuesDeLa_Configuracion.setText(QStringLiteral("01:00:00"));
        f.TxDespuesDeLa_Configuracion.setFocus();
        return;
    }
    // Every field of the scheme is checked before anything changes: a scheme applied
    // half way would lock the controls and never cut.
    const bool ventana = f.CkDespuesDeLa_Configuracion.value() == 1;
    if (ventana && !parseTimeOfDay(f.TxYDurante_Configuracion.text())) {
        messages_.show(MessageBox::Icon::Information, kMsgIncompleteScheme);
        f.TxYDurante_Configuracion.setFocus();
        return;
    }

    if (hooks_.reiniciarPeriodo) hooks_.reiniciarPeriodo();

    ProgressBar& bar = f.ProgressBar_Estado;
    const bool programado = estado_.QueDia != QLatin1String("N");
    for (Control* c : std::initializer_list<Control*>{&f.LbTiempoAcumulado_Estado, &f.LbPrueba,
                                                      &f.LbDesdeHasta_Estado})
        c->setVisible(programado);
    f.TxTiempoAcumulado_Estado.setVisible(false);
    f.TxDiasAcumuladosInterrupcionProgramada_Estado.setVisible(false);
    bar.setEnabled(programado);
    bar.setVisible(programado);
    if (programado) {
        settings_.GuardarValorINI(QStringLiteral("Flags"), QStringLiteral("QueDia"),
                                  estado_.QueDia);
        estado_.FeInt = clock_.now();
        if (hooks_.tipoDeInterrupcionConexion) hooks_.tipoDeInterrupcionConexion();
        bar.setMin(0);
        bar.setMax(static_cast<int>(leadingNumber(f.TxDespuesDe_Configuracion.text()) * 60.0));
        bar.setValue(0);
    }
    if (ventana || !f.OpNunca_Configuracion.value()) {
        if (hooks_.leyendaStatusProgramacion) hooks_.leyendaStatusProgramacion();
    }
    if (hooks_.bloquearProtegidos) hooks_.bloquearProtegidos();
    // Accepted settings are on disk at once, not only at the end of a session.
    settings_.GuardarINI();
}

}  // namespace lt
