// The interruption schedule in whole runs of the program, in virtual time.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <optional>

#include "app/configuracion.h"
#include "core/clock.h"
#include "core/virtual_loop.h"
#include "settings/ini_file.h"
#include "support/fake_program.h"

using namespace lt;

namespace {

OleDate at(int y, int mo, int d, int h, int mi, int s) {
    return oleFromParts(y, mo, d) + oleFromTime(h, mi, s);
}

QByteArray ini(const QByteArray& flags, const QByteArray& interrupciones = {}, int idioma = 0) {
    return "[tiempos y costos semanales]\nDesdeSemanaHH=08\nDesdeSemanaMM=00\nDesdeSemanaSS=00\n"
           "HastaSemanaHH=20\nHastaSemanaMM=00\nHastaSemanaSS=00\nCostoDesdeHasta=2\n"
           "CostoResto=1\n[Intervalos timers]\nTimerConexion=1\nTimerCosto=1\n[Idiomas]\n"
           "CodigoIdioma=" +
           QByteArray::number(idioma) +
           "\n[Costos]\nAjusteCosto=S\nCostoIVA=0\nCostoAcumuladoPorSesion=000.00\n"
           "[Flags]\nServerTime=0\n" +
           flags + "[Interrupciones]\n" + interrupciones;
}

struct Schedule : ::testing::Test {
    void start(OleDate when, const QByteArray& settings) {
        clock.setWall(when);
        test::writeFile(path(), settings);
        boot();
    }
    // A new run of the program on the settings file the last one left.
    void boot() {
        loop.reset();
        logic.reset();
        logic = std::make_unique<Configuracion>(clock, messages, AppFiles{dir.path(), dir.path()},
                                                probe, cutter);
        loop.emplace(clock);
        for (TimerModel* t : logic->form().timers()) loop->add(*t);
        logic->Form_Load();
        logic->Form_Activate();
    }
    void run(long long seconds) { loop->runForSeconds(static_cast<double>(seconds)); }
    void runOnLine(long long seconds) {
        probe.setOnline(true);
        run(seconds);
    }
    void runTo(OleDate when) { run(oleToSeconds(when - clock.now())); }
    // Off line until a tick at `when`.
    void offLineUntil(OleDate when) {
        probe.setOnline(false);
        run(2);
        clock.setWall(when - oleFromTime(0, 0, 1));
        run(1);
    }
    QString path() const { return dir.filePath(QStringLiteral("Linktally.ini")); }
    QString storedFeInt() const {
        return LeerValorINI(path(), QStringLiteral("Interrupciones"), QStringLiteral("FeInt"));
    }
    MainForm& form() { return logic->form(); }
    int hours() { return logic->estado().HorasAcumuladas; }
    QString legend() { return form().LbDesdeHasta_Estado.caption(); }
    int rows() { return form().MSFlexGrid_Estado.rowCount(); }
    bool dialog() { return form().Dialogo.window.visible; }

    QTemporaryDir dir;
    FakeClock clock;
    test::RecordingMessageBox messages;
    test::FakeProbe probe;
    test::FakeCutter cutter;
    std::unique_ptr<Configuracion> logic;
    std::optional<VirtualLoop> loop;
};

}  // namespace

TEST_F(Schedule, DailyAllowanceIsReachedOverTwoSessionsAndCutsAgainWhileItHolds) {
    cutter.probe = &probe;
    probe.setOnline(true);
    start(at(2026, 12, 5, 7, 59, 59), ini("QueDia=D\nImpDespues=2\nDespuesDe=0\n",
                                          "Momento=05/12/2026\nHorasAcum=00:00:00\nDiasAcum=00\n"));
    run(1 + 90 * 60);
    EXPECT_EQ(hours(), 1);
    probe.setOnline(false);
    run(2);
    ASSERT_EQ(rows(), 1);

    runOnLine(25 * 60);
    EXPECT_EQ(cutter.calls, 0);
    EXPECT_FALSE(dialog());
    run(10 * 60);
    EXPECT_EQ(cutter.calls, 1);
    EXPECT_TRUE(dialog());
    EXPECT_EQ(form().Dialogo.LbDialogo.caption(), "It was programmed 02 hours daily.");
    run(2);
    EXPECT_EQ(rows(), 2);

    form().Dialogo.CmAceptar.click();
    runOnLine(1);
    EXPECT_EQ(cutter.calls, 2);
    EXPECT_TRUE(dialog());

    // No allowance at all: the first connected tick of a run cuts, on a new day too, and
    // the session closed by it stores the restarted count.
    start(at(2026, 12, 6, 9, 0, 0),
          ini("QueDia=D\nImpDespues=0\n", "Momento=05/12/2026\nHorasAcum=02:10:00\nDiasAcum=02\n"));
    runOnLine(1);
    EXPECT_EQ(cutter.calls, 3);
    EXPECT_EQ(form().Dialogo.LbDialogo.caption(), "It was programmed 00 hours daily.");
    run(2);
    EXPECT_EQ(LeerValorINI(path(), "Interrupciones", "HorasAcum"), "00:00:00");
    EXPECT_EQ(LeerValorINI(path(), "Interrupciones", "DiasAcum"), "00");
}

