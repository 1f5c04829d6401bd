// Whole sessions through the form model, in virtual time.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "app/configuracion.h"
#include "core/clock.h"
#include "core/text_format.h"
#include "core/virtual_loop.h"
#include "settings/ini_file.h"
#include "support/fake_program.h"

using namespace lt;

namespace {

const QByteArray kSettings =
    "[tiempos y costos semanales]\nDesdeSemanaHH=08\nDesdeSemanaMM=00\nDesdeSemanaSS=00\n"
    "HastaSemanaHH=20\nHastaSemanaMM=00\nHastaSemanaSS=00\nCostoDesdeHasta=2\nCostoResto=1\n"
    "[Intervalos timers]\nTimerConexion=1\nTimerCosto=1\n"
    "[Idiomas]\nCodigoIdioma=0\n[Costos]\nAjusteCosto=S\nCostoIVA=0\n"
    "CostoAcumuladoPorSesion=000.00\n[Flags]\nQueDia=N\nServerTime=0\n";

struct Session : test::VirtualTimeTest {
    Session() { probe.setOnline(true); }
    // The first tick comes a second later: 10:00:00 on the 5th by default.
    void start(const QByteArray& settings = kSettings,
               OleDate at = oleFromParts(2026, 12, 5) + oleFromTime(9, 59, 59)) {
        VirtualTimeTest::start(at, settings);
    }
    QStringList row(int r) { return form().MSFlexGrid_Estado.row(r); }
    int rows() { return form().MSFlexGrid_Estado.rowCount(); }
    QString stored(const char* section, const char* key) {
        return LeerValorINI(test::settingsPathIn(dir), QString::fromLatin1(section),
                            QString::fromLatin1(key));
    }
    void runOffLine(double seconds) {
        probe.setOnline(false);
        loop.runForSeconds(seconds);
    }
};

}  // namespace

TEST_F(Session, FirstSessionFromStartUpOnLineFillsTheStatusTab) {
    probe.setOnline(true, kFlagLan | kFlagProxy);
    start();
    loop.runForSeconds(62);

    MainForm& f = form();
    EXPECT_EQ(f.LbTIEStadoE_Estado.caption(), QStringLiteral("CONNECTED"));
    EXPECT_EQ(f.LbConexionVia_Estado.caption(),
              QStringLiteral("Connection Via LAN - Connection via a Proxy"));
    EXPECT_EQ(f.TxISFecha_Estado.text(), QStringLiteral("05/12/2026"));
    EXPECT_EQ(f.TxISHora_Estado.text(), QStringLiteral("10:00:00"));
    EXPECT_EQ(f.TxTAHora_Estado.text(), QStringLiteral("10:01:01"));
    EXPECT_EQ(f.TxTITiempoConexion_Estado.text(), QStringLiteral("00:01:01"));
    EXPECT_EQ(f.TxTiempoAcumulado_Estado.text(), QStringLiteral("00:01:01"));
    EXPECT_TRUE(f.TiCostos.enabled());
    // Locked while the session runs.
    EXPECT_FALSE(f.TxImpuestos_Costo.enabled());
    EXPECT_FALSE(f.FrCostoPorSemana_Costo.enabled());
    EXPECT_FALSE(f.LsIdiomas.enabled());
    EXPECT_EQ(f.Systray.tip, QStringLiteral("00:01:00-000.00"));  // the previous tick's
    // 61 seconds at 2 an hour, priced on the first minute tick.
    EXPECT_EQ(f.TxCOCostoConexionActual_Estado.text(), QStringLiteral("000.03"));
}

TEST_F(Session, TwoSessionsWithADropBetweenAreTwoRecordsWithTheirOwnTimes) {
    start();
    loop.runForSeconds(1 + 30 * 60);  // on line 10:00:00 .. 10:30:00
    runOffLine(10);
    EXPECT_EQ(form().LbTIEStadoE_Estado.caption(), QStringLiteral("DISCONNECTED"));
    EXPECT_EQ(form().TxISFecha_Estado.text(), QString());
    EXPECT_EQ(form().TxCOCostoConexionActual_Estado.text(), QStringLiteral("000.00"));
    EXPECT_FALSE(form().TiCostos.enabled());
    EXPECT_TRUE(form().TxImpuestos_Costo.enabled());
    EXPECT_EQ(form().Systray.tip, QStringLiteral("LinkTally"));

    probe.setOnline(true);
    loop.runForSeconds(15 * 60);
    runOffLine(2);

    ASSERT_EQ(rows(), 2);
    EXPECT_EQ(estado().CantidadSesiones, 2);
    // The first session: 30 minutes at 2 an hour; ends at the last tick that saw it up.
    EXPECT_EQ(row(0),
              (QStringList{"05/12/2026", "10:00:00", "10:30:00", "00:30:00", "001.00", "001.00"}));
    // The second starts at the last tick that saw the line down.
    EXPECT_EQ(row(1)[1], QStringLiteral("10:30:10"));
    EXPECT_EQ(row(1)[4], QStringLiteral("000.50"));
    EXPECT_EQ(row(1)[5], QStringLiteral("001.50"));
    // The settings were saved at each end: the accumulated cost and the session date.
    EXPECT_EQ(stored("Costos", "CostoAcumuladoPorSesion"), QStringLiteral("001.50"));
    EXPECT_EQ(stored("Interrupciones", "Momento"), QStringLiteral("05/12/2026"));
}

