#include "password/access_password.h"

#include "form/estado_monitor.h"
#include "form/main_form.h"
#include "form/messages.h"
#include "i18n/captions.h"
#include "settings/settings_store.h"

namespace lt {

std::optional<QString> encodePassword(const QString& text) {
    const QString t = text.trimmed();
    QString out = QStringLiteral("%1").arg(t.size(), 4, 10, QLatin1Char('0'));
    for (const QChar c : t) {
        const char16_t code = c.unicode();
        if (code > 255) return std::nullopt;
        out += (code < 100 ? QStringLiteral("0") : QString()) + QString::number(code);
    }
    return out;
}

void AccessPassword::desbloquear() {
    for (Control* c : form_.protegidos()) c->setEnabled(true);
    mostrarEstado();
}

void AccessPassword::bloquear() {
    for (Control* c : form_.protegidos()) c->setEnabled(false);
    mostrarEstado();
}

bool AccessPassword::abierto() const {
    return form_.CkAbadonaAplicacion_Configuracion.enabled();
}

void AccessPassword::mostrarEstado() {
    const int code = estado_.CodigoIdioma;
    form_.LbEstadoClave_Configuracion.setCaption(
        textIn(code, abierto() ? kProtectedUnlocked : kProtectedLocked));
    form_.CdBloquear_Configuracion.setCaption(textIn(code, kLockAgain));
    form_.CdBloquear_Configuracion.setVisible(abierto());
}

bool AccessPassword::entradaCorrecta() {
    const auto entered = encodePassword(form_.TxClaveActual_Configuracion.text());
    estado_.Clave =
        settings_.LeerValorINI(QStringLiteral("Interrupciones"), QStringLiteral("Clave"));
    return entered && *entered == estado_.Clave;
}

void AccessPassword::rechazar() {
    bloquear();
    messages_.show(MessageBox::Icon::Critical, kMsgPasswordNotValid);
    form_.TxClaveActual_Configuracion.setText(QString());
    form_.TxClaveActual_Configuracion.setFocus();
}

void AccessPassword::CdAceptarClaveActual_Configuracion_Click() {
    if (form_.CkNuevaClave_Configuracion.value() == 1) return;
    if (!entradaCorrecta()) {
        rechazar();
        return;
    }
    desbloquear();
    form_.TxClaveActual_Configuracion.setText(QString());
}

void AccessPassword::CkNuevaClave_Configuracion_Click() {
    MainForm& f = form_;
    const int v = f.CkNuevaClave_Configuracion.value();
    if (v == 2) return;
    const bool changing = v == 1;
    f.CdAceptarClaveActual_Configuracion.setVisible(!changing);
    for (Control* c : std::initializer_list<Control*>{
             &f.LbNuevaClave_Configuracion, &f.TxNuevaClave_Configuracion,
             &f.LbConfirmarClave_Configuracion, &f.TxConfirmarClave_Configuracion,
             &f.CdAceptarClaveNueva_Configuracion})
        c->setVisible(changing);
    if (changing) {
        f.LbClaveActual_Configuracion.setVisible(true);
        f.TxNuevaClave_Configuracion.setText(QString());
        f.TxConfirmarClave_Configuracion.setText(QString());
        f.LbConfirmarClave_Configuracion.setCaption(
            textIn(estado_.CodigoIdioma, kConfirmPasswordLabel));
        f.LbClaveActual_Configuracion.setCaption(
            textIn(estado_.CodigoIdioma, kPreviousPasswordLabel));
        f.LbNuevaClave_Configuracion.setCaption(textIn(estado_.CodigoIdioma, kPasswordLabel));
    } else {
        f.LbClaveActual_Configuracion.setCaption(textIn(estado_.CodigoIdioma, kPasswordLabel));
    }
}

void AccessPassword::CdAceptarClaveNueva_Configuracion_Click() {
    MainForm& f = form_;
    if (f.CkNuevaClave_Configuracion.value() != 1) return;
    if (!entradaCorrecta()) {
        rechazar();
        return;
    }
    // Typed twice, so that a slip of the finger cannot lock the user out.
    if (f.TxNuevaClave_Configuracion.text() != f.TxConfirmarClave_Configuracion.text()) {
        messages_.show(MessageBox::Icon::Warning, kMsgPasswordsDiffer);
        f.TxConfirmarClave_Configuracion.setText(QString());
        f.TxConfirmarClave_Configuracion.setFocus();
        return;
    }
    const auto encoded = encodePassword(f.TxNuevaClave_Configuracion.text());
    if (!encoded) {
        // A character the stored form cannot hold would make a password that never matches.
        messages_.warn(kMsgPasswordCharacters);
        f.TxNuevaClave_Configuracion.setFocus();
        return;
    }
    desbloquear();
    f.CkNuevaClave_Configuracion.setValue(0);
    estado_.Clave = *encoded;
    settings_.GuardarValorINI(QStringLiteral("Interrupciones"), QStringLiteral("Clave"),
                              estado_.Clave);
    f.TxClaveActual_Configuracion.setText(QString());
    messages_.show(MessageBox::Icon::Information, kMsgPasswordChanged);
}

}  // namespace lt
