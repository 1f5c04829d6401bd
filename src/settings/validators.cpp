#include "settings/validators.h"

#include <initializer_list>

#include "core/conversions.h"
#include "form/estado_monitor.h"
#include "form/main_form.h"
#include "form/messages.h"
#include "i18n/captions.h"

namespace lt {

struct Validators::Rango {
    qsizetype longitud;        // texts this long or longer are refused
    bool sinSeparadorInicial;  // ".5" or ",5" refused
    double minimo;             // included
    double maximo;
    bool maximoIncluido;
    const Bilingual& mensaje;
};

bool Validators::veredicto(bool ok, const Bilingual& mensaje) {
    estado_.ErrorFormato = !ok;
    if (!ok) messages_.show(MessageBox::Icon::Information, mensaje);
    return ok;
}

bool Validators::numero(const QString& text, const Rango& r) {
    bool ok = text.size() < r.longitud && isNumeric(text);
    if (ok && r.sinSeparadorInicial)
        ok = !text.startsWith(QLatin1Char('.')) && !text.startsWith(QLatin1Char(','));
    if (ok) {
        const double v = leadingNumber(text);
        ok = v >= r.minimo && (r.maximoIncluido ? v <= r.maximo : v < r.maximo);
    }
    return veredicto(ok, r.mensaje);
}

bool Validators::FormatoHoras(const QString& text) {
    return numero(text, {3, false, 0, 24, false, kMsgHours0to23});
}

bool Validators::FormatoMinutosOSegundos(const QString& text) {
    return numero(text, {3, false, 0, 60, false, kMsgMinutesSeconds0to59});
}

bool Validators::FormatoNumerico(const QString& text) {
    return numero(text, {11, false, 0, 999999999999.0, true, kMsgNumber0to9999999999});
}

bool Validators::FormatoPorcentaje(const QString& text) {
    return numero(text, {4, true, 0, 100, true, kMsgPercent0to100});
}

bool Validators::FormatoNumericEntero(const QString& text) {
    return numero(text, {4, true, 0, 999, true, kMsgInteger0to999});
}

bool Validators::Formato15minutosOSegundos(const QString& text) {
    // Below 1 would round to an interval of 0.
    return numero(text, {3, true, 1, 16, false, kMsgInterval1to15});
}

bool Validators::FormatoHHMMSS(const QString& text) {
    // Two digits per field: "ab:cd:ef" or "+1:00:00" is no time of day.
    const auto digit = [&text](qsizetype i) {
        return i < text.size() && text[i] >= u'0' && text[i] <= u'9' ? text[i].unicode() - u'0'
                                                                     : -100;
    };
    const auto field = [&digit](qsizetype from) { return digit(from) * 10 + digit(from + 1); };
    const int hh = field(0), mm = field(3), ss = field(6);
    const bool ok = hh >= 0 && hh < 24 && mm >= 0 && mm < 60 && ss >= 0 && ss < 60 &&
                    text.size() == 8 && text[2] == QLatin1Char(':') && text[5] == QLatin1Char(':');
    return veredicto(ok, kMsgTimeFormat);
}

namespace {

using Validador = bool (Validators::*)(const QString&);

void vigilar(TextBox& box, Validators& validators, Validador validar, const QString& reemplazo,
             const std::function<void()>& onAccepted) {
    std::function<void()> anterior = std::move(box.Change);
    box.Change = [&box, &validators, validar, reemplazo, onAccepted,
                  anterior = std::move(anterior)] {
        if (!(validators.*validar)(box.text())) {
            // The fallback raises Change again; that pass runs the other handlers, so
            // nothing downstream ever sees the refused text.
            box.setText(reemplazo);
            box.setFocus();
            return;
        }
        if (anterior) anterior();
        if (onAccepted) onAccepted();
    };
}

}  // namespace

void instalarValidacion(MainForm& form, Validators& validators, std::function<void()> onAccepted) {
    const QString cero = QStringLiteral("00");
    const QString costo = QStringLiteral("1.60");
    for (TarifaControls& t : form.Tarifas) {
        for (TextBox* b : {&t.TxHHDesde, &t.TxHHHasta})
            vigilar(*b, validators, &Validators::FormatoHoras, cero, onAccepted);
        for (TextBox* b : {&t.TxMMDesde, &t.TxSSDesde, &t.TxMMHasta, &t.TxSSHasta})
            vigilar(*b, validators, &Validators::FormatoMinutosOSegundos, cero, onAccepted);
        for (TextBox* b : {&t.TxCostoHs, &t.TxCostoHsResto})
            vigilar(*b, validators, &Validators::FormatoNumerico, costo, onAccepted);
    }
    for (TextBox* b : {&form.TxImpuestos_Costo, &form.TxPorcentajeReduccionCosto_Costo})
        vigilar(*b, validators, &Validators::FormatoPorcentaje, QStringLiteral("0"), onAccepted);
    vigilar(form.TxDespuesDe_Configuracion, validators, &Validators::FormatoNumericEntero,
            QStringLiteral("1"), onAccepted);
    for (TextBox* b : {&form.TxIntervaloTiempoConexion_Configuracion,
                       &form.TxIntervaloTiempoCosto_Configuracion})
        vigilar(*b, validators, &Validators::Formato15minutosOSegundos, QStringLiteral("5"),
                onAccepted);
}

}  // namespace lt