TEST_F(Session, ALineBackAtTheNextTickStartsANewSessionThere) {
    start();
    loop.runForSeconds(1 + 60);  // on line 10:00:00 .. 10:01:00
    runOffLine(1);               // one tick sees it down: the session is stored
    probe.setOnline(true);
    loop.runForSeconds(30);
    runOffLine(2);

    ASSERT_EQ(rows(), 2);
    EXPECT_EQ(row(0)[1], QStringLiteral("10:00:00"));
    EXPECT_EQ(row(0)[2], QStringLiteral("10:01:00"));
    // Not 10:00:00 again, with the first session and the gap counted twice.
    EXPECT_EQ(row(1)[1], QStringLiteral("10:01:01"));
    EXPECT_EQ(row(1)[3], QStringLiteral("00:00:30"));
    EXPECT_EQ(stored("Interrupciones", "HorasAcum"), QStringLiteral("00:01:30"));
}

TEST_F(Session, ASessionOfTwentySevenHoursCarriesWholeHours) {
    start(kSettings, oleFromParts(2026, 12, 5) + oleFromTime(7, 59, 59));
    loop.runForSeconds(1 + 27 * 3600 + 15 * 60 + 3);
    EXPECT_EQ(form().TxTITiempoConexion_Estado.text(), QStringLiteral("27:15:03"));
    EXPECT_EQ(form().TxTiempoAcumulado_Estado.text(), QStringLiteral("03:15:03"));  // a time of day
    EXPECT_EQ(form().LbPrueba.caption(), QStringLiteral("27:15:03"));
    EXPECT_EQ(estado().HorasAcumuladas, 27);
    runOffLine(2);
    EXPECT_EQ(row(0)[3], QStringLiteral("27:15:03"));
    EXPECT_EQ(row(0)[2], QStringLiteral("11:15:03"));
}

TEST_F(Session, AccumulatedTimeNearMidnightCountsTheHourAtTheWrap) {
    start(kSettings + "[Interrupciones]\nHorasAcum=23:59:30\nDiasAcum=05\n");
    loop.runForSeconds(1 + 29);
    EXPECT_EQ(form().TxTiempoAcumulado_Estado.text(), QStringLiteral("23:59:59"));
    EXPECT_EQ(estado().HorasAcumuladas, 5);
    loop.runForSeconds(1);
    EXPECT_EQ(form().TxTiempoAcumulado_Estado.text(), QStringLiteral("00:00:00"));
    EXPECT_EQ(estado().HorasAcumuladas, 6);
    EXPECT_EQ(form().TxDiasAcumuladosInterrupcionProgramada_Estado.text(), QStringLiteral("06"));
    EXPECT_EQ(form().LbPrueba.caption(), QStringLiteral("06:00:00"));
    loop.runForSeconds(10);
    EXPECT_EQ(estado().HorasAcumuladas, 6);  // one hour, once
}

