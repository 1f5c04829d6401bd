#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/configuracion.h"
#include "core/clock.h"
#include "core/text_format.h"
#include "settings/default_settings.h"
#include "settings/ini_file.h"
#include "support/test_support.h"

using namespace lt;

namespace {

QByteArray shippedDefaults() {
    QFile f(QStringLiteral(LT_DEFAULT_SETTINGS));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Started, with its files in `dir`.
struct Program {
    explicit Program(const QString& dir)
        : logic(clock, messages, AppFiles{dir, dir}, probe, cutter) {
        logic.Form_Load();
    }
    FakeClock clock{oleFromParts(2026, 12, 5) + oleFromTime(9, 30, 0)};
    test::RecordingMessageBox messages;
    test::FakeProbe probe;
    test::FakeCutter cutter;
    Configuracion logic;
    MainForm& form() { return logic.form(); }
    EstadoMonitor& estado() { return logic.estado(); }
};

QStringList keysInOrder(const QString& path) {
    QStringList out;
    QString section;
    for (const QString& line : test::readFile(path).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('[')))
            section = line;
        else if (line.contains(QLatin1Char('=')))
            out << section + line.section(QLatin1Char('='), 0, 0);
    }
    return out;
}

}  // namespace

TEST(Startup, FreshInstallationWithoutAnyFileGetsNeutralValues) {
    QTemporaryDir dir;
    Program p(dir.path());

    EXPECT_EQ(p.form().LbPrueba.caption(), QStringLiteral("00:00:00"));
    EXPECT_EQ(p.estado().FeInt, oleFromParts(2026, 12, 5));
    EXPECT_EQ(p.estado().ServerTime, QStringLiteral("0"));
    // Language 0 from the empty file: English captions and list entry 0.
    EXPECT_EQ(p.form().LsIdiomas.listIndex(), 0);
    EXPECT_EQ(p.form().LbTIEStadoE_Estado.caption(), QStringLiteral("DISCONNECTED"));
    EXPECT_TRUE(p.form().TiConexion.enabled());
    EXPECT_TRUE(p.messages.shown.empty());

    // A save with no file present writes the whole record: 15 sections and 91 keys, in
    // order. (Start-up itself may already have written the period start.)
    const QString path = dir.filePath(QStringLiteral("Linktally.ini"));
    QFile::remove(path);
    ASSERT_TRUE(p.logic.settings().GuardarINI());
    const QStringList keys = keysInOrder(path);
    ASSERT_EQ(keys.size(), 91);
    EXPECT_EQ(keys.first(), QStringLiteral("[tiempos y costos semanales]DesdeSemanaHH"));
    EXPECT_EQ(keys.last(), QStringLiteral("[UbicacionInicio]Top"));
    EXPECT_EQ(test::readFile(path).count(QLatin1Char('[')), 15);
    EXPECT_EQ(LeerValorINI(path, QStringLiteral("Flags"), QStringLiteral("ImpDesde")), QString());
    EXPECT_EQ(LeerValorINI(path, QStringLiteral("Interrupciones"), QStringLiteral("FeInt")),
              QStringLiteral("05/12/2026"));
}

