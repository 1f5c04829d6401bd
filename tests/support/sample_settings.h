#pragma once
// A complete settings file as the program writes it: every section and key in the
// program's order, realistic values, one blank line between sections.
#include <QByteArray>
#include <QList>
#include <QString>
#include <vector>

namespace lt::sample {

struct Setting {
    QString section, key, value;
};

inline std::vector<Setting> sampleSettings() {
    std::vector<Setting> out;
    const auto add = [&out](const char* section, const QString& key, const char* value) {
        out.push_back({QString::fromUtf8(section), key, QString::fromUtf8(value)});
    };

    // The day word in the band keys, what follows the cost keys, and the eight values.
    const char* const bands[][3] = {
        {"Semana", "", "08 00 00 20 00 00 1.60 0.80"},
        {"Domingo", "Domingo", "00 00 00 00 00 00 0.80 0.80"},
        {"Lunes", "Lunes", "08 00 00 20 00 00 1.60 0.80"},
        {"Martes", "Martes", "08 00 00 20 00 00 1.60 0.80"},
        {"Miercoles", "Miercoles", "08 30 00 20 30 00 1.60 0.80"},
        {"Jueves", "Jueves", "08 00 00 20 00 00 1.60 0.80"},
        {"Viernes", "Viernes", "08 00 00 18 00 00 1.75 0.90"},
        {"Sabado", "Sabado", "9 0 0 13 0 0 1.20 0.80"},
    };
    for (const auto& [word, suffix, values] : bands) {
        const QString w = QString::fromUtf8(word), cost = QString::fromUtf8(suffix);
        const QByteArray section = cost.isEmpty()
                                       ? QByteArray("tiempos y costos semanales")
                                       : "tiempos y costos diarios-" + QByteArray(word).toLower();
        const QString keys[8] = {"Desde" + w + "HH",       "Desde" + w + "MM", "Desde" + w + "SS",
                                 "Hasta" + w + "HH",       "Hasta" + w + "MM", "Hasta" + w + "SS",
                                 "CostoDesdeHasta" + cost, "CostoResto" + cost};
        const QList<QByteArray> v = QByteArray(values).split(' ');
        for (int i = 0; i < 8; ++i) add(section.constData(), keys[i], v[i].constData());
    }

    // The other sections, their settings separated by semicolons.
    const char* const rest[][2] = {
        {"Reduccion costos", "CkReduccion=1;ReduccionCada=60;PorcentajeCostoReducido=10"},
        {"Intervalos timers", "TimerConexion=1;TimerCosto=1;AbandonaAplicacion=0"},
        {"Idiomas", "CodigoIdioma=1"},
        {"Costos", "AjusteCosto=D;CostoIVA=21;CostoAcumuladoPorSesion=012.35"},
        {"Interrupciones",
         "Clave=;DespuesDe=3;Momento=05/12/2026;CosAcumConex=Costo acumulado desde el "
         "01/11/2026:;FeInt=01/12/2026 08:30:00;DiasAcum=04;HorasAcum=02:15:40"},
        {"Flags",
         "FormatoInicio=0;DespuesDe=1;ImpDesde=01:00:00;ImpDurante=05:00:00;ImpDespues=3;QueDia=S;"
         "WindowsInicio=0;ServerTime=4"},
        {"UbicacionInicio", "Izquierda=9465;Top=7230"},
    };
    for (const auto& [section, settings] : rest)
        for (const QString& s : QString::fromUtf8(settings).split(u';'))
            add(section, s.section(u'=', 0, 0), s.section(u'=', 1).toUtf8().constData());
    return out;
}

inline QByteArray sampleSettingsFile() {
    QByteArray out;
    QString section;
    for (const Setting& s : sampleSettings()) {
        if (s.section != section) {
            if (!out.isEmpty()) out += '\n';
            out += '[' + s.section.toUtf8() + "]\n";
            section = s.section;
        }
        out += s.key.toUtf8() + '=' + s.value.toUtf8() + '\n';
    }
    return out;
}

}  // namespace lt::sample
