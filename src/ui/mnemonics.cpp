#include "ui/mnemonics.h"

#include <QHash>

namespace lt {

namespace {

struct Marked {
    const char* control;
    const char* english;
    const char* spanish;
};

// Letters free of clashes on each page, tab titles included: checked by the flow tests.
constexpr Marked kMarked[] = {
    {"STabTiempos_Estado", "Stat&us", "&Estados"},
    {"STabTiempos_Estado", "&Cost", "&Costo"},
    {"STabTiempos_Estado", "Co&nfiguration", "Co&nfiguracion"},
    {"STabTiempos_Estado", "&Statistics", "Es&tadisticas"},
    {"STabTiempos_Estado", "&About ...", "&Acerca de ..."},
    {"CdReducido_Estado", "S&mall", "&Reducido"},
    {"OpCostoPorDia_Costo", "Cost per &day", "Costo por &dia"},
    {"OpCostoPorSemana_Costo", "Cost per &week", "Costo por &semana"},
    {"CkReduccionCosto_Costo", "&Reduction Cost", "Red&uccion costo"},
    {"CdRepreciar_Costo", "Re-&price", "Re&preciar"},
    {"CdAplicarPrecios_Costo", "Appl&y to history", "Apl&icar al historial"},
    {"CdLimpiarBase_Configuracion", "C&lear Data Base", "&Limpiar datos de la base"},
    {"CkFormatoReducido_Configuracion", "Start small &format", "Inicio &formato reducido"},
    {"CkAbadonaAplicacion_Configuracion", "Not e&xit aplication",
     "No permite a&bandonar aplicacion"},
    {"CkNuevaClave_Configuracion", "new &password, modify password",
     "Nue&va clave, modificar clave actual"},
    {"CdAceptarClaveActual_Configuracion", "&Enter password", "Ace&ptar clave"},
    {"CdAceptarClaveNueva_Configuracion", "&Enter password", "Ace&ptar clave"},
    {"CdAceptarCambios_Configuracion", "Accept c&hange", "Aceptar camb&ios"},
    {"CKInicioWindows_Configuracion", "Execute LinkTally when beginning &Windows",
     "Ejecutar LinkTally cuando inicio &Windows"},
    {"CkDespuesDeLa_Configuracion", "Afte&r of", "&Despues de la"},
    {"OpPorDia_Configuracion", "dail&y", "dia&rias"},
    {"OpPorSemana_Configuracion", "wee&kly", "&semanales"},
    {"OpPorMes_Configuracion", "&monthly", "&mensuales"},
    {"OpNunca_Configuracion", "ne&ver", "n&unca"},
    {"CdBloquear_Configuracion", "L&ock", "Blo&quear"},
    {"CkSoloAviso_Configuracion", "Warn only, &do not cut", "S&olo avisar, no cortar"},
    {"CdAceptarVolumen_Configuracion", "Accep&t allowance", "&Guardar cuota"},
    {"OpBarras_Estadisticas", "&Bar", "&Bar"},
    {"OpLineal_Estadisticas", "&Linear", "&Linear"},
    {"CkTiempo_Estadisticas", "T&ime", "T&iempo"},
    {"CkCosto_Estadisticas", "C&ost", "C&osto"},
    {"CkCostoTotal_Estadisticas", "&Total cost", "Co&sto total"},
    {"CdGuardarImagen_Estadisticas", "Save ima&ge…", "&Guardar imagen…"},
    {"CdGuardarDatos_Estadisticas", "Save &data…", "Guardar &datos…"},
    {"OpTiempo_Estadisticas", "Ti&me", "Tiem&po"},
    {"OpVolumen_Estadisticas", "&Volume", "Volu&men"},
    {"CkRecibido_Estadisticas", "&Received", "&Recibido"},
    {"CkEnviado_Estadisticas", "S&ent", "En&viado"},
};

QString unmarked(const char* text) {
    QString s = QString::fromUtf8(text);
    return s.remove(s.indexOf(QLatin1Char('&')), 1);
}

}  // namespace

QString withMnemonic(const QString& control, const QString& caption) {
    static const QHash<QString, QString> marked = [] {
        QHash<QString, QString> m;
        for (const Marked& e : kMarked)
            for (const char* text : {e.english, e.spanish})
                m.insert(QString::fromLatin1(e.control) + QLatin1Char('\n') + unmarked(text),
                         QString::fromUtf8(text));
        return m;
    }();
    const auto it = marked.constFind(control + QLatin1Char('\n') + caption);
    // Any other caption shows its "&" as it is, not as a letter's mark.
    return it != marked.constEnd()
               ? *it
               : QString(caption).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

}  // namespace lt
