// Changes of the PC clock and sleeps during a session, in virtual time.
#include <gtest/gtest.h>

#include "support/fake_program.h"

using namespace lt;
using test::at;

namespace {

struct Guard : test::VirtualTimeTest {
    // 6 an hour all day; a time server chosen.
    void start(OleDate when) {
        VirtualTimeTest::start(
            when, test::with(test::with(test::kSettings, "ServerTime=0", "ServerTime=1"),
                             "CostoDesdeHasta=2\nCostoResto=1", "CostoDesdeHasta=6\nCostoResto=6"));
        probe.setOnline(true);
    }
    bool reported() { return !form().LbEstadoRelojServer_Estado.caption().isEmpty(); }
    QString elapsed() { return form().TxTITiempoConexion_Estado.text(); }
};

}  // namespace

TEST_F(Guard, AClockMovedForwardOrBackIsReportedAndStealsNoTime) {
    start(at(2026, 12, 5, 9, 59, 59));
    run(1 + 600);
    EXPECT_FALSE(reported());
    clock.jumpWallSeconds(60);
    run(1);
    EXPECT_TRUE(reported());
    EXPECT_EQ(estado().PasoServidorTiempo, 6);
    EXPECT_EQ(elapsed(), QStringLiteral("00:10:01"));
    EXPECT_EQ(form().TxISHora_Estado.text(), QStringLiteral("10:00:00"));  // where it began

    form().LbEstadoRelojServer_Estado.setCaption(QString());
    clock.jumpWallSeconds(-3600);
    run(599);
    EXPECT_TRUE(reported());
    EXPECT_EQ(elapsed(), QStringLiteral("00:20:00"));  // an hour back takes nothing away
    offline(2);
    // 20 minutes at 6 an hour, whatever the wall clock did.
    EXPECT_EQ(row(0)[4], QStringLiteral("002.00"));
}

TEST_F(Guard, MidnightAndOurOwnStepAreNoChange) {
    start(at(2026, 12, 5, 23, 58, 59));
    run(1 + 180);  // across midnight
    EXPECT_FALSE(reported());
    EXPECT_EQ(elapsed(), QStringLiteral("00:03:00"));
    EXPECT_EQ(form().TxTAFecha_Estado.text(), QStringLiteral("06/12/2026"));

    // Our own synchronisation stepped the clock two minutes: not the user's change.
    logic->clockGuard().pasoPropio(120);
    clock.jumpWallSeconds(120);
    run(1);
    EXPECT_FALSE(reported());
}

TEST_F(Guard, ASleepEndsTheSessionWhereThePcWentToSleep) {
    start(at(2026, 12, 5, 21, 59, 59));
    run(1 + 1800);                   // on line 22:00:00 to 22:30:00
    clock.advanceSeconds(8 * 3600);  // asleep, no ticks
    run(1);
    ASSERT_EQ(rows(), 1);
    const QStringList first = row(0);
    EXPECT_EQ(first[2], QStringLiteral("22:30:00"));
    EXPECT_EQ(first[4], QStringLiteral("003.00"));  // half an hour at 6, not eight and a half
    EXPECT_FALSE(reported());                       // a sleep is not a change of the clock

    run(60);  // the line is still up: a new session
    EXPECT_EQ(form().LbTIEStadoE_Estado.caption(), QStringLiteral("CONNECTED"));
    EXPECT_EQ(form().TxISHora_Estado.text(), QStringLiteral("06:30:00"));
}

TEST_F(Guard, ASleepIsNeverPricedWhicheverTickComesFirstAfterIt) {
    // The session clock every 2 s, the cost every minute on the odd seconds between: after
    // the sleep the cost tick comes first. A reduction period has just run out.
    VirtualTimeTest::start(
        at(2026, 12, 5, 21, 59, 59),
        test::with(test::with(test::kSettings, "TimerConexion=1", "TimerConexion=2"),
                   "CostoDesdeHasta=2\nCostoResto=1",
                   "CostoDesdeHasta=6\nCostoResto=6\n[Reduccion costos]\nCkReduccion=1\n"
                   "ReduccionCada=30\nPorcentajeCostoReducido=50"));
    online(1 + 1860);  // 22:00:00 .. 22:31:00
    clock.advanceSeconds(8 * 3600);
    run(1);
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(row(0)[2], QStringLiteral("22:31:00"));
    // 31 minutes at 6, the finished half hour at half price: not eight hours of sleep.
    EXPECT_EQ(row(0)[4], QStringLiteral("001.55"));
}
