// The interruption schedule in whole runs of the program, in virtual time.
#include <gtest/gtest.h>

#include "support/fake_program.h"

using namespace lt;
using test::at;

namespace {

// The flags given instead of "no cuts", the period's data and the language.
QByteArray withFlags(const char* flags, const QByteArray& interrupciones = {}, int idioma = 0) {
    return test::with(test::with(test::kSettings, "QueDia=N\n", flags), "CodigoIdioma=0",
                      "CodigoIdioma=" + QByteArray::number(idioma)) +
           "[Interrupciones]\n" + interrupciones;
}

struct Schedule : test::VirtualTimeTest {
    Schedule() { activate = true; }
    void runTo(OleDate when) { run(static_cast<double>(oleToSeconds(when - clock.now()))); }
    // Off line until a tick at `when`.
    void offLineUntil(OleDate when) {
        offline(2);
        clock.setWall(when - oleFromTime(0, 0, 1));
        run(1);
    }
    QString storedFeInt() const { return ini("Interrupciones", "FeInt"); }
    int hours() { return estado().HorasAcumuladas; }
    QString legend() { return form().LbDesdeHasta_Estado.caption(); }
    bool dialog() { return form().Dialogo.window.visible; }
};

}  // namespace

TEST_F(Schedule, DailyAllowanceIsReachedOverTwoSessionsAndCutsAgainWhileItHolds) {
    cutter.probe = &probe;
    probe.setOnline(true);
    start(at(2026, 12, 5, 7, 59, 59),
          withFlags("QueDia=D\nImpDespues=2\nDespuesDe=0\n",
                    "Momento=05/12/2026\nHorasAcum=00:00:00\nDiasAcum=00\n"));
    run(1 + 90 * 60);
    EXPECT_EQ(hours(), 1);
    offline(2);
    ASSERT_EQ(rows(), 1);

    online(25 * 60);
    EXPECT_EQ(cutter.calls, 0);
    EXPECT_FALSE(dialog());
    run(10 * 60);
    EXPECT_EQ(cutter.calls, 1);
    EXPECT_TRUE(dialog());
    EXPECT_EQ(form().Dialogo.LbDialogo.caption(), "It was programmed 02 hours daily.");
    run(2);
    EXPECT_EQ(rows(), 2);

    form().Dialogo.CmAceptar.click();
    online(1);
    EXPECT_EQ(cutter.calls, 2);
    EXPECT_TRUE(dialog());

    // No allowance at all: the first connected tick of a run cuts, on a new day too, and
    // the session closed by it stores the restarted count.
    start(at(2026, 12, 6, 9, 0, 0),
          withFlags("QueDia=D\nImpDespues=0\n",
                    "Momento=05/12/2026\nHorasAcum=02:10:00\nDiasAcum=02\n"));
    online(1);
    EXPECT_EQ(cutter.calls, 3);
    EXPECT_EQ(form().Dialogo.LbDialogo.caption(), "It was programmed 00 hours daily.");
    run(2);
    EXPECT_EQ(ini("Interrupciones", "HorasAcum"), "00:00:00");
    EXPECT_EQ(ini("Interrupciones", "DiasAcum"), "00");
}

TEST_F(Schedule, EveryNewDayOfALongRunRestartsTheDailyPeriodOnce) {
    start(at(2026, 12, 5, 22, 59, 59),
          withFlags("QueDia=D\nImpDespues=99\n",
                    "Momento=05/12/2026\nHorasAcum=03:00:00\nDiasAcum=03\n"));
    // One run, a session across each of three midnights, no cut on any day.
    for (int day = 6; day <= 8; ++day) {
        SCOPED_TRACE(day);
        online(1 + 3599);  // 23:00:00 .. 23:59:59
        EXPECT_GE(hours(), 1);
        run(1);
        EXPECT_EQ(hours(), 0);
        run(3600);
        EXPECT_EQ(hours(), 1);
        EXPECT_EQ(form().TxTiempoAcumulado_Estado.text(), "01:00:00");
        offLineUntil(at(2026, 12, day, 22, 59, 59));
    }
    EXPECT_EQ(cutter.calls, 0);
}

TEST_F(Schedule, AWeekKeepsItsCountsOverARestartAndEndsSevenDaysAfterItsStart) {
    probe.setOnline(true);
    start(at(2006, 12, 28, 9, 59, 59),
          withFlags("QueDia=S\nImpDespues=99\n",
                    "FeInt=01/12/2006\nHorasAcum=05:00:00\nDiasAcum=05\n"));
    EXPECT_EQ(legend(), "From:  01/12/2006   to  08/12/2006");
    run(1);
    EXPECT_EQ(legend(), "From:   28/12/2006   to  04/01/2007");
    EXPECT_EQ(hours(), 0);
    EXPECT_EQ(storedFeInt(), "28/12/2006 10:00:00");
    run(90 * 60);
    offline(2);
    EXPECT_EQ(hours(), 1);
    const QString accumulated = form().TxTiempoAcumulado_Estado.text();
    logic->shutdown();

    clock.setWall(at(2006, 12, 30, 15, 0, 0));
    boot();
    EXPECT_EQ(legend(), "From:  28/12/2006   to  04/01/2007");
    EXPECT_EQ(form().TxTiempoAcumulado_Estado.text(), accumulated);
    EXPECT_EQ(hours(), 1);
    run(1);
    online(31 * 60);
    EXPECT_EQ(hours(), 2);

    offLineUntil(at(2007, 1, 4, 23, 0, 0));
    online(2);
    EXPECT_EQ(hours(), 2);
    EXPECT_EQ(storedFeInt(), "28/12/2006 10:00:00");
    offLineUntil(at(2007, 1, 5, 0, 0, 30));
    online(1);
    EXPECT_EQ(legend(), "From:   05/01/2007   to  12/01/2007");
    EXPECT_EQ(hours(), 0);
}

