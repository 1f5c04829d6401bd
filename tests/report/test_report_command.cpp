#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "report/report_fixture.h"
#include "report/report_output.h"

using namespace lt;
using namespace lt::test;

namespace {

// Across a year end: a session past midnight stays on its start day; a Monday opens a
// week; one session has no byte counts; one row has a date nobody can read.
const std::vector<SessionRecord> kHistory = {
    record("30/12/2025", "23:50:00", "00:20:00", "00:30:00", "000.50", "1500000", "20000"),
    record("31/12/2025", "10:00:00", "12:00:00", "02:00:00", "002.00"),
    record("01/01/2026", "08:00:00", "09:15:30", "01:15:30", "001.25", "3000000000", "1000"),
    record("32/01/2026", "08:00:00", "09:00:00", "01:00:00", "009.00", "9", "9"),
    record("05/01/2026", "20:00:00", "23:00:00", "03:00:00", "003.10", "500", "700"),
};

struct ReportCommandTest : ::testing::Test {
    QTemporaryDir dir;
    QString db = dir.filePath(QStringLiteral("LinkTally.db"));
    void SetUp() override { storeHistory(db, kHistory); }
    CommandRun report(QStringList args) {
        args << QStringLiteral("--database") << db;
        return runCommand(args);
    }
};

TEST_F(ReportCommandTest, TableAlignsTheMonthsAndEndsWithTheTotal) {
    const CommandRun run = report({"--report", "month"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, QString());
    EXPECT_EQ(run.out,
              "Month    Sessions      Time    Cost  Received     Sent\n"
              "12/2025         2  02:30:00  002.50    1.5 MB  20.0 kB\n"
              "01/2026         2  04:15:30  004.35    3.0 GB   1.7 kB\n"
              "Total           4  06:45:30  006.85    3.0 GB  21.7 kB\n");

    // Sessions show their end, and a dash where no bytes were counted.
    const QStringList lines = report({"--report=sessions"}).out.split(u'\n');
    ASSERT_EQ(lines.size(), 7);  // header, four sessions, total, and the final newline
    EXPECT_EQ(lines[0], "Start                     End      Time    Cost  Received     Sent");
    EXPECT_EQ(lines[2], "31/12/2025 10:00:00  12:00:00  02:00:00  002.00         -        -");
    EXPECT_EQ(lines[5], "Total                          06:45:30  006.85    3.0 GB  21.7 kB");
}

TEST_F(ReportCommandTest, CsvHoldsPlainNumbersAndTheWeekOfEachStartDay) {
    const CommandRun weeks = report({"--report", "week", "--format", "csv"});
    EXPECT_EQ(weeks.status, 0);
    EXPECT_EQ(weeks.out,
              "period,sessions,seconds,cost,received,sent\n"
              "29/12/2025,3,13530,3.75,3001500000,21000\n"
              "05/01/2026,1,10800,3.10,500,700\n"
              "Total,4,24330,6.85,3001500500,21700\n");

    const CommandRun sessions = report({"--report", "sessions", "--format", "csv"});
    EXPECT_EQ(sessions.out,
              "period,end,seconds,cost,received,sent\n"
              "30/12/2025 23:50:00,00:20:00,1800,0.50,1500000,20000\n"
              "31/12/2025 10:00:00,12:00:00,7200,2.00,,\n"
              "01/01/2026 08:00:00,09:15:30,4530,1.25,3000000000,1000\n"
              "05/01/2026 20:00:00,23:00:00,10800,3.10,500,700\n"
              "Total,,24330,6.85,3001500500,21700\n");
}

TEST_F(ReportCommandTest, JsonIsAnArrayOfThePeriodsOnly) {
    const CommandRun run = report({"--report", "day", "--format", "json"});
    ASSERT_EQ(run.status, 0);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(run.out.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    ASSERT_TRUE(doc.isArray());
    const QJsonArray days = doc.array();
    ASSERT_EQ(days.size(), 4);
    QStringList periods;
    for (const QJsonValue& v : days) periods << v[QStringLiteral("period")].toString();
    EXPECT_EQ(periods, QStringList({"30/12/2025", "31/12/2025", "01/01/2026", "05/01/2026"}));

    const QJsonObject first = days[0].toObject();
    EXPECT_EQ(first["seconds"].toInteger(), 1800);
    EXPECT_DOUBLE_EQ(first["cost"].toDouble(), 0.5);
    EXPECT_EQ(first["received"].toInteger(), 1500000);
    EXPECT_EQ(first["sent"].toInteger(), 20000);
    EXPECT_EQ(first["sessions"].toInt(), 1);
    EXPECT_EQ(first["first_day"].toString(), "2025-12-30");
    EXPECT_TRUE(days[1]["received"].isNull());
    EXPECT_TRUE(days[1]["sent"].isNull());
    EXPECT_EQ(days[2]["received"].toInteger(), 3000000000);

    const QJsonArray sessions =
        QJsonDocument::fromJson(report({"--report", "sessions", "--format", "json"}).out.toUtf8())
            .array();
    ASSERT_EQ(sessions.size(), 4);
    EXPECT_EQ(sessions[0]["period"].toString(), "30/12/2025 23:50:00");
    EXPECT_EQ(sessions[0]["end"].toString(), "00:20:00");
    EXPECT_EQ(sessions[0]["date"].toString(), "2025-12-30");
    EXPECT_DOUBLE_EQ(sessions[3]["cost"].toDouble(), 3.1);

    // No session in the range: an empty array, still valid JSON.
    const CommandRun none =
        report({"--report", "month", "--format", "json", "--from", "01/02/2026"});
    EXPECT_EQ(none.status, 0);
    EXPECT_TRUE(QJsonDocument::fromJson(none.out.toUtf8()).array().isEmpty());
}

TEST_F(ReportCommandTest, FromAndToKeepTheSessionsStartedOnThoseDaysInclusive) {
    // The session of 30/12 runs into 31/12 but belongs to the day it started.
    const CommandRun run = report(
        {"--report", "sessions", "--from", "31/12/2025", "--to", "01/01/2026", "--format", "csv"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "period,end,seconds,cost,received,sent\n"
              "31/12/2025 10:00:00,12:00:00,7200,2.00,,\n"
              "01/01/2026 08:00:00,09:15:30,4530,1.25,3000000000,1000\n"
              "Total,,11730,3.25,3000000000,1000\n");

    // One side open; a single day when both are the same.
    EXPECT_EQ(report({"--report", "day", "--format", "csv", "--to", "30/12/2025"}).out.count('\n'),
              3);
    EXPECT_EQ(
        report({"--report", "day", "--format", "csv", "--from", "05/01/2026", "--to", "05/01/2026"})
            .out,
        "period,sessions,seconds,cost,received,sent\n"
        "05/01/2026,1,10800,3.10,500,700\n"
        "Total,1,10800,3.10,500,700\n");
}

TEST_F(ReportCommandTest, ReadsTheCommittedSessionsWhileTheProgramWrites) {
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(db.toUtf8().constData(), &writer), SQLITE_OK);
    execute(writer, "PRAGMA journal_mode = WAL");
    execute(writer, "BEGIN IMMEDIATE");
    execute(writer,
            "INSERT INTO Historial (fecha, HoraInicio, HoraFinalizacion, TiempoConexion, costo, "
            "CostoAcumulado) VALUES ('02/01/2026','10:00:00','11:00:00','01:00:00','001.00',"
            "'000.00')");

    const CommandRun run = report({"--report", "month", "--format", "csv"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.endsWith("Total,4,24330,6.85,3001500500,21700\n")) << run.out.toStdString();

    execute(writer, "COMMIT");
    EXPECT_TRUE(report({"--report", "month", "--format", "csv"})
                    .out.endsWith("Total,5,27930,7.85,3001500500,21700\n"));
    sqlite3_close(writer);
    // Reading never wrote: the file holds exactly what the writer left.
    EXPECT_EQ(storedSessions(db).size(), kHistory.size() + 1);
}

TEST(ReportOfAnOlderHistory, CountsNoBytesWhereTheFileHasNoColumnsForThem) {
    QTemporaryDir dir;
    // Characters a URI would otherwise read as its own.
    const QString db = dir.filePath(QStringLiteral("old #1 ?50%.db"));
    sqlite3* old = nullptr;
    ASSERT_EQ(sqlite3_open(db.toUtf8().constData(), &old), SQLITE_OK);
    execute(old,
            "CREATE TABLE Historial (fecha TEXT, HoraInicio TEXT, HoraFinalizacion TEXT, "
            "TiempoConexion TEXT, costo TEXT, CostoAcumulado TEXT)");
    execute(old,
            "INSERT INTO Historial VALUES ('03/03/2024','09:00:00','10:00:00','01:00:00',"
            "'001.20','001.20'), ('04/03/2024','09:00:00','35:00:00','26:00:00','010.00',"
            "'011.20')");
    sqlite3_close(old);

    const CommandRun csv = runCommand({"--report", "month", "--format", "csv", "--database", db});
    EXPECT_EQ(csv.status, 0) << csv.err.toStdString();
    EXPECT_EQ(csv.out,
              "period,sessions,seconds,cost,received,sent\n"
              "03/2024,2,97200,11.20,,\n"
              "Total,2,97200,11.20,,\n");
    const CommandRun table = runCommand({"--report", "month", "--database", db});
    EXPECT_TRUE(table.out.contains("Total           2  27:00:00  011.20         -     -\n"))
        << table.out.toStdString();
}

TEST(ReportCommandLine, RefusesWhatItCannotDoOnStandardErrorWithItsStatus) {
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("LinkTally.db"));
    storeHistory(db, kHistory);
    const QString text = dir.filePath(QStringLiteral("notes.db"));
    const QByteArray notes = QByteArray("these are my notes, not a database\n").repeated(200);
    writeFile(text, notes);
    const QString empty = dir.filePath(QStringLiteral("empty.db"));
    {
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open(empty.toUtf8().constData(), &other), SQLITE_OK);
        execute(other, "CREATE TABLE Something (x)");
        sqlite3_close(other);
    }

    const struct {
        QStringList args;
        int status;
        const char* says;
    } cases[] = {
        {{"--frobnicate"}, 2, "unknown option '--frobnicate'"},
        {{"-x", "--report", "day"}, 2, "unknown option '-x'"},
        {{"--report"}, 2, "--report needs a value"},
        {{"--report", "day", "--from"}, 2, "--from needs a value"},
        {{"--report", "day", "--database"}, 2, "--database needs a value"},
        {{"--report", "year"}, 2, "unknown report 'year'"},
        {{"--report", "day", "--format", "xml"}, 2, "unknown format 'xml'"},
        {{"--report", "day", "--from", "31/02/2026"}, 2, "'31/02/2026' is not a date"},
        {{"--report", "day", "--to", "1/2/2026"}, 2, "'1/2/2026' is not a date"},
        {{"--report", "day", "--to", "01-02-2026"}, 2, "is not a date"},
        {{"--report", "day", "--from", "02/01/2026", "--to", "01/01/2026"}, 2, "is after --to"},
        {{"--format", "csv"}, 2, "which report?"},
        {{"--version=1"}, 2, "--version takes no value"},
        {{"--report", "day", "stray"}, 2, "unexpected argument 'stray'"},
        {{"--report", "day", "--database", dir.filePath("missing.db")}, 1, "no history database"},
        {{"--report", "day", "--database", dir.path()}, 1, "no history database"},
        {{"--report", "day", "--database", text}, 1, "not a database"},
        {{"--report", "day", "--database", empty}, 1, "holds no session history"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const CommandRun run = runCommand(c.args, db);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, QString());
        EXPECT_TRUE(run.err.startsWith("linktally: ")) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.says))) << run.err.toStdString();
        EXPECT_EQ(run.err.count(u'\n'), 1);
    }
    // Nothing was written into what it read.
    EXPECT_EQ(readFile(text).toUtf8(), notes);
}

