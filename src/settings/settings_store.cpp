#include "settings/settings_store.h"

#include <QFileInfo>
#include <algorithm>

#include "core/clock.h"
#include "core/conversions.h"
#include "core/text_format.h"
#include "form/estado_monitor.h"
#include "form/main_form.h"
#include "form/messages.h"
#include "i18n/captions.h"
#include "platform/durable_file.h"

namespace lt {

namespace {

using Value = std::optional<QString>;

QString text(const Value& v) {
    return v.value_or(QString());
}

// A check box state from a strict integer; anything else leaves the box clear.
int strictCheck(const Value& v) {
    const auto n = strictInteger(text(v));
    return n && *n >= 0 && *n <= 2 ? *n : 0;
}

int lenientCheck(const Value& v) {
    const int n = lenientInteger(text(v));
    return n >= 0 && n <= 2 ? n : 0;
}

// Neutral compact-window position when the stored one is unreadable: an inch from the
// top-left corner, which is on every screen.
constexpr float kDefaultTwips = 1440.0f;

}  // namespace

QString formatFeInt(double feInt) {
    QString s = formatDate(feInt);
    if (oleToSeconds(oleTimePart(feInt)) % 86400 != 0) s += QLatin1Char(' ') + formatTime(feInt);
    return s;
}

SettingsStore::SettingsStore(QString path, FileSystem& fs, MainForm& form, EstadoMonitor& estado,
                             ParametrosMonitor& params, const Clock& clock, Messages& messages)
    : path_(std::move(path)),
      fs_(fs),
      form_(form),
      estado_(estado),
      params_(params),
      clock_(clock),
      messages_(messages) {
    addTariffKeys();
    addOtherKeys();
}

void SettingsStore::add(const char* section, const char* key,
                        std::function<void(const Value&)> read, std::function<QString()> write) {
    keys_.push_back({QString::fromLatin1(section), QString::fromLatin1(key), std::move(read),
                     std::move(write)});
}

void SettingsStore::addTariffKeys() {
    for (size_t band = 0; band < kTariffSections.size(); ++band) {
        const QString word = QString::fromLatin1(kTariffKeyWords[band]);
        // The weekly band's cost keys carry no day word.
        const QString costWord = band == 0 ? QString() : word;
        TarifaControls& boxes = form_.Tarifas[band];
        TramoTextos& t = params_.Tramos[band];
        const std::array<std::pair<QString, std::pair<TextBox*, QString*>>, 8> keys = {{
            {"Desde" + word + "HH", {&boxes.TxHHDesde, &t.DesdeHH}},
            {"Desde" + word + "MM", {&boxes.TxMMDesde, &t.DesdeMM}},
            {"Desde" + word + "SS", {&boxes.TxSSDesde, &t.DesdeSS}},
            {"Hasta" + word + "HH", {&boxes.TxHHHasta, &t.HastaHH}},
            {"Hasta" + word + "MM", {&boxes.TxMMHasta, &t.HastaMM}},
            {"Hasta" + word + "SS", {&boxes.TxSSHasta, &t.HastaSS}},
            {"CostoDesdeHasta" + costWord, {&boxes.TxCostoHs, &t.CostoDesdeHasta}},
            {"CostoResto" + costWord, {&boxes.TxCostoHsResto, &t.CostoResto}},
        }};
        for (const auto& [key, target] : keys) {
            TextBox* box = target.first;
            QString* field = target.second;
            keys_.push_back({QString::fromLatin1(kTariffSections[band]), key,
                             [box, field](const Value& v) {
                                 *field = text(v);
                                 box->setText(*field);
                             },
                             [box, field] { return *field = box->text(); }});
        }
    }
}

void SettingsStore::addOtherKeys() {
    MainForm& f = form_;
    EstadoMonitor& e = estado_;
    ParametrosMonitor& p = params_;
    auto textBox = [](TextBox& box, QString& field) {
        return std::pair<std::function<void(const Value&)>, std::function<QString()>>{
            [&box, &field](const Value& v) {
                field = text(v);
                box.setText(field);
            },
            [&box, &field] { return field = box.text(); }};
    };
    auto checkBox = [](CheckBox& box, int& field, bool lenient) {
        return std::pair<std::function<void(const Value&)>, std::function<QString()>>{
            [&box, &field, lenient](const Value& v) {
                field = lenient ? lenientCheck(v) : strictCheck(v);
                box.setValue(field);
            },
            [&box, &field] {
                field = box.value();
                return QString::number(field);
            }};
    };
    auto addPair = [this](const char* s, const char* k, auto pair) {
        add(s, k, std::move(pair.first), std::move(pair.second));
    };

    addPair("Reduccion costos", "CkReduccion",
            checkBox(f.CkReduccionCosto_Costo, p.CkReduccion, true));
    addPair("Reduccion costos", "ReduccionCada",
            textBox(f.TxCadaReduccionCosto_Costo, p.ReduccionCada));
    addPair("Reduccion costos", "PorcentajeCostoReducido",
            textBox(f.TxPorcentajeReduccionCosto_Costo, p.PorcentajeCostoReducido));
    addPair("Intervalos timers", "TimerConexion",
            textBox(f.TxIntervaloTiempoConexion_Configuracion, p.TimerConexion));
    addPair("Intervalos timers", "TimerCosto",
            textBox(f.TxIntervaloTiempoCosto_Configuracion, p.TimerCosto));
    addPair("Intervalos timers", "AbandonaAplicacion",
            checkBox(f.CkAbadonaAplicacion_Configuracion, p.AbandonaAplicacion, false));
    add(
        "Idiomas", "CodigoIdioma",
        [&e, &p](const Value& v) { e.CodigoIdioma = p.CodigoIdioma = lenientInteger(text(v)); },
        [&e, &p] { return QString::number(p.CodigoIdioma = e.CodigoIdioma); });
    add(
        "Costos", "AjusteCosto",
        [&e, &p](const Value& v) { e.AjusteCosto = p.AjusteCosto = text(v); },
        [&e, &p] { return p.AjusteCosto = e.AjusteCosto; });
    addPair("Costos", "CostoIVA", textBox(f.TxImpuestos_Costo, p.CostoIVA));
    add(
        "Costos", "CostoAcumuladoPorSesion",
        [&e, &p](const Value& v) {
            const auto n = strictReal(text(v));
            e.CostoAcumuladoPorSesion = p.CostoAcumuladoPorSesion =
                n ? static_cast<float>(*n) : 0.0f;
        },
        [&f, &p] {
            p.CostoAcumuladoPorSesion =
                static_cast<float>(strictReal(f.TxCOCostoAcumuladoDesde.text()).value_or(0.0));
            return f.TxCOCostoAcumuladoDesde.text();
        });
    add(
        "Interrupciones", "Clave", [&e, &p](const Value& v) { e.Clave = p.Clave = text(v); },
        [&e, &p] { return p.Clave = e.Clave; });
    // A second copy of the allowance hours; "Flags"/ImpDespues, read later, wins.
    addPair("Interrupciones", "DespuesDe", textBox(f.TxDespuesDe_Configuracion, p.ImpDespues));
    add(
        "Interrupciones", "Momento", [&e, &p](const Value& v) { e.Momento = p.Momento = text(v); },
        [&e, &p] { return p.Momento = e.Momento; });
    add(
        "Interrupciones", "CosAcumConex",
        [&f, &p](const Value& v) {
            p.CosAcumConex = text(v);
            f.LbCOCostoAcumulado_Estado.setCaption(p.CosAcumConex);
        },
        [&f, &p] { return p.CosAcumConex = f.LbCOCostoAcumulado_Estado.caption(); });
    add(
        "Interrupciones", "FeInt",
        [this, &e, &p](const Value& v) {
            // An unreadable period start begins a new period today.
            e.FeInt = p.FeInt = strictDate(text(v)).value_or(clock_.date());
        },
        [&e, &p] { return formatFeInt(p.FeInt = e.FeInt); });
    add(
        "Interrupciones", "DiasAcum",
        [&f, &p](const Value& v) {
            p.DiasAcum = text(v);
            const bool readable = strictInteger(p.DiasAcum).has_value();
            f.TxDiasAcumuladosInterrupcionProgramada_Estado.setText(
                readable ? p.DiasAcum : QStringLiteral("00"));
        },
        [&f, &p] { return p.DiasAcum = f.TxDiasAcumuladosInterrupcionProgramada_Estado.text(); });
    add(
        "Interrupciones", "HorasAcum",
        [&f, &p](const Value& v) {
            p.HorasAcum = text(v);
            const bool readable = parseDurationSeconds(p.HorasAcum).has_value();
            f.TxTiempoAcumulado_Estado.setText(readable ? p.HorasAcum : QStringLiteral("00:00:00"));
        },
        [&f, &p] { return p.HorasAcum = f.TxTiempoAcumulado_Estado.text(); });
    addPair("Flags", "FormatoInicio",
            checkBox(f.CkFormatoReducido_Configuracion, p.FormatoInicio, false));
    addPair("Flags", "DespuesDe", checkBox(f.CkDespuesDeLa_Configuracion, p.DespuesDe, false));
    addPair("Flags", "ImpDesde", textBox(f.TxDespuesDeLa_Configuracion, p.ImpDesde));
    addPair("Flags", "ImpDurante", textBox(f.TxYDurante_Configuracion, p.ImpDurante));
    addPair("Flags", "ImpDespues", textBox(f.TxDespuesDe_Configuracion, p.ImpDespues));
    add(
        "Flags", "QueDia", [&e, &p](const Value& v) { e.QueDia = p.QueDia = text(v); },
        [&e, &p] { return p.QueDia = e.QueDia; });
    addPair("Flags", "WindowsInicio",
            checkBox(f.CKInicioWindows_Configuracion, p.WindowsInicio, false));
    add(
        "Flags", "ServerTime",
        [&f, &p](const Value& v) {
            const auto n = strictInteger(text(v));
            const bool valid = n && *n >= 0 && *n < f.CbServidoresDeTiempo.items().size();
            // No server unless one was chosen: nothing is asked of the network unbidden.
            p.ServerTime = valid ? *n : 0;
            f.CbServidoresDeTiempo.setListIndex(p.ServerTime);
        },
        [&e, &p] {
            p.ServerTime = strictInteger(e.ServerTime).value_or(0);
            return e.ServerTime;
        });
    auto position = [](float& coordinate, float& field) {
        return std::pair<std::function<void(const Value&)>, std::function<QString()>>{
            [&coordinate, &field](const Value& v) {
                const auto n = strictReal(text(v));
                coordinate = field = n ? static_cast<float>(*n) : kDefaultTwips;
            },
            [&coordinate, &field] { return formatSingle(field = coordinate); }};
    };
    addPair("UbicacionInicio", "Izquierda", position(f.FrChico.left, p.Izquierda));
    addPair("UbicacionInicio", "Top", position(f.FrChico.top, p.Top));
    addViewKeys();
    addVolumeKeys();
}

void SettingsStore::removeLeftovers() {
    lt::removeLeftovers(fs_, path_);
    // Earlier versions wrote through "Linktally.ini.XXXXXX" copies; a kill left some.
    const QFileInfo info(path_);
    const QString prefix = info.fileName() + QLatin1Char('.');
    for (const QString& name : fs_.list(info.path(), prefix)) {
        const QString tail = name.mid(prefix.size());
        const bool ours = tail.size() == 6 && std::all_of(tail.begin(), tail.end(), [](QChar c) {
                              return c.isLetterOrNumber() && c.unicode() < 128;
                          });
        if (ours) fs_.remove(info.path() + QLatin1Char('/') + name);
    }
}

void SettingsStore::addViewKeys() {
    // The main window's place and size, its tab, and the currency symbol: a section of
    // their own after the fifteen of old, which older versions leave alone.
    MainForm& f = form_;
    auto number = [](int& field) {
        return std::pair<std::function<void(const Value&)>, std::function<QString()>>{
            [&field](const Value& v) { field = strictInteger(text(v)).value_or(0); },
            [&field] { return QString::number(field); }};
    };
    auto addPair = [this](const char* k, auto pair) {
        add("Vista", k, std::move(pair.first), std::move(pair.second));
    };
    addPair("Izquierda", number(f.window.left));
    addPair("Arriba", number(f.window.top));
    addPair("Ancho", number(f.window.width));
    addPair("Alto", number(f.window.height));
    add(
        "Vista", "Pestana",
        [&f](const Value& v) {
            const int tab = strictInteger(text(v)).value_or(0);
            f.STabTiempos_Estado.setTab(tab >= 0 && tab < f.STabTiempos_Estado.count() ? tab : 0);
        },
        [&f] { return QString::number(f.STabTiempos_Estado.tab()); });
    add(
        "Vista", "Moneda", [&f](const Value& v) { f.TxMoneda_Configuracion.setText(text(v)); },
        [&f] { return f.TxMoneda_Configuracion.text(); });
}

void SettingsStore::addVolumeKeys() {
    // The data allowance, its warnings and the budget, as last accepted: a section of
    // their own, which older versions leave alone. The boxes show what was read.
    MainForm& f = form_;
    EstadoMonitor& e = estado_;
    auto addKey = [this](const char* k, std::function<void(const Value&)> read,
                         std::function<QString()> write) {
        add("Volumen", k, std::move(read), std::move(write));
    };
    addKey(
        "Periodo",
        [&f, &e](const Value& v) {
            const int n = strictInteger(text(v)).value_or(0);
            e.VolPeriodo = n >= 0 && n <= 3 ? n : 0;
            f.CbPeriodoVolumen_Configuracion.setListIndex(e.VolPeriodo);
        },
        [&e] { return QString::number(e.VolPeriodo); });
    addKey(
        "Cantidad",
        [&f, &e](const Value& v) { f.TxVolumen_Configuracion.setText(e.VolCantidad = text(v)); },
        [&e] { return e.VolCantidad; });
    addKey(
        "Unidad",
        [&f, &e](const Value& v) {
            e.VolUnidad =
                text(v) == QLatin1String("MB") ? QStringLiteral("MB") : QStringLiteral("GB");
            f.CbUnidadVolumen_Configuracion.setListIndex(e.VolUnidad == QLatin1String("MB") ? 0
                                                                                            : 1);
        },
        [&e] { return e.VolUnidad; });
    addKey(
        "DiaFacturacion",
        [&f, &e](const Value& v) {
            const int n = strictInteger(text(v)).value_or(1);
            e.DiaFacturacion = n >= 1 && n <= 28 ? n : 1;
            f.TxDiaFacturacion_Configuracion.setText(QString::number(e.DiaFacturacion));
        },
        [&e] { return QString::number(e.DiaFacturacion); });
    addKey(
        "SoloAviso",
        [&f, &e](const Value& v) {
            e.VolSoloAviso = text(v) == QLatin1String("1");
            f.CkSoloAviso_Configuracion.setValue(e.VolSoloAviso ? 1 : 0);
        },
        [&e] { return QString::number(e.VolSoloAviso ? 1 : 0); });
    addKey(
        "Avisos",
        [&f, &e](const Value& v) {
            e.Avisos = v ? text(v) : QStringLiteral("80,95");
            f.TxAvisos_Configuracion.setText(e.Avisos);
        },
        [&e] { return e.Avisos; });
    addKey(
        "Presupuesto",
        [&f, &e](const Value& v) {
            f.TxPresupuesto_Configuracion.setText(e.Presupuesto = text(v));
        },
        [&e] { return e.Presupuesto; });
    addKey(
        "AvisosDados", [&e](const Value& v) { e.AvisosDados = text(v); },
        [&e] { return e.AvisosDados; });
}

void SettingsStore::LeerINI() {
    removeLeftovers();
    IniFile ini;
    const bool read = ini.load(path_);
    const bool exists = QFileInfo::exists(path_) || QFileInfo(path_).isSymLink();
    const bool ours = std::any_of(keys_.begin(), keys_.end(),
                                  [&ini](const Key& k) { return ini.hasSection(k.section); });
    if (exists && (!read || !ours)) {
        // Never run on blanks (no tariff, no password): the shipped defaults stand in, and
        // the file stays as it is for the user to look at.
        unreadable_ = true;
        unreadableWhy_ = read ? QStringLiteral("it holds no settings") : ini.errorString();
        messages_.warn(kMsgSettingsNotRead,
                       unreadableWhy_ + QStringLiteral(" (") + path_ + QLatin1Char(')'));
        ini.parse(defaults_);
    }
    for (const Key& k : keys_) {
        auto v = ini.value(k.section, k.key);
        k.read(v);
    }
    loaded_ = true;
}

bool SettingsStore::writable() {
    if (!unreadable_) return true;
    reportWriteFailure(
        QStringLiteral("it could not be read (%1) and is left as it is").arg(unreadableWhy_));
    return false;
}

bool SettingsStore::GuardarINI() {
    if (!loaded_ || !writable()) return false;
    IniFile ini;
    // A file that is there but cannot be read is never replaced: it may hold more
    // than this run knows.
    if (!ini.load(path_) && QFileInfo::exists(path_)) {
        reportWriteFailure(ini.errorString());
        return false;
    }
    for (const Key& k : keys_) ini.setValue(k.section, k.key, k.write());
    if (ini.save(fs_, path_)) {
        failureReported_ = false;
        return true;
    }
    reportWriteFailure(ini.errorString());
    return false;
}

QString SettingsStore::LeerValorINI(const QString& section, const QString& key) const {
    return lt::LeerValorINI(path_, section, key);
}

bool SettingsStore::GuardarValorINI(const QString& section, const QString& key,
                                    const QString& value) {
    if (!writable()) return false;
    QString error;
    bool written = false;
    if (lt::GuardarValorINI(fs_, path_, section, key, value, &error, &written)) {
        // A value the file already held was no write, and ends no run of failures.
        if (written) failureReported_ = false;
        return true;
    }
    reportWriteFailure(error);
    return false;
}

void SettingsStore::reportWriteFailure(const QString& why) {
    // Once per run of failures: a full disk must not raise a box on every tick.
    if (failureReported_) return;
    failureReported_ = true;
    messages_.warn(kMsgSettingsNotWritten, why + QStringLiteral(" (") + path_ + QLatin1Char(')'));
}

}  // namespace lt