TEST(Startup, ShippedDefaultsFollowTheDesktopLanguage) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Linktally.ini"));
    QString error;
    ASSERT_TRUE(installDefaultSettings(path, shippedDefaults(), QStringLiteral("es_AR"),
                                       oleFromParts(2026, 12, 5), &error));
    Program p(dir.path());
    p.logic.Form_Activate();
    EXPECT_EQ(p.estado().CodigoIdioma, 1);
    EXPECT_EQ(p.form().LbCOCostoAcumulado_Estado.caption(),
              QStringLiteral("Costo acumulado desde el 05/12/2026:"));
    EXPECT_EQ(p.form().Tarifas[2].TxCostoHs.text(), QStringLiteral("1.60"));  // Monday
    EXPECT_TRUE(p.form().FrCostoPorSemana_Costo.visible());
    EXPECT_FALSE(p.form().FrCostoPorDia_Costo.visible());
    EXPECT_EQ(p.estado().Clave, QStringLiteral("0000"));

    // An English desktop gets English; an existing file is never replaced.
    EXPECT_EQ(defaultLanguageFor(QStringLiteral("en_GB")), 0);
    EXPECT_EQ(defaultLanguageFor(QStringLiteral("es")), 1);
    test::writeFile(path, "[Idiomas]\nCodigoIdioma=0\n");
    ASSERT_TRUE(
        installDefaultSettings(path, shippedDefaults(), QStringLiteral("es_ES"), 0, &error));
    EXPECT_EQ(test::readFile(path), QStringLiteral("[Idiomas]\nCodigoIdioma=0\n"));
}

TEST(Startup, StoredValuesLoadAndSaveBackAsTheFileMeansThem) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Linktally.ini"));
    const QString longValue(300, QLatin1Char('7'));
    test::writeFile(path, QByteArray("; kept as written\n"
                                     "[Interrupciones]\nDespuesDe=7\nMomento=algo raro 12\n"
                                     "HorasAcum=05:20:10\nDiasAcum=29\nFeInt=28/12/2006 14:30:00\n"
                                     "[Flags]\nImpDespues=3\nServerTime=4\nQueDia=S\nImpDesde=") +
                              longValue.toUtf8() +
                              "\n[Reduccion costos]\nCkReduccion=1x\n"
                              "[Intervalos timers]\nAbandonaAplicacion=abc\n"
                              "[Idiomas]\nCodigoIdioma=2\n[Unknown]\nmine=1\n");
    Program p(dir.path());

    EXPECT_EQ(p.form().TxDespuesDe_Configuracion.text(), QStringLiteral("3"));
    EXPECT_EQ(p.form().CbServidoresDeTiempo.listIndex(), 4);
    EXPECT_EQ(p.form().CkReduccionCosto_Costo.value(), 1);
    EXPECT_EQ(p.form().CkAbadonaAplicacion_Configuracion.value(), 0);
    EXPECT_EQ(p.form().TxDespuesDeLa_Configuracion.text().size(), 254);
    EXPECT_EQ(formatFeInt(p.estado().FeInt), QStringLiteral("28/12/2006 14:30:00"));
    EXPECT_EQ(p.estado().HoraAnterior, 5);
    EXPECT_EQ(p.estado().HorasAcumuladas, 29);
    EXPECT_EQ(p.form().LbPrueba.caption(), QStringLiteral("29:20:10"));
    EXPECT_TRUE(p.form().OpPorSemana_Configuracion.value());
    EXPECT_TRUE(p.form().LbPrueba.visible());
    // Language 2: no entry selected, and the program speaks English.
    EXPECT_EQ(p.form().LsIdiomas.listIndex(), -1);
    EXPECT_EQ(p.form().LbTIEStadoE_Estado.caption(), QStringLiteral("DISCONNECTED"));
    EXPECT_EQ(p.form().MSFlexGrid_Estado.caption(0), QStringLiteral("Date"));

    ASSERT_TRUE(p.logic.settings().GuardarINI());
    auto read = [&](const char* s, const char* k) {
        return LeerValorINI(path, QString::fromLatin1(s), QString::fromLatin1(k));
    };
    EXPECT_EQ(read("Interrupciones", "DespuesDe"), QStringLiteral("3"));
    EXPECT_EQ(read("Flags", "ServerTime"), QStringLiteral("4"));
    EXPECT_EQ(read("Interrupciones", "Momento"), QStringLiteral("algo raro 12"));
    EXPECT_EQ(read("Interrupciones", "FeInt"), QStringLiteral("28/12/2006 14:30:00"));
    EXPECT_EQ(read("Idiomas", "CodigoIdioma"), QStringLiteral("2"));
    EXPECT_EQ(read("Reduccion costos", "CkReduccion"), QStringLiteral("1"));
    EXPECT_EQ(read("Unknown", "mine"), QStringLiteral("1"));
    EXPECT_TRUE(test::readFile(path).startsWith(QStringLiteral("; kept as written\n")));
}