TEST_F(Session, EachStretchIsPricedAtItsOwnRateAcrossABandEdgeAndMidnight) {
    // Per weekday: Monday 08:00-20:00 at 2, rest 1.2; Tuesday 00:00-00:30 at 3, rest 0.6.
    // Reduction every 60 minutes at 50 %, tax 10 %.
    QByteArray settings =
        "[tiempos y costos diarios-lunes]\nDesdeLunesHH=08\nDesdeLunesMM=0\nDesdeLunesSS=0\n"
        "HastaLunesHH=20\nHastaLunesMM=0\nHastaLunesSS=0\nCostoDesdeHastaLunes=2\nCostoRestoLunes="
        "1.2\n"
        "[tiempos y costos diarios-martes]\nDesdeMartesHH=0\nDesdeMartesMM=0\nDesdeMartesSS=0\n"
        "HastaMartesHH=0\nHastaMartesMM=30\nHastaMartesSS=0\nCostoDesdeHastaMartes=3\n"
        "CostoRestoMartes=0.6\n"
        "[Reduccion costos]\nCkReduccion=1\nReduccionCada=60\nPorcentajeCostoReducido=50\n"
        "[Intervalos timers]\nTimerConexion=1\nTimerCosto=1\n[Idiomas]\nCodigoIdioma=0\n"
        "[Costos]\nAjusteCosto=D\nCostoIVA=10\nCostoAcumuladoPorSesion=000.00\n[Flags]\nQueDia=N\n";
    start(settings, oleFromParts(2026, 11, 30) + oleFromTime(23, 39, 59));  // a Monday
    // On line from Monday 23:40:00 to Tuesday 00:50:00.
    loop.runForSeconds(1 + 70 * 60);
    runOffLine(1);
    // The minute tick at 00:40:01 finds 01:00:01 elapsed and closes a reduction period:
    //   23:40-24:00 at 1.2 = 0.4; 00:00-00:30 at 3 = 1.5; 00:30-00:40:01 at 0.6 = 0.1001667
    //   -> 2.0001667, kept at 50 % = 1.0000833.
    // The last tick on line is 00:50:00; the final pricing at 00:50:01 adds
    //   00:40:01-00:50:01 at 0.6 = 0.1, and (1.0000833 + 0.1) * 1.10 = 1.2100917.
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(row(0),
              (QStringList{"30/11/2026", "23:40:00", "00:50:00", "01:10:00", "001.21", "001.21"}));
    EXPECT_NEAR(estado().CostoAcumuladoPorSesion, 1.21f, 0.001f);
}

TEST_F(Session, AnUnknownLanguageCodeRunsInEnglishAndStoresItsSessions) {
    start(QByteArray(kSettings).replace("CodigoIdioma=0", "CodigoIdioma=2"));
    loop.runForSeconds(5);
    EXPECT_EQ(form().LbTIEStadoE_Estado.caption(), QStringLiteral("CONNECTED"));
    EXPECT_EQ(form().LbConexionVia_Estado.caption(), QStringLiteral("Connection Via LAN"));
    runOffLine(2);
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(form().LbTIEStadoE_Estado.caption(), QStringLiteral("DISCONNECTED"));
}

TEST_F(Session, AnEmptyIntervalKeepsTheClockTickingAndACutThatCannotCutDoesNotChurn) {
    start(QByteArray(kSettings).replace("TimerConexion=1", "TimerConexion="));
    loop.runForSeconds(1);
    EXPECT_EQ(form().TiTiempoConexion.interval(), 5000);
    loop.runForSeconds(20);
    EXPECT_EQ(form().TxTITiempoConexion_Estado.text(), QStringLiteral("00:00:20"));

    // Nothing this program can end (a LAN without a connection manager).
    cutter.ends = 0;
    EXPECT_FALSE(logic->connection().cortarConexion());
    EXPECT_FALSE(logic->connection().cortarConexion());
    EXPECT_TRUE(estado().Conectado);
    EXPECT_TRUE(form().LbAvisoCorte_Estado.visible());
    loop.runForSeconds(60);
    EXPECT_EQ(rows(), 0);  // still one session

    cutter.ends = 1;
    cutter.probe = &probe;
    EXPECT_TRUE(logic->connection().cortarConexion());
    EXPECT_FALSE(estado().Conectado);
    loop.runForSeconds(10);
    EXPECT_EQ(rows(), 1);
}

TEST_F(Session, AnAcceptedEditReachesTheDiskAFewSecondsAfterTheLastOne) {
    probe.setOnline(false);
    start();
    form().TxImpuestos_Costo.setText(QStringLiteral("2"));
    loop.runForSeconds(2);
    form().TxImpuestos_Costo.setText(QStringLiteral("21"));
    loop.runForSeconds(2);
    EXPECT_EQ(stored("Costos", "CostoIVA"), QStringLiteral("0"));
    loop.runForSeconds(2);
    EXPECT_EQ(stored("Costos", "CostoIVA"), QStringLiteral("21"));
    // A refused value is replaced, and the replacement is what gets saved.
    form().TxImpuestos_Costo.setText(QStringLiteral("101"));
    loop.runForSeconds(5);
    EXPECT_EQ(stored("Costos", "CostoIVA"), QStringLiteral("0"));
}
