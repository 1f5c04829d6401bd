#pragma once
// A complete settings file as the program writes it: every section and key in the
// program's order, realistic values, one blank line between sections.
#include <QByteArray>
#include <QString>
#include <vector>

namespace lt::sample {

struct Setting {
    QString section;
    QString key;
    QString value;
};

inline std::vector<Setting> sampleSettings() {
    std::vector<Setting> out;
    out.reserve(91);
    const auto add = [&out](const char* section, const QString& key, const char* value) {
        out.push_back({QString::fromUtf8(section), key, QString::fromUtf8(value)});
    };

    // word: the day word in the band keys; costSuffix: what follows the cost keys.
    struct Band {
        const char* section;
        const char* word;
        const char* costSuffix;
        const char* values[8];
    };
    const Band bands[] = {
        {"tiempos y costos semanales",
         "Semana",
         "",
         {"08", "00", "00", "20", "00", "00", "1.60", "0.80"}},
        {"tiempos y costos diarios-domingo",
         "Domingo",
         "Domingo",
         {"00", "00", "00", "00", "00", "00", "0.80", "0.80"}},
        {"tiempos y costos diarios-lunes",
         "Lunes",
         "Lunes",
         {"08", "00", "00", "20", "00", "00", "1.60", "0.80"}},
        {"tiempos y costos diarios-martes",
         "Martes",
         "Martes",
         {"08", "00", "00", "20", "00", "00", "1.60", "0.80"}},
        {"tiempos y costos diarios-miercoles",
         "Miercoles",
         "Miercoles",
         {"08", "30", "00", "20", "30", "00", "1.60", "0.80"}},
        {"tiempos y costos diarios-jueves",
         "Jueves",
         "Jueves",
         {"08", "00", "00", "20", "00", "00", "1.60", "0.80"}},
        {"tiempos y costos diarios-viernes",
         "Viernes",
         "Viernes",
         {"08", "00", "00", "18", "00", "00", "1.75", "0.90"}},
        {"tiempos y costos diarios-sabado",
         "Sabado",
         "Sabado",
         {"9", "0", "0", "13", "0", "0", "1.20", "0.80"}},
    };
    for (const Band& band : bands) {
        const QString word = QString::fromUtf8(band.word);
        const QString suffix = QString::fromUtf8(band.costSuffix);
        const QString keys[8] = {
            "Desde" + word + "HH",      "Desde" + word + "MM", "Desde" + word + "SS",
            "Hasta" + word + "HH",      "Hasta" + word + "MM", "Hasta" + word + "SS",
            "CostoDesdeHasta" + suffix, "CostoResto" + suffix,
        };
        for (int i = 0; i < 8; ++i) add(band.section, keys[i], band.values[i]);
    }

    add("Reduccion costos", "CkReduccion", "1");
    add("Reduccion costos", "ReduccionCada", "60");
    add("Reduccion costos", "PorcentajeCostoReducido", "10");
    add("Intervalos timers", "TimerConexion", "1");
    add("Intervalos timers", "TimerCosto", "1");
    add("Intervalos timers", "AbandonaAplicacion", "0");
    add("Idiomas", "CodigoIdioma", "1");
    add("Costos", "AjusteCosto", "D");
    add("Costos", "CostoIVA", "21");
    add("Costos", "CostoAcumuladoPorSesion", "012.35");
    add("Interrupciones", "Clave", "");
    add("Interrupciones", "DespuesDe", "3");
    add("Interrupciones", "Momento", "05/12/2026");
    add("Interrupciones", "CosAcumConex", "Costo acumulado desde el 01/11/2026:");
    add("Interrupciones", "FeInt", "01/12/2026 08:30:00");
    add("Interrupciones", "DiasAcum", "04");
    add("Interrupciones", "HorasAcum", "02:15:40");
    add("Flags", "FormatoInicio", "0");
    add("Flags", "DespuesDe", "1");
    add("Flags", "ImpDesde", "01:00:00");
    add("Flags", "ImpDurante", "05:00:00");
    add("Flags", "ImpDespues", "3");
    add("Flags", "QueDia", "S");
    add("Flags", "WindowsInicio", "0");
    add("Flags", "ServerTime", "4");
    add("UbicacionInicio", "Izquierda", "9465");
    add("UbicacionInicio", "Top", "7230");
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
