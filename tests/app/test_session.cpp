// Whole sessions through the form model, in virtual time.
#include <gtest/gtest.h>

#include "support/fake_program.h"

using namespace lt;
using test::at;

namespace {

struct Session : test::VirtualTimeTest {
    // The first tick comes a second later: 10:00:00 on the 5th by default.
    void start(const QByteArray& settings = test::kSettings,
               OleDate when = at(2026, 12, 5, 9, 59, 59)) {
        VirtualTimeTest::start(when, settings);
    }
};

}  // namespace

TEST_F(Session, TwoSessionsWithAOneTickDropBetweenAreTwoRecordsWithTheirOwnTimes) {
    probe.setOnline(true, kFlagLan | kFlagProxy);
    start();
    run(62);
    MainForm& f = form();
    EXPECT_EQ(f.LbConexionVia_Estado.caption(),
              QStringLiteral("Connection Via LAN - Connection via a Proxy"));
    EXPECT_EQ(f.TxTAHora_Estado.text(), QStringLiteral("10:01:01"));
    EXPECT_EQ(f.TxTiempoAcumulado_Estado.text(), QStringLiteral("00:01:01"));
    EXPECT_FALSE(f.TxImpuestos_Costo.enabled());                  // locked while the session runs
    EXPECT_EQ(f.Systray.tip, QStringLiteral("00:01:00-000.00"));  // the previous tick's
    // 61 seconds at 2 an hour, priced on the first minute tick.
    EXPECT_EQ(f.TxCOCostoConexionActual_Estado.text(), QStringLiteral("000.03"));

    run(29 * 60 - 1);  // on line 10:00:00 .. 10:30:00
    offline(1);        // one tick sees it down: the session is stored
    EXPECT_EQ(f.TxISFecha_Estado.text(), QString());
    EXPECT_EQ(f.TxCOCostoConexionActual_Estado.text(), QStringLiteral("000.00"));
    EXPECT_TRUE(f.TxImpuestos_Costo.enabled());
    EXPECT_EQ(f.Systray.tip, QStringLiteral("LinkTally"));

    online(15 * 60);
    offline(2);
    ASSERT_EQ(rows(), 2);
    // The first session: 30 minutes at 2 an hour; ends at the last tick that saw it up.
    EXPECT_EQ(row(0),
              (QStringList{"05/12/2026", "10:00:00", "10:30:00", "00:30:00", "001.00", "001.00"}));
    // The second starts at the tick that saw the line down, not at 10:00:00 again.
    EXPECT_EQ(row(1),
              (QStringList{"05/12/2026", "10:30:01", "10:45:01", "00:15:00", "000.50", "001.50"}));
    // The settings were saved at each end: the accumulated cost, time and session date.
    EXPECT_EQ(ini("Costos", "CostoAcumuladoPorSesion"), QStringLiteral("001.50"));
    EXPECT_EQ(ini("Interrupciones", "HorasAcum"), QStringLiteral("00:45:00"));
    EXPECT_EQ(ini("Interrupciones", "Momento"), QStringLiteral("05/12/2026"));
}

TEST_F(Session, ASessionOfTwentySevenHoursCarriesWholeHours) {
    probe.setOnline(true);
    start(test::kSettings, at(2026, 12, 5, 7, 59, 59));
    run(1 + 27 * 3600 + 15 * 60 + 3);
    EXPECT_EQ(form().TxTITiempoConexion_Estado.text(), QStringLiteral("27:15:03"));
    EXPECT_EQ(form().TxTiempoAcumulado_Estado.text(), QStringLiteral("03:15:03"));  // a time of day
    EXPECT_EQ(form().LbPrueba.caption(), QStringLiteral("27:15:03"));
    offline(2);
    EXPECT_EQ(row(0)[3], QStringLiteral("27:15:03"));
    EXPECT_EQ(row(0)[2], QStringLiteral("11:15:03"));
}

TEST_F(Session, AccumulatedTimeNearMidnightCountsTheHourAtTheWrap) {
    probe.setOnline(true);
    start(test::kSettings + "[Interrupciones]\nHorasAcum=23:59:30\nDiasAcum=05\n");
    run(1 + 29);
    EXPECT_EQ(form().TxTiempoAcumulado_Estado.text(), QStringLiteral("23:59:59"));
    EXPECT_EQ(estado().HorasAcumuladas, 5);
    run(1);
    EXPECT_EQ(form().TxTiempoAcumulado_Estado.text(), QStringLiteral("00:00:00"));
    EXPECT_EQ(form().TxDiasAcumuladosInterrupcionProgramada_Estado.text(), QStringLiteral("06"));
    EXPECT_EQ(form().LbPrueba.caption(), QStringLiteral("06:00:00"));
    run(10);
    EXPECT_EQ(estado().HorasAcumuladas, 6);  // one hour, once
}

TEST_F(Session, EachStretchIsPricedAtItsOwnRateAcrossABandEdgeAndMidnight) {
    // Per weekday: Monday 08:00-20:00 at 2, rest 1.2; Tuesday 00:00-00:30 at 3, rest 0.6.
    // Reduction every 60 minutes at 50 %, tax 10 %.
    const QByteArray settings =
        "[tiempos y costos diarios-lunes]\nDesdeLunesHH=08\nDesdeLunesMM=0\nDesdeLunesSS=0\n"
        "HastaLunesHH=20\nHastaLunesMM=0\nHastaLunesSS=0\nCostoDesdeHastaLunes=2\n"
        "CostoRestoLunes=1.2\n"
        "[tiempos y costos diarios-martes]\nDesdeMartesHH=0\nDesdeMartesMM=0\nDesdeMartesSS=0\n"
        "HastaMartesHH=0\nHastaMartesMM=30\nHastaMartesSS=0\nCostoDesdeHastaMartes=3\n"
        "CostoRestoMartes=0.6\n"
        "[Reduccion costos]\nCkReduccion=1\nReduccionCada=60\nPorcentajeCostoReducido=50\n" +
        test::with(test::kSettings, "AjusteCosto=S\nCostoIVA=0", "AjusteCosto=D\nCostoIVA=10");
    probe.setOnline(true);
    start(settings, at(2026, 11, 30, 23, 39, 59));  // a Monday
    // On line from Monday 23:40:00 to Tuesday 00:50:00.
    run(1 + 70 * 60);
    offline(1);
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

TEST_F(Session, AnAcceptedEditReachesTheDiskAFewSecondsAfterTheLastOne) {
    start();
    form().TxImpuestos_Costo.setText(QStringLiteral("2"));
    run(2);
    form().TxImpuestos_Costo.setText(QStringLiteral("21"));
    run(2);
    EXPECT_EQ(ini("Costos", "CostoIVA"), QStringLiteral("0"));  // not yet
    run(2);
    EXPECT_EQ(ini("Costos", "CostoIVA"), QStringLiteral("21"));
    // A refused value is replaced, and the replacement is what gets saved.
    form().TxImpuestos_Costo.setText(QStringLiteral("101"));
    run(5);
    EXPECT_EQ(ini("Costos", "CostoIVA"), QStringLiteral("0"));
}