TEST_F(Schedule, AMonthStartedOnTheThirtyFirstEndsAlikeInTheCheckAndAtStartUp) {
    probe.setOnline(true);
    start(at(2007, 1, 31, 9, 59, 59), withFlags("QueDia=M\nImpDespues=99\n", "FeInt=01/12/2006\n"));
    run(1);
    EXPECT_EQ(legend(), "From:  31/01/2007   to  03/03/2007");
    offline(2);
    logic->shutdown();
    boot();
    EXPECT_EQ(legend(), "From:  31/01/2007   to  03/03/2007");

    offLineUntil(at(2007, 3, 3, 12, 0, 0));
    online(2);
    EXPECT_EQ(legend(), "From:  31/01/2007   to  03/03/2007");
    offLineUntil(at(2007, 3, 4, 12, 0, 0));
    online(1);
    EXPECT_EQ(legend(), "From:  04/03/2007   to  04/04/2007");

    // A period started by accepting new settings is stored at once.
    estado().FeInt = at(2007, 3, 10, 8, 0, 0);
    logic->schedule().TipoDeInterrupcionConexion();
    EXPECT_EQ(legend(), "From:  10/03/2007   to  10/04/2007");
    EXPECT_EQ(storedFeInt(), "10/03/2007 08:00:00");
}

TEST_F(Schedule, AWindowPastMidnightCutsOnBothSidesOfIt) {
    cutter.probe = &probe;
    start(at(2026, 12, 5, 22, 59, 58),
          withFlags(
              "QueDia=D\nDespuesDe=1\nImpDesde=23:00:00\nImpDurante=02:00:00\nImpDespues=99\n"));
    EXPECT_EQ(form().LbTiempoAcumulado_Estado.caption(),
              "It will be interrupted from 23:00:00   to  01:00:00 hs.");
    online(2);  // 22:59:59 and 23:00:00
    EXPECT_EQ(cutter.calls, 0);
    run(1);
    EXPECT_EQ(cutter.calls, 1);
    EXPECT_EQ(form().Dialogo.LbDialogo.caption(),
              "It was programmed from 23:00:00 and during 02:00:00 hours.");

    runTo(at(2026, 12, 6, 0, 29, 59));
    online(1);
    EXPECT_EQ(cutter.calls, 2);
    runTo(at(2026, 12, 6, 0, 59, 59));
    online(60);  // 01:00:00 .. 01:00:59
    EXPECT_EQ(cutter.calls, 2);
    EXPECT_TRUE(estado().Conectado);
}

TEST_F(Schedule, TheMessageSpeaksTheLanguageAndEnglishForOtherCodes) {
    // The expiry, the weekly, daily and window texts, and the button.
    const char* const english[] = {"The time programmed to finalized.",
                                   "It was programmed 00 hours From:   28/12/2006   to  04/01/2007",
                                   "It was programmed 00 hours daily.",
                                   "It was programmed from 23:00:00 and during 02:00:00 hours.",
                                   "OK"};
    const char* const spanish[] = {
        "El tiempo programado a finalizado.",
        "Se programó 00 horas Desde: 28/12/2006 hasta 04/01/2007", "Se programó 00 horas diarias.",
        "Se programó desde las 23:00:00 y durante 02:00:00 horas.", "Aceptar"};
    cutter.probe = &probe;
    for (const int code : {1, 2}) {
        SCOPED_TRACE(code);
        const char* const* c = code == 1 ? spanish : english;
        start(at(2006, 12, 28, 9, 59, 59),
              withFlags("QueDia=S\nImpDespues=0\nImpDesde=23:00:00\nImpDurante=02:00:00\n",
                        "FeInt=01/12/2006\n", code));
        online(1);
        const DialogoForm& d = form().Dialogo;
        EXPECT_TRUE(d.window.visible);
        EXPECT_EQ(d.LbExpired.caption(), QString::fromUtf8(c[0]));
        EXPECT_EQ(d.LbDialogo.caption(), QString::fromUtf8(c[1]));
        EXPECT_EQ(d.CmAceptar.caption(), c[4]);
        form().OpPorDia_Configuracion.setValue(true);
        logic->schedule().MensajeDesconexion();
        EXPECT_EQ(d.LbDialogo.caption(), QString::fromUtf8(c[2]));
        form().CkDespuesDeLa_Configuracion.setValue(1);
        logic->schedule().MensajeDesconexion();
        EXPECT_EQ(d.LbDialogo.caption(), QString::fromUtf8(c[3]));
    }
}

TEST_F(Schedule, ACutThatCannotCutIsAnnouncedOncePerPeriod) {
    cutter.ends = 0;
    probe.setOnline(true);
    start(at(2026, 12, 5, 23, 59, 49),
          withFlags("QueDia=D\nImpDespues=0\n", "Momento=05/12/2026\n"));
    run(1);
    EXPECT_TRUE(dialog());
    form().Dialogo.CmAceptar.click();
    run(9);  // 23:59:59
    EXPECT_EQ(cutter.calls, 10);
    EXPECT_FALSE(dialog());
    EXPECT_TRUE(form().LbAvisoCorte_Estado.visible());
    run(1);  // a new day, a new period
    EXPECT_TRUE(dialog());
    EXPECT_TRUE(estado().Conectado);
    EXPECT_EQ(rows(), 0);
}
