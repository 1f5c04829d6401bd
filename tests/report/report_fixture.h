#pragma once
// A history database in a temporary folder and the command line run against it.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QTemporaryDir>
#include <QTextStream>

#include "history/history_store.h"
#include "report/report_command.h"
#include "support/test_support.h"

namespace lt::test {

struct CommandRun {
    int status = -1;
    QString out, err;
};

inline CommandRun runCommand(const QStringList& args, const QString& defaultDatabase = {}) {
    CommandRun run;
    QTextStream out(&run.out), err(&run.err);
    run.status = runReportCommand(
        args, [&] { return defaultDatabase; }, out, err);
    return run;
}

inline SessionRecord record(const char* date, const char* start, const char* end,
                            const char* duration, const char* cost, const char* received = "",
                            const char* sent = "") {
    return {date, start, end, duration, cost, "000.00", received, sent};
}

// Stores the records as the program does, ids counting from 1.
inline void storeHistory(const QString& path, const std::vector<SessionRecord>& records) {
    HistoryStore store(path);
    ASSERT_TRUE(store.open()) << store.error().toStdString();
    std::vector<StoredSession> sessions;
    for (const SessionRecord& r : records) sessions.push_back({sessions.size() + 1, r});
    ASSERT_TRUE(store.store(sessions)) << store.error().toStdString();
}

inline void execute(sqlite3* db, const char* sql) {
    char* message = nullptr;
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &message), SQLITE_OK) << message;
}

}  // namespace lt::test
