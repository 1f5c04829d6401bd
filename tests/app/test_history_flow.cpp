// Sessions through the history: failing saves, a crash and a restart lose nothing.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>

#include "support/fake_program.h"

using namespace lt;
using test::at;

namespace {

struct HistoryFlow : test::VirtualTimeTest {
    QString db() const { return dir.filePath(QStringLiteral("LinkTally.db")); }
};

}  // namespace

TEST_F(HistoryFlow, FailedSavesAndACrashLoseNoSessionAndAreToldOncePerRunOfFailures) {
    start(at(2026, 12, 5, 9, 59, 59));
    EXPECT_FALSE(form().STabTiempos_Estado.tabEnabled(3));  // no session yet
    logic->historyStore().setBusyTimeout(20);               // the lock below outlasts any wait
    // A minute on line; the session ends while another program holds the database, or not.
    const auto session = [&](bool locked) {
        online(60);
        sqlite3* other = nullptr;
        if (locked) {
            sqlite3_open(db().toUtf8().constData(), &other);
            sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        }
        offline(3);
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
    };
    session(false);
    session(true);
    ASSERT_EQ(messages.shown.size(), 1u);  // told, and why
    EXPECT_TRUE(messages.shown[0].text.contains(QStringLiteral("locked")));
    session(false);
    EXPECT_EQ(told("The sessions that could not be saved earlier are now in the history"), 1);
    session(true);
    EXPECT_EQ(told("The session could not be saved"), 2);
    std::vector<QStringList> shown;
    for (int r = 0; r < rows(); ++r) shown.push_back(row(r));

    // A fifth session runs three minutes, then the program dies without closing it.
    online(185);
    probe.setOnline(false);
    clock.advanceSeconds(60);
    boot();
    // The restart stores the waiting session and the one the crash left, in order.
    ASSERT_EQ(rows(), 5);
    for (int r = 0; r < 4; ++r) EXPECT_EQ(row(r), shown[static_cast<size_t>(r)]) << r;
    EXPECT_EQ(row(4)[3], QStringLiteral("00:03:01"));  // the last checkpoint, a cost tick
    EXPECT_EQ(test::storedSessions(db()).size(), 5u);
    EXPECT_TRUE(form().STabTiempos_Estado.tabEnabled(3));

    // A third run finds the same five, no more.
    boot();
    EXPECT_EQ(rows(), 5);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(HistoryFlow, ShuttingDownOnLineLeavesNothingToRecoverTwice) {
    probe.setOnline(true);
    start(at(2026, 12, 5, 9, 59, 59));
    run(1 + 600 + 30);  // on line 10:00:00 .. 10:10:30
    logic->shutdown();
    logic->shutdown();  // logout, then SIGTERM
    ASSERT_EQ(rows(), 1);
    const QStringList stored = row(0);
    EXPECT_EQ(stored[3], QStringLiteral("00:10:30"));  // not the checkpoint a minute before

    probe.setOnline(false);
    clock.advanceSeconds(60);
    boot();
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(row(0), stored);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(HistoryFlow, ACrashLosesNoMoreThanAMinuteOfTheSessionNorAnythingItCounted) {
    // An allowance of five hours a day, the cost worked out every five minutes.
    probe.setOnline(true);
    start(at(2026, 12, 5, 9, 59, 59),
          test::with(test::with(test::kSettings, "QueDia=N", "QueDia=D\nImpDespues=5"),
                     "TimerCosto=1", "TimerCosto=5"));
    run(1 + 70 * 60 + 30);  // on line 10:00:00 .. 11:10:30, then killed
    const QString before = ini("Interrupciones", "HorasAcum");
    probe.setOnline(false);
    clock.advanceSeconds(600);
    boot();
    ASSERT_EQ(rows(), 1);
    const QStringList r = row(0);
    EXPECT_EQ(r[1], QStringLiteral("10:00:00"));
    EXPECT_EQ(r[2], QStringLiteral("11:10:01"));  // the last note, at a cost tick
    // Priced at that note, not at the last pricing up to five minutes before it.
    EXPECT_EQ(r[4], QStringLiteral("002.33"));
    EXPECT_EQ(r[5], QStringLiteral("002.33"));
    EXPECT_EQ(told("A session that was running when LinkTally stopped was recovered."), 1);
    // The period counts the recovered hour: no free allowance from a crash.
    EXPECT_NE(before, ini("Interrupciones", "HorasAcum"));
    EXPECT_EQ(ini("Interrupciones", "HorasAcum"), QStringLiteral("01:10:01"));
    EXPECT_EQ(ini("Interrupciones", "DiasAcum"), QStringLiteral("01"));
    EXPECT_EQ(ini("Costos", "CostoAcumuladoPorSesion"), QStringLiteral("002.33"));
    EXPECT_EQ(ini("Interrupciones", "Momento"), QStringLiteral("05/12/2026"));
    EXPECT_EQ(form().TxCOCostoAcumuladoDesde.text(), QStringLiteral("002.33"));

    // Nothing is stored twice by the next start.
    boot();
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(test::storedSessions(db()).size(), 1u);
}

TEST_F(HistoryFlow, TheFilesOfAnEarlierVersionAreTakenOnceAndADamagedHistoryIsSetAside) {
    test::writeFile(db() + QStringLiteral(".pending"),
                    "01/12/2026\t09:00:00\t09:10:00\t00:10:00\t000.33\t000.33\n");
    test::writeFile(db() + QStringLiteral(".running"),
                    "02/12/2026\t09:00:00\t09:05:00\t00:05:00\t000.17\t000.50\n");
    test::writeFile(db(), QByteArray("not a database").repeated(100));
    start(at(2026, 12, 5, 9, 59, 59));
    ASSERT_EQ(rows(), 2);
    EXPECT_EQ(row(0)[0], QStringLiteral("01/12/2026"));
    EXPECT_EQ(row(1)[0], QStringLiteral("02/12/2026"));
    EXPECT_FALSE(QFile::exists(db() + QStringLiteral(".pending")));
    EXPECT_FALSE(QFile::exists(db() + QStringLiteral(".running")));
    EXPECT_EQ(told("The history file was damaged. It was kept as "), 1);
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("LinkTally.db.damaged-*")}).size(), 1);
    boot();
    EXPECT_EQ(rows(), 2);
    EXPECT_TRUE(messages.shown.empty());
}
