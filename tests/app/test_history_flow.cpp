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

TEST_F(HistoryFlow, ASessionACrashLeftRunningIsKeptUntilItIsStoredSomewhere) {
    probe.setOnline(true);
    start(at(2026, 12, 5, 9, 59, 59));
    run(1 + 125);
    const QString running = db() + QStringLiteral(".running");
    ASSERT_TRUE(QFile::exists(running));

    // The next start can neither store the session nor put it aside for later.
    probe.setOnline(false);
    QFile::rename(db(), db() + QStringLiteral(".away"));
    QDir().mkdir(db());
    QDir().mkdir(db() + QStringLiteral(".pending"));
    boot();
    crash();
    EXPECT_TRUE(QFile::exists(running));

    QDir().rmdir(db());
    QDir().rmdir(db() + QStringLiteral(".pending"));
    QFile::rename(db() + QStringLiteral(".away"), db());
    boot();
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(row(0)[1], QStringLiteral("10:00:00"));
    EXPECT_FALSE(QFile::exists(running));
}