TEST(Startup, ClosingFollowsTheConnectionAndTheExitBox) {
    QTemporaryDir dir;
    Program p(dir.path());
    const QString path = dir.filePath(QStringLiteral("Linktally.ini"));

    const QString before = test::readFile(path);
    p.form().TxImpuestos_Costo.setText(QStringLiteral("7"));
    p.estado().Conectado = true;
    EXPECT_EQ(p.logic.Form_Unload(), CloseDecision::Refused);
    EXPECT_EQ(test::readFile(path), before);  // nothing saved while refused on line

    p.estado().Conectado = false;
    p.form().CkAbadonaAplicacion_Configuracion.setValue(1);
    EXPECT_EQ(p.logic.Form_Unload(), CloseDecision::Refused);
    // Saved even though the program stays.
    EXPECT_EQ(LeerValorINI(path, QStringLiteral("Costos"), QStringLiteral("CostoIVA")),
              QStringLiteral("7"));
    p.form().CkAbadonaAplicacion_Configuracion.setValue(0);
    EXPECT_EQ(p.logic.Form_Unload(), CloseDecision::QuitProgram);
    p.form().CkAbadonaAplicacion_Configuracion.setValue(2);
    EXPECT_EQ(p.logic.Form_Unload(), CloseDecision::CloseWindow);
    EXPECT_EQ(LeerValorINI(path, QStringLiteral("Intervalos timers"),
                           QStringLiteral("AbandonaAplicacion")),
              QStringLiteral("2"));
}

TEST(Startup, MinimiseHidesBehindTheTrayAndTabThreeSelectsBars) {
    QTemporaryDir dir;
    Program p(dir.path());
    EXPECT_TRUE(p.form().window.visible);
    p.logic.Form_Resize(true);
    EXPECT_FALSE(p.form().window.visible);
    EXPECT_TRUE(p.form().Systray.visible);
    p.logic.Form_Resize(false);
    EXPECT_FALSE(p.form().Systray.visible);

    p.form().OpLineal_Estadisticas.setValue(true);
    p.form().STabTiempos_Estado.setTab(2);
    EXPECT_TRUE(p.form().OpLineal_Estadisticas.value());
    p.form().STabTiempos_Estado.setTab(3);
    EXPECT_TRUE(p.form().OpBarras_Estadisticas.value());
}

TEST(Startup, UnwritableSettingsAreReportedOncePerRunOfFailuresAndTheRunGoesOn) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("conf"));
    QDir().mkpath(folder);
    Program p(folder);
    auto settingsNotices = [&p] {
        int n = 0;
        for (const auto& m : p.messages.shown)
            n += m.text.startsWith(QStringLiteral("The settings file could not be written")) &&
                 m.text.contains(QStringLiteral("/conf/Linktally.ini"));
        return n;
    };
    QDir(folder).removeRecursively();
    p.form().TxImpuestos_Costo.setText(QStringLiteral("21"));
    EXPECT_FALSE(p.logic.settings().GuardarINI());
    EXPECT_FALSE(p.logic.settings().GuardarINI());
    EXPECT_EQ(settingsNotices(), 1);  // not a box on every tick
    EXPECT_EQ(p.form().TxImpuestos_Costo.text(), QStringLiteral("21"));

    // A write that works again arms the notice for the next failure, a single key's too.
    QDir().mkpath(folder);
    EXPECT_TRUE(p.logic.settings().GuardarINI());
    QDir(folder).removeRecursively();
    p.form().OpCostoPorDia_Costo.setValue(true);
    EXPECT_EQ(settingsNotices(), 2);
    EXPECT_EQ(p.estado().AjusteCosto, QStringLiteral("D"));
}
