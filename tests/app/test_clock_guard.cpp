// Changes of the PC clock and sleeps during a session, in virtual time.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "app/configuracion.h"
#include "core/clock.h"
#include "core/text_format.h"
#include "core/virtual_loop.h"
#include "support/fake_program.h"

using namespace lt;

namespace {

const QByteArray kSettings =
    "[tiempos y costos semanales]\nDesdeSemanaHH=00\nDesdeSemanaMM=00\nDesdeSemanaSS=00\n"
    "HastaSemanaHH=23\nHastaSemanaMM=59\nHastaSemanaSS=59\nCostoDesdeHasta=6\nCostoResto=6\n"
    "[Intervalos timers]\nTimerConexion=1\nTimerCosto=1\n[Idiomas]\nCodigoIdioma=0\n"
    "[Costos]\nAjusteCosto=S\nCostoIVA=0\n[Flags]\nQueDia=N\nServerTime=1\n";

struct Guard : test::VirtualTimeTest {
    void start(OleDate at) {
        VirtualTimeTest::start(at, kSettings);
        probe.setOnline(true);
    }
    bool reported() { return !form().LbEstadoRelojServer_Estado.caption().isEmpty(); }
    QString elapsed() { return form().TxTITiempoConexion_Estado.text(); }
};

}  // namespace

TEST_F(Guard, AClockMovedForwardOrBackIsReportedAndStealsNoTime) {
    start(oleFromParts(2026, 12, 5) + oleFromTime(9, 59, 59));
    loop.runForSeconds(1 + 600);
    EXPECT_EQ(elapsed(), QStringLiteral("00:10:00"));
    EXPECT_FALSE(reported());

    clock.jumpWallSeconds(60);
    loop.runForSeconds(1);
    EXPECT_TRUE(reported());
    EXPECT_EQ(logic->estado().PasoServidorTiempo, 6);
    EXPECT_EQ(elapsed(), QStringLiteral("00:10:01"));
    EXPECT_EQ(form().TxISHora_Estado.text(), QStringLiteral("10:00:00"));  // where it began

    form().LbEstadoRelojServer_Estado.setCaption(QString());
    clock.jumpWallSeconds(-3600);
    loop.runForSeconds(599);
    EXPECT_TRUE(reported());
    EXPECT_EQ(elapsed(), QStringLiteral("00:20:00"));  // an hour back takes nothing away
    probe.setOnline(false);
    loop.runForSeconds(2);
    // 20 minutes at 6 an hour, whatever the wall clock did.
    EXPECT_EQ(form().MSFlexGrid_Estado.row(0)[4], QStringLiteral("002.00"));
}

TEST_F(Guard, MidnightAndOurOwnStepAreNoChange) {
    start(oleFromParts(2026, 12, 5) + oleFromTime(23, 58, 59));
    loop.runForSeconds(1 + 180);  // across midnight
    EXPECT_FALSE(reported());
    EXPECT_EQ(elapsed(), QStringLiteral("00:03:00"));
    EXPECT_EQ(form().TxTAFecha_Estado.text(), QStringLiteral("06/12/2026"));

    // Our own synchronisation stepped the clock two minutes: not the user's change.
    logic->clockGuard().pasoPropio(120);
    clock.jumpWallSeconds(120);
    loop.runForSeconds(1);
    EXPECT_FALSE(reported());
}

TEST_F(Guard, ASleepEndsTheSessionWhereThePcWentToSleep) {
    start(oleFromParts(2026, 12, 5) + oleFromTime(21, 59, 59));
    loop.runForSeconds(1 + 1800);    // on line 22:00:00 to 22:30:00
    clock.advanceSeconds(8 * 3600);  // asleep, no ticks
    loop.runForSeconds(1);
    ASSERT_EQ(form().MSFlexGrid_Estado.rowCount(), 1);
    const QStringList first = form().MSFlexGrid_Estado.row(0);
    EXPECT_EQ(first[2], QStringLiteral("22:30:00"));
    EXPECT_EQ(first[3], QStringLiteral("00:30:00"));
    EXPECT_EQ(first[4], QStringLiteral("003.00"));  // half an hour at 6, not eight and a half
    EXPECT_FALSE(reported());                       // a sleep is not a change of the clock

    loop.runForSeconds(60);  // the line is still up: a new session
    EXPECT_EQ(form().LbTIEStadoE_Estado.caption(), QStringLiteral("CONNECTED"));
    EXPECT_EQ(form().TxISHora_Estado.text(), QStringLiteral("06:30:00"));
}
