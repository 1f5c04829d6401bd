#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "core/text_format.h"
#include "settings/default_settings.h"
#include "support/fake_program.h"

using namespace lt;
using test::at;

namespace {

QByteArray shippedDefaults() {
    QFile f(QStringLiteral(LT_DEFAULT_SETTINGS));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Startup : test::VirtualTimeTest {
    // Without a settings file unless one is given.
    void start(const QByteArray& settings = {}) {
        VirtualTimeTest::start(at(2026, 12, 5, 9, 30, 0), settings);
    }
    QString path() const { return test::settingsPathIn(dir); }
};

}  // namespace

TEST_F(Startup, FreshInstallationGetsNeutralValuesAndWritesTheWholeRecord) {
    start();
    EXPECT_EQ(estado().FeInt, oleFromParts(2026, 12, 5));
    EXPECT_EQ(form().LsIdiomas.listIndex(), 0);  // English from the empty file

    // A save with no file present writes the whole record: the 15 sections and 91 keys of
    // old in their order, then the window's own section and the data allowance's.
    // (Start-up itself may already have written the period start.)
    QFile::remove(path());
    ASSERT_TRUE(logic->settings().GuardarINI());
    const QStringList lines = test::readFile(path()).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.filter(QStringLiteral("=")).size(), 91 + 6 + 8);
    EXPECT_EQ(lines.size(), 91 + 15 + 6 + 1 + 8 + 1);
    EXPECT_EQ(lines.first(), QStringLiteral("[tiempos y costos semanales]"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("DesdeSemanaHH=")));
    EXPECT_EQ(lines[lines.size() - 19], QStringLiteral("[UbicacionInicio]"));
    EXPECT_TRUE(lines[lines.size() - 17].startsWith(QStringLiteral("Top=")));
    EXPECT_EQ(lines[lines.size() - 16], QStringLiteral("[Vista]"));
    EXPECT_EQ(lines[lines.size() - 9], QStringLiteral("[Volumen]"));
    EXPECT_EQ(ini("Interrupciones", "FeInt"), QStringLiteral("05/12/2026"));

    // A grey exit box closes the window only; the statistics tab opens on bars.
    form().CkAbadonaAplicacion_Configuracion.setValue(2);
    EXPECT_EQ(logic->Form_Unload(), CloseDecision::CloseWindow);
    EXPECT_EQ(ini("Intervalos timers", "AbandonaAplicacion"), QStringLiteral("2"));
    form().OpLineal_Estadisticas.setValue(true);
    form().STabTiempos_Estado.setTab(3);
    EXPECT_TRUE(form().OpBarras_Estadisticas.value());
}

TEST_F(Startup, ShippedDefaultsFollowTheDesktopLanguage) {
    QString error;
    PosixFileSystem fs;
    ASSERT_TRUE(installDefaultSettings(fs, path(), shippedDefaults(), QStringLiteral("es_AR"),
                                       oleFromParts(2026, 12, 5), &error));
    activate = true;
    start();
    EXPECT_EQ(form().LbCOCostoAcumulado_Estado.caption(),
              QStringLiteral("Costo acumulado desde el 05/12/2026:"));
    EXPECT_EQ(form().Tarifas[2].TxCostoHs.text(), QStringLiteral("1.60"));  // Monday
    EXPECT_EQ(estado().Clave, QStringLiteral("0000"));

    // An English desktop gets English; an existing file is never replaced.
    EXPECT_EQ(defaultLanguageFor(QStringLiteral("en_GB")), 0);
    test::writeFile(path(), "[Idiomas]\nCodigoIdioma=0\n");
    ASSERT_TRUE(
        installDefaultSettings(fs, path(), shippedDefaults(), QStringLiteral("es_ES"), 0, &error));
    EXPECT_EQ(test::readFile(path()), QStringLiteral("[Idiomas]\nCodigoIdioma=0\n"));
}

TEST_F(Startup, StoredValuesLoadAndSaveBackAsTheFileMeansThem) {
    start(QByteArray("; kept as written\n"
                     "[Interrupciones]\nDespuesDe=7\nMomento=algo raro 12\n"
                     "HorasAcum=05:20:10\nDiasAcum=29\nFeInt=28/12/2006 14:30:00\n"
                     "[Flags]\nImpDespues=3\nServerTime=4\nQueDia=S\nImpDesde=") +
          QByteArray(300, '7') +
          "\n[Reduccion costos]\nCkReduccion=1x\n[Intervalos timers]\nAbandonaAplicacion=abc\n"
          "[Idiomas]\nCodigoIdioma=2\n[Unknown]\nmine=1\n");
    EXPECT_EQ(form().TxDespuesDe_Configuracion.text(), QStringLiteral("3"));
    EXPECT_EQ(form().CbServidoresDeTiempo.listIndex(), 4);
    EXPECT_EQ(form().CkReduccionCosto_Costo.value(), 1);
    EXPECT_EQ(form().CkAbadonaAplicacion_Configuracion.value(), 0);
    EXPECT_EQ(form().TxDespuesDeLa_Configuracion.text().size(), 254);
    EXPECT_EQ(formatFeInt(estado().FeInt), QStringLiteral("28/12/2006 14:30:00"));
    EXPECT_EQ(form().LbPrueba.caption(), QStringLiteral("29:20:10"));
    EXPECT_TRUE(form().OpPorSemana_Configuracion.value());
    // Language 2: no entry selected, and the program speaks English.
    EXPECT_EQ(form().LsIdiomas.listIndex(), -1);
    EXPECT_EQ(form().MSFlexGrid_Estado.caption(0), QStringLiteral("Date"));

    ASSERT_TRUE(logic->settings().GuardarINI());
    EXPECT_EQ(ini("Interrupciones", "Momento"), QStringLiteral("algo raro 12"));
    EXPECT_EQ(ini("Interrupciones", "FeInt"), QStringLiteral("28/12/2006 14:30:00"));
    EXPECT_EQ(ini("Idiomas", "CodigoIdioma"), QStringLiteral("2"));
    EXPECT_EQ(ini("Reduccion costos", "CkReduccion"), QStringLiteral("1"));
    EXPECT_EQ(ini("Unknown", "mine"), QStringLiteral("1"));
    EXPECT_TRUE(test::readFile(path()).startsWith(QStringLiteral("; kept as written\n")));
}

TEST_F(Startup, UnwritableSettingsAreReportedOncePerRunOfFailuresAndTheRunGoesOn) {
    start();
    QDir(dir.path()).removeRecursively();
    form().TxImpuestos_Costo.setText(QStringLiteral("21"));
    EXPECT_FALSE(logic->settings().GuardarINI());
    EXPECT_FALSE(logic->settings().GuardarINI());
    EXPECT_EQ(told("The settings file could not be written"), 1);  // not a box on every tick
    EXPECT_TRUE(messages.shown[0].text.contains(path()));
    EXPECT_EQ(form().TxImpuestos_Costo.text(), QStringLiteral("21"));

    // A write that works again arms the notice for the next failure, a single key's too.
    QDir().mkpath(dir.path());
    EXPECT_TRUE(logic->settings().GuardarINI());
    QDir(dir.path()).removeRecursively();
    form().OpCostoPorDia_Costo.setValue(true);
    EXPECT_EQ(told("The settings file could not be written"), 2);
    EXPECT_EQ(estado().AjusteCosto, QStringLiteral("D"));
}
