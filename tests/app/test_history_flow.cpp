// Sessions through the history: a failing save, a crash and a restart lose nothing.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/configuracion.h"
#include "core/clock.h"
#include "core/virtual_loop.h"
#include "support/fake_program.h"

using namespace lt;

namespace {

const QByteArray kSettings =
    "[tiempos y costos semanales]\nDesdeSemanaHH=08\nDesdeSemanaMM=00\nDesdeSemanaSS=00\n"
    "HastaSemanaHH=20\nHastaSemanaMM=00\nHastaSemanaSS=00\nCostoDesdeHasta=6\nCostoResto=1\n"
    "[Intervalos timers]\nTimerConexion=1\nTimerCosto=1\n[Idiomas]\nCodigoIdioma=0\n"
    "[Costos]\nAjusteCosto=S\nCostoIVA=0\nCostoAcumuladoPorSesion=000.00\n[Flags]\nQueDia=N\n";

// One run of the program on the same files.
struct ProgramRun {
    ProgramRun(const QString& dir, FakeClock& clock, test::FakeProbe& probe)
        : loop(clock), logic(clock, messages, AppFiles{dir, dir}, probe, cutter) {
        for (TimerModel* t : logic.form().timers()) loop.add(*t);
        logic.Form_Load();
    }
    int rows() { return logic.form().MSFlexGrid_Estado.rowCount(); }
    QStringList row(int r) { return logic.form().MSFlexGrid_Estado.row(r); }

    VirtualLoop loop;
    test::RecordingMessageBox messages;
    test::FakeCutter cutter;
    Configuracion logic;
};

// The settings file of a new run, a clock at 09:59:59 and a line that is down.
struct HistoryFlow : ::testing::Test {
    HistoryFlow() { test::writeFile(dir.filePath(QStringLiteral("Linktally.ini")), kSettings); }
    std::unique_ptr<ProgramRun> startRun() {
        return std::make_unique<ProgramRun>(dir.path(), clock, probe);
    }
    QTemporaryDir dir;
    FakeClock clock{oleFromParts(2026, 12, 5) + oleFromTime(9, 59, 59)};
    test::FakeProbe probe;
};

}  // namespace