TEST_F(Schedule, EveryNewDayOfALongRunRestartsTheDailyPeriodOnce) {
    start(
        at(2026, 12, 5, 22, 59, 59),
        ini("QueDia=D\nImpDespues=99\n", "Momento=05/12/2026\nHorasAcum=03:00:00\nDiasAcum=03\n"));
    // One run, a session across each of three midnights, no cut on any day.
    for (int day = 6; day <= 8; ++day) {
        SCOPED_TRACE(day);
        runOnLine(1 + 3599);  // 23:00:00 .. 23:59:59
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

TEST_F(Schedule, AWeekEndsSevenDaysAfterItsStartAndThePeriodRestartsAfterIt) {
    probe.setOnline(true);
    start(at(2006, 12, 28, 9, 59, 59),
          ini("QueDia=S\nImpDespues=99\n", "FeInt=01/12/2006\nHorasAcum=05:00:00\nDiasAcum=05\n"));
    EXPECT_EQ(legend(), "From:  01/12/2006   to  08/12/2006");
    run(1);
    EXPECT_EQ(legend(), "From:   28/12/2006   to  04/01/2007");
    EXPECT_EQ(hours(), 0);
    EXPECT_EQ(storedFeInt(), "28/12/2006 10:00:00");
    run(90 * 60);
    EXPECT_EQ(hours(), 1);

    offLineUntil(at(2007, 1, 4, 23, 0, 0));
    runOnLine(2);
    EXPECT_EQ(hours(), 1);
    EXPECT_EQ(storedFeInt(), "28/12/2006 10:00:00");

    offLineUntil(at(2007, 1, 5, 0, 0, 30));
    runOnLine(1);
    EXPECT_EQ(legend(), "From:   05/01/2007   to  12/01/2007");
    EXPECT_EQ(hours(), 0);
}

TEST_F(Schedule, AMonthStartedOnTheThirtyFirstEndsAlikeInTheCheckAndAtStartUp) {
    probe.setOnline(true);
    start(at(2007, 1, 31, 9, 59, 59), ini("QueDia=M\nImpDespues=99\n", "FeInt=01/12/2006\n"));
    run(1);
    EXPECT_EQ(legend(), "From:  31/01/2007   to  03/03/2007");
    probe.setOnline(false);
    run(2);
    logic->shutdown();
    boot();
    EXPECT_EQ(legend(), "From:  31/01/2007   to  03/03/2007");

    offLineUntil(at(2007, 3, 3, 12, 0, 0));
    runOnLine(2);
    EXPECT_EQ(legend(), "From:  31/01/2007   to  03/03/2007");
    offLineUntil(at(2007, 3, 4, 12, 0, 0));
    runOnLine(1);
    EXPECT_EQ(legend(), "From:  04/03/2007   to  04/04/2007");

    // A period started by accepting new settings is stored at once.
    logic->estado().FeInt = at(2007, 3, 10, 8, 0, 0);
    logic->schedule().TipoDeInterrupcionConexion();
    EXPECT_EQ(legend(), "From:  10/03/2007   to  10/04/2007");
    EXPECT_EQ(storedFeInt(), "10/03/2007 08:00:00");
}

TEST_F(Schedule, RestartInTheMiddleOfAWeekKeepsTheLegendAndTheCounts) {
    probe.setOnline(true);
    start(at(2006, 12, 28, 9, 59, 59), ini("QueDia=S\nImpDespues=99\n", "FeInt=01/12/2006\n"));
    run(1 + 90 * 60);
    probe.setOnline(false);
    run(2);
    const QString accumulated = form().TxTiempoAcumulado_Estado.text();
    EXPECT_EQ(hours(), 1);
    logic->shutdown();

    clock.setWall(at(2006, 12, 30, 15, 0, 0));
    boot();
    EXPECT_EQ(legend(), "From:  28/12/2006   to  04/01/2007");
    EXPECT_EQ(form().TxTiempoAcumulado_Estado.text(), accumulated);
    EXPECT_EQ(hours(), 1);
    run(1);
    runOnLine(31 * 60);
    EXPECT_EQ(hours(), 2);
    EXPECT_EQ(storedFeInt(), "28/12/2006 10:00:00");
}

TEST_F(Schedule, UnreadablePeriodDataStartsANewPeriod) {
    probe.setOnline(true);
    // No session has ended yet, so the stored count belongs to no known day.
    start(at(2026, 12, 5, 9, 59, 59),
          ini("QueDia=D\nImpDespues=99\n", "HorasAcum=05:00:00\nDiasAcum=05\n"));
    EXPECT_EQ(hours(), 5);
    run(1);
    EXPECT_EQ(hours(), 0);

    start(at(2006, 12, 28, 9, 59, 59),
          ini("QueDia=S\nImpDespues=99\n", "FeInt=27/12/2006\nHorasAcum=05:00:00\nDiasAcum=05\n"));
    form().LbDesdeHasta_Estado.setCaption("Accumulate time daily");
    run(1);
    EXPECT_EQ(hours(), 0);
    EXPECT_EQ(legend(), "From:   28/12/2006   to  04/01/2007");
}

TEST_F(Schedule, AWindowPastMidnightCutsOnBothSidesOfIt) {
    cutter.probe = &probe;
    start(at(2026, 12, 5, 22, 59, 58),
          ini("QueDia=D\nDespuesDe=1\nImpDesde=23:00:00\nImpDurante=02:00:00\nImpDespues=99\n"));
    EXPECT_EQ(form().LbTiempoAcumulado_Estado.caption(),
              "It will be interrupted from 23:00:00   to  01:00:00 hs.");
    runOnLine(2);  // 22:59:59 and 23:00:00
    EXPECT_EQ(cutter.calls, 0);
    run(1);
    EXPECT_EQ(cutter.calls, 1);
    EXPECT_EQ(form().Dialogo.LbDialogo.caption(),
              "It was programmed from 23:00:00 and during 02:00:00 hours.");

    runTo(at(2026, 12, 6, 0, 29, 59));
    runOnLine(1);
    EXPECT_EQ(cutter.calls, 2);
    runTo(at(2026, 12, 6, 0, 59, 59));
    runOnLine(60);  // 01:00:00 .. 01:00:59
    EXPECT_EQ(cutter.calls, 2);
    EXPECT_TRUE(logic->estado().Conectado);
}

TEST_F(Schedule, NeverMeansNoCutInEitherMode) {
    probe.setOnline(true);
    start(at(2026, 12, 5, 23, 30, 0),
          ini("QueDia=N\nDespuesDe=1\nImpDesde=23:00:00\nImpDurante=02:00:00\nImpDespues=0\n"));
    run(30);
    start(at(2026, 12, 5, 23, 30, 0), ini("QueDia=N\nDespuesDe=0\nImpDespues=0\n"));
    run(30);
    EXPECT_EQ(cutter.calls, 0);
    EXPECT_FALSE(dialog());
}

TEST_F(Schedule, TheMessageSpeaksTheLanguageAndEnglishForOtherCodes) {
    struct Case {
        int code;
        const char *expired, *week, *daily, *window, *ok;
    };
    const Case cases[] = {
        {0, "The time programmed to finalized.",
         "It was programmed 00 hours From:   28/12/2006   to  04/01/2007",
         "It was programmed 00 hours daily.",
         "It was programmed from 23:00:00 and during 02:00:00 hours.", "OK"},
        {1, "El tiempo programado a finalizado.",
         "Se programó 00 horas Desde: 28/12/2006 hasta 04/01/2007", "Se programó 00 horas diarias.",
         "Se programó desde las 23:00:00 y durante 02:00:00 horas.", "Aceptar"},
        {2, "The time programmed to finalized.",
         "It was programmed 00 hours From:   28/12/2006   to  04/01/2007",
         "It was programmed 00 hours daily.",
         "It was programmed from 23:00:00 and during 02:00:00 hours.", "OK"},
    };
    cutter.probe = &probe;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        start(at(2006, 12, 28, 9, 59, 59),
              ini("QueDia=S\nImpDespues=0\nImpDesde=23:00:00\nImpDurante=02:00:00\n",
                  "FeInt=01/12/2006\n", c.code));
        runOnLine(1);
        const DialogoForm& d = form().Dialogo;
        EXPECT_TRUE(d.window.visible);
        EXPECT_EQ(d.LbExpired.caption(), QString::fromUtf8(c.expired));
        EXPECT_EQ(d.LbDialogo.caption(), QString::fromUtf8(c.week));
        EXPECT_EQ(d.CmAceptar.caption(), c.ok);
        // The line comes back within the week: no new period, so FeInt is not rewritten.
        run(2);
        runOnLine(3);
        EXPECT_EQ(storedFeInt(), "28/12/2006 10:00:00");

        form().OpPorDia_Configuracion.setValue(true);
        logic->schedule().MensajeDesconexion();
        EXPECT_EQ(d.LbDialogo.caption(), QString::fromUtf8(c.daily));
        form().CkDespuesDeLa_Configuracion.setValue(1);
        logic->schedule().MensajeDesconexion();
        EXPECT_EQ(d.LbDialogo.caption(), QString::fromUtf8(c.window));
    }
}

TEST_F(Schedule, ACutThatCannotCutIsAnnouncedOncePerPeriod) {
    cutter.ends = 0;
    probe.setOnline(true);
    start(at(2026, 12, 5, 23, 59, 49), ini("QueDia=D\nImpDespues=0\n", "Momento=05/12/2026\n"));
    run(1);
    EXPECT_TRUE(dialog());
    form().Dialogo.CmAceptar.click();
    run(9);  // 23:59:59
    EXPECT_EQ(cutter.calls, 10);
    EXPECT_FALSE(dialog());
    EXPECT_TRUE(form().LbAvisoCorte_Estado.visible());
    run(1);  // a new day, a new period
    EXPECT_TRUE(dialog());
    EXPECT_TRUE(logic->estado().Conectado);
    EXPECT_EQ(rows(), 0);
}