TEST(ReportCommandLine, HelpVersionAndTheDefaultHistory) {
    const CommandRun help = runCommand({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: linktally"));
    EXPECT_TRUE(help.out.contains("--report KIND"));
    EXPECT_EQ(help.err, QString());
    // Help wins over anything else on the line, even a mistake.
    EXPECT_EQ(runCommand({"--report", "year", "--help"}).status, 0);
    EXPECT_EQ(runCommand({"--format", "csv", "-h"}).status, 0);

    const CommandRun version = runCommand({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "linktally 1.6.0\n");

    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("LinkTally.db"));
    storeHistory(db, kHistory);
    const CommandRun own = runCommand({"--report", "month", "--format", "csv"}, db);
    EXPECT_EQ(own.status, 0);
    EXPECT_TRUE(own.out.endsWith("Total,4,24330,6.85,3001500500,21700\n"));

    const char* argv[] = {"linktally", "--report", "day", "-"};
    EXPECT_EQ(programArguments(4, argv), QStringList({"--report", "day", "-"}));
    EXPECT_TRUE(wantsReportCommand({"--version"}));
    EXPECT_FALSE(wantsReportCommand({}));
    EXPECT_FALSE(wantsReportCommand({"notes.txt"}));
    EXPECT_FALSE(wantsReportCommand({"-session", "1234"}));  // the session manager's restart
}

}  // namespace