TEST_F(HistoryFlow, AFailedSaveAndACrashLoseNoSessionAcrossARestart) {
    auto run = startRun();
    EXPECT_FALSE(run->logic.form().STabTiempos_Estado.tabEnabled(3));  // no session yet

    // Session 1: 10:00:00 to 10:10:00, stored.
    probe.setOnline(true);
    run->loop.runForSeconds(1 + 600);
    probe.setOnline(false);
    run->loop.runForSeconds(5);
    ASSERT_EQ(run->rows(), 1);

    // Session 2 ends while another program holds the database: the save fails.
    probe.setOnline(true);
    run->loop.runForSeconds(300);
    run->logic.historyStore().setBusyTimeout(50);  // the lock below outlasts any wait
    sqlite3* other = nullptr;
    ASSERT_EQ(
        sqlite3_open(dir.filePath(QStringLiteral("LinkTally.db")).toUtf8().constData(), &other),
        SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    probe.setOnline(false);
    run->loop.runForSeconds(5);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    ASSERT_EQ(run->messages.shown.size(), 1u);  // told once, and why
    EXPECT_TRUE(run->messages.shown[0].text.contains(QStringLiteral("locked")));
    ASSERT_EQ(run->rows(), 2);  // shown all the same
    const QStringList second = run->row(1);

    // Session 3 runs three minutes, then the program dies without closing it.
    probe.setOnline(true);
    run->loop.runForSeconds(185);
    run.reset();

    // The restart stores the waiting session and the one the crash left, in order.
    probe.setOnline(false);
    clock.advanceSeconds(60);
    run = startRun();
    ASSERT_EQ(run->rows(), 3);
    EXPECT_EQ(run->row(0),
              (QStringList{"05/12/2026", "10:00:00", "10:10:00", "00:10:00", "001.00", "001.00"}));
    EXPECT_EQ(run->row(1), second);
    const QStringList third = run->row(2);
    EXPECT_EQ(third[1], QStringLiteral("10:15:10"));
    EXPECT_EQ(third[2], QStringLiteral("10:18:11"));  // the last checkpoint, a cost tick
    EXPECT_EQ(third[3], QStringLiteral("00:03:01"));
    EXPECT_TRUE(run->logic.form().STabTiempos_Estado.tabEnabled(3));
    EXPECT_EQ(run->logic.estado().CantidadSesiones, 3);

    // A third run finds the same three, no more.
    run.reset();
    run = startRun();
    EXPECT_EQ(run->rows(), 3);
    EXPECT_TRUE(run->messages.shown.empty());
}

TEST_F(HistoryFlow, ShuttingDownOnLineStoresTheRunningSessionOnce) {
    probe.setOnline(true);
    auto run = startRun();
    run->loop.runForSeconds(1 + 600 + 30);  // on line 10:00:00 .. 10:10:30
    run->logic.shutdown();
    ASSERT_EQ(run->rows(), 1);
    // Ended at the shutdown, not at the last checkpoint a minute before.
    const QStringList stored = run->row(0);
    EXPECT_EQ(stored[2], QStringLiteral("10:10:30"));
    EXPECT_EQ(stored[3], QStringLiteral("00:10:30"));
    EXPECT_EQ(stored[4], QStringLiteral("001.05"));
    // A second request (logout, then SIGTERM) stores nothing more.
    run->logic.shutdown();
    EXPECT_EQ(run->rows(), 1);
    run.reset();

    // Nothing is left for the next start to recover twice.
    probe.setOnline(false);
    clock.advanceSeconds(60);
    run = startRun();
    ASSERT_EQ(run->rows(), 1);
    EXPECT_EQ(run->row(0), stored);
    EXPECT_TRUE(run->messages.shown.empty());
}

TEST_F(HistoryFlow, ClearingEmptiesTheHistoryAndRestartsTheAccumulatedCost) {
    probe.setOnline(true);
    ProgramRun run(dir.path(), clock, probe);
    run.loop.runForSeconds(1 + 600);
    probe.setOnline(false);
    run.loop.runForSeconds(2);
    MainForm& f = run.logic.form();
    ASSERT_EQ(f.TxCOCostoAcumuladoDesde.text(), QStringLiteral("001.00"));

    run.logic.estado().CodigoIdioma = 1;
    run.logic.history().CdLimpiarBase_Configuracion_Click();
    EXPECT_EQ(run.rows(), 0);
    EXPECT_EQ(f.TxCOCostoAcumuladoDesde.text(), QStringLiteral("000.00"));
    EXPECT_EQ(f.LbCOCostoAcumulado_Estado.caption(),
              QStringLiteral("Costo acumulado desde el 05/12/2026:"));
    EXPECT_FALSE(f.STabTiempos_Estado.tabEnabled(3));
    ProgramRun again(dir.path(), clock, probe);
    EXPECT_EQ(again.rows(), 0);
    // Kept with its date; the stored language (English) rewrites its words.
    EXPECT_EQ(again.logic.form().LbCOCostoAcumulado_Estado.caption(),
              QStringLiteral("Cost add from 05/12/2026:"));
}

TEST_F(HistoryFlow, FailuresAreToldOncePerRunOfFailuresAndWhatWaitedIsStoredInOrder) {
    auto run = startRun();
    run->logic.historyStore().setBusyTimeout(20);
    const QString db = dir.filePath(QStringLiteral("LinkTally.db"));
    auto session = [&](bool locked) {
        probe.setOnline(true);
        run->loop.runForSeconds(60);
        sqlite3* other = nullptr;
        if (locked) {
            sqlite3_open(db.toUtf8().constData(), &other);
            sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        }
        probe.setOnline(false);
        run->loop.runForSeconds(3);
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
    };
    auto told = [&run](const char* start) {
        int n = 0;
        for (const auto& m : run->messages.shown) n += m.text.startsWith(QLatin1String(start));
        return n;
    };
    session(false);
    session(true);
    session(false);
    EXPECT_EQ(told("The session could not be saved"), 1);
    EXPECT_EQ(told("The sessions that could not be saved earlier are now in the history"), 1);
    session(true);
    EXPECT_EQ(told("The session could not be saved"), 2);
    session(false);
    const auto rows = test::storedSessions(db);
    ASSERT_EQ(rows.size(), 5u);
    for (size_t i = 1; i < rows.size(); ++i)
        EXPECT_LT(rows[i - 1][1], rows[i][1]) << "stored out of order at " << i;
}

TEST_F(HistoryFlow, ASessionACrashLeftRunningIsKeptUntilItIsStoredSomewhere) {
    probe.setOnline(true);
    auto run = startRun();
    run->loop.runForSeconds(1 + 125);
    run.reset();  // the program dies with its session open
    const QString db = dir.filePath(QStringLiteral("LinkTally.db"));
    ASSERT_TRUE(QFile::exists(db + QStringLiteral(".running")));

    // The next start can neither store the session nor put it aside for later.
    probe.setOnline(false);
    QFile::rename(db, db + QStringLiteral(".away"));
    QDir().mkdir(db);
    QDir().mkdir(db + QStringLiteral(".pending"));
    run = startRun();
    run.reset();
    EXPECT_TRUE(QFile::exists(db + QStringLiteral(".running")));

    QDir().rmdir(db);
    QDir().rmdir(db + QStringLiteral(".pending"));
    QFile::rename(db + QStringLiteral(".away"), db);
    run = startRun();
    ASSERT_EQ(run->rows(), 1);
    EXPECT_EQ(run->row(0)[1], QStringLiteral("10:00:00"));
    EXPECT_FALSE(QFile::exists(db + QStringLiteral(".running")));
}
