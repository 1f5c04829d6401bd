#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <ostream>

#include "history/history_store.h"

namespace lt {
void PrintTo(const SessionRecord& r, std::ostream* os) {
    *os << '[' << r.toRow().join(QLatin1String(" | ")).toStdString() << ']';
}
}  // namespace lt

using namespace lt;

namespace {

SessionRecord session(int i) {
    const QString n = QString::number(i).rightJustified(2, QLatin1Char('0'));
    return {n + QLatin1String("/03/2024"),
            QLatin1String("10:00:") + n,
            QLatin1String("11:30:") + n,
            QLatin1String("01:30:00"),
            QLatin1String("0") + n + QLatin1String(".50"),
            QLatin1String("1") + n + QLatin1String(",10")};
}

// Text that the pending file must escape and the database must keep as it is.
const SessionRecord kAwkward{QStringLiteral("a\tb"),
                             QStringLiteral("line\nbreak\r"),
                             QStringLiteral("back\\slash\\t"),
                             QStringLiteral("año ñandú €"),
                             QString(),
                             QStringLiteral("\\")};

QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

std::vector<SessionRecord> loaded(HistoryStore& store) {
    std::vector<SessionRecord> out;
    store.loadAll(out);
    return out;
}

// A second connection to the same file, as another program would hold it.
class Other {
  public:
    explicit Other(const QString& path) {
        sqlite3_open(QFile::encodeName(path).constData(), &db_);
        sqlite3_busy_timeout(db_, 2000);
    }
    ~Other() { sqlite3_close(db_); }
    bool exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == 0; }
    QString text(const char* sql) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db_, sql, -1, &st, nullptr);
        QString out;
        while (sqlite3_step(st) == SQLITE_ROW)
            out += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))) +
                   QLatin1Char(' ');
        sqlite3_finalize(st);
        return out.trimmed();
    }

  private:
    sqlite3* db_ = nullptr;
};

class HistoryStoreTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("LinkTally.db"));
    const QString pending = db + QLatin1String(".pending");
    const std::vector<SessionRecord> three{session(1), session(2), session(3)};

    void storeThree() {
        HistoryStore store(db);
        ASSERT_TRUE(store.open()) << store.error().toStdString();
        for (const SessionRecord& r : three) ASSERT_TRUE(store.append(r));
    }
};

TEST_F(HistoryStoreTest, CreatesTheTableAndKeepsInsertionOrder) {
    {
        HistoryStore store(db);
        ASSERT_TRUE(store.open()) << store.error().toStdString();
        EXPECT_TRUE(store.isOpen());
        std::vector<SessionRecord> out{session(9)};
        EXPECT_TRUE(store.loadAll(out));
        EXPECT_TRUE(out.empty());
        for (const SessionRecord& r : three) EXPECT_TRUE(store.append(r));
        EXPECT_TRUE(store.append(kAwkward));
    }
    Other other(db);
    EXPECT_EQ(other.text("PRAGMA user_version"), QString::number(HistoryStore::kSchemaVersion));
    EXPECT_EQ(other.text("SELECT name FROM pragma_table_info('Historial')"),
              "fecha HoraInicio HoraFinalizacion TiempoConexion costo CostoAcumulado");
    EXPECT_EQ(other.text("SELECT DISTINCT type FROM pragma_table_info('Historial')"), "TEXT");
    EXPECT_EQ(other.text("PRAGMA journal_mode"), "wal");
    EXPECT_EQ(other.text("SELECT DISTINCT typeof(costo) FROM Historial"), "text");

    HistoryStore again(db);
    ASSERT_TRUE(again.open());
    std::vector<SessionRecord> expected = three;
    expected.push_back(kAwkward);
    EXPECT_EQ(loaded(again), expected);
    EXPECT_EQ(again.pendingCount(), 0);
    EXPECT_FALSE(QFile::exists(pending));

    // A NULL written by another program reads as empty text.
    ASSERT_TRUE(other.exec("INSERT INTO Historial (fecha) VALUES ('01/04/2024')"));
    EXPECT_EQ(loaded(again).back(), SessionRecord::fromRow({QStringLiteral("01/04/2024")}));
}

// Loaded texts share memory behind the scenes; each must still act as a string of its own.
TEST_F(HistoryStoreTest, LoadedTextsAreIndependentStrings) {
    HistoryStore store(db);
    ASSERT_TRUE(store.open());
    SessionRecord longOne = session(2);
    longOne.TiempoConexion = QString(50000, QLatin1Char('7'));  // larger than any shared block
    std::vector<SessionRecord> expected{session(1), kAwkward, longOne};
    for (int i = 4; i <= 10; ++i) expected.push_back(session(i));
    for (const SessionRecord& r : expected) ASSERT_TRUE(store.append(r));
    Other other(db);
    for (int i = 0; i < 6; ++i) {  // enough texts to fill many blocks
        ASSERT_TRUE(other.exec("INSERT INTO Historial SELECT * FROM Historial ORDER BY rowid"));
        const std::vector<SessionRecord> before = expected;
        expected.insert(expected.end(), before.begin(), before.end());
    }
    // Bytes that are not UTF-8, and a character beyond 16 bits, from another program.
    ASSERT_TRUE(
        other.exec("INSERT INTO Historial VALUES (CAST(x'41c3' AS TEXT), "
                   "'\xF0\x9F\x98\x80', '', NULL, 'z', CAST(x'ff' AS TEXT))"));
    ASSERT_TRUE(
        other.exec("UPDATE Historial SET HoraInicio = char(128512) WHERE fecha = 'A' || "
                   "CAST(x'c3' AS TEXT)"));

    std::vector<SessionRecord> out;
    ASSERT_TRUE(store.loadAll(out));
    ASSERT_EQ(out.size(), expected.size() + 1);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), out.begin()));
    const SessionRecord& odd = out.back();
    EXPECT_EQ(odd.fecha, QStringLiteral("A\uFFFD"));
    EXPECT_EQ(odd.HoraInicio, QString::fromUtf8("\xF0\x9F\x98\x80"));
    EXPECT_EQ(odd.costo, QStringLiteral("z"));
    EXPECT_EQ(odd.CostoAcumulado, QStringLiteral("\uFFFD"));
    for (const SessionRecord& r : out)
        for (const QString& text : r.toRow()) ASSERT_EQ(text.utf16()[text.size()], 0);

    // Changing one text leaves its neighbours alone, and so does growing the last one
    // left alive once all the others are gone.
    out[0].fecha += QLatin1String("!");
    out[0].HoraInicio.replace(0, 2, QStringLiteral("23"));
    EXPECT_EQ(out[0].fecha, session(1).fecha + QLatin1String("!"));
    EXPECT_EQ(out[0].HoraInicio, QStringLiteral("23:00:01"));
    EXPECT_EQ(out[0].HoraFinalizacion, session(1).HoraFinalizacion);
    EXPECT_EQ(out[1], kAwkward);
    QString survivor = out[5].costo;
    QString front = out[5].fecha;
    out.clear();
    survivor.append(QString(100, QLatin1Char('x')));
    front.prepend(QStringLiteral(">>"));
    EXPECT_EQ(survivor, expected[5].costo + QString(100, QLatin1Char('x')));
    EXPECT_EQ(front, QLatin1String(">>") + expected[5].fecha);
}

TEST_F(HistoryStoreTest, ClearEmptiesTheTableAndThePendingRecords) {
    storeThree();
    writeBytes(pending, "01/05/2024\t09:00:00\t09:10:00\t00:10:00\t001.00\t101.00\n");
    HistoryStore store(db);
    ASSERT_TRUE(store.open());
    EXPECT_EQ(loaded(store).size(), 4u);
    writeBytes(pending, "01/06/2024\t09:00:00\t09:10:00\t00:10:00\t001.00\t102.00\n");
    EXPECT_EQ(store.pendingCount(), 1);

    EXPECT_TRUE(store.clear());
    EXPECT_TRUE(loaded(store).empty());
    EXPECT_EQ(store.pendingCount(), 0);
    EXPECT_FALSE(QFile::exists(pending));
    EXPECT_TRUE(store.append(session(7)));
    HistoryStore again(db);
    ASSERT_TRUE(again.open());
    EXPECT_EQ(loaded(again), std::vector<SessionRecord>{session(7)});
}

TEST_F(HistoryStoreTest, LockedDatabaseLosesNothing) {
    HistoryStore store(db);
    ASSERT_TRUE(store.open());
    ASSERT_TRUE(store.append(session(1)));
    {
        Other other(db);
        ASSERT_TRUE(other.exec("BEGIN IMMEDIATE; INSERT INTO Historial (fecha) VALUES ('x')"));
        EXPECT_FALSE(store.append(session(2)));  // waits out the busy timeout
        EXPECT_TRUE(store.error().contains(QLatin1String("locked"))) << store.error().toStdString();
        EXPECT_EQ(store.pendingCount(), 1);
        EXPECT_EQ(loaded(store), (std::vector<SessionRecord>{session(1), session(2)}));
        ASSERT_TRUE(other.exec("ROLLBACK"));
    }
    EXPECT_TRUE(store.append(session(3)));
    EXPECT_EQ(store.pendingCount(), 0);
    EXPECT_FALSE(QFile::exists(pending));
    HistoryStore again(db);
    ASSERT_TRUE(again.open());
    EXPECT_EQ(loaded(again), three);
}

TEST_F(HistoryStoreTest, FullDatabaseLosesNothing) {
    HistoryStore store(db);
    ASSERT_TRUE(store.open());
    ASSERT_TRUE(store.append(session(1)));
    ASSERT_TRUE(store.setMaxPageCountForTesting(1));  // no page beyond those it has
    SessionRecord big = session(2);
    big.costo = QString(20000, QLatin1Char('9'));
    EXPECT_FALSE(store.append(big));
    EXPECT_TRUE(store.error().contains(QLatin1String("full"))) << store.error().toStdString();
    EXPECT_FALSE(store.append(session(3)));  // behind the one that waits, in order
    EXPECT_EQ(store.pendingCount(), 2);
    EXPECT_EQ(loaded(store), (std::vector<SessionRecord>{session(1), big, session(3)}));

    ASSERT_TRUE(store.setMaxPageCountForTesting(1 << 20));
    EXPECT_TRUE(store.append(session(4)));
    HistoryStore again(db);
    ASSERT_TRUE(again.open());
    EXPECT_EQ(loaded(again), (std::vector<SessionRecord>{session(1), big, session(3), session(4)}));
    EXPECT_FALSE(QFile::exists(pending));
}

TEST_F(HistoryStoreTest, TableDroppedWhileRunningComesBackAtTheNextOpen) {
    HistoryStore store(db);
    ASSERT_TRUE(store.open());
    ASSERT_TRUE(store.append(session(1)));
    ASSERT_TRUE(Other(db).exec("DROP TABLE Historial"));
    EXPECT_FALSE(store.append(session(2)));
    EXPECT_TRUE(store.error().contains(QLatin1String("no such table")))
        << store.error().toStdString();
    std::vector<SessionRecord> out;
    EXPECT_FALSE(store.loadAll(out));
    EXPECT_EQ(out, std::vector<SessionRecord>{session(2)});

    HistoryStore again(db);
    EXPECT_TRUE(again.open());
    EXPECT_EQ(loaded(again), std::vector<SessionRecord>{session(2)});
    EXPECT_EQ(again.pendingCount(), 0);
}

TEST_F(HistoryStoreTest, FileThatIsNotADatabaseIsLeftUntouched) {
    const QByteArray text = QByteArray("my notes, not a database\n").repeated(300);
    writeBytes(db, text);
    {
        HistoryStore store(db);
        EXPECT_FALSE(store.open());
        EXPECT_FALSE(store.isOpen());
        EXPECT_TRUE(store.error().contains(QLatin1String("not a database")))
            << store.error().toStdString();
        EXPECT_FALSE(store.append(session(1)));
        EXPECT_FALSE(store.append(kAwkward));
        EXPECT_FALSE(store.error().isEmpty());
        EXPECT_FALSE(store.clear());
        std::vector<SessionRecord> out;
        EXPECT_FALSE(store.loadAll(out));
        EXPECT_EQ(out, (std::vector<SessionRecord>{session(1), kAwkward}));
        EXPECT_EQ(store.pendingCount(), 2);
    }
    EXPECT_EQ(readBytes(db), text);
    EXPECT_EQ(
        QDir(dir.path()).entryList(QDir::Files),
        (QStringList{QStringLiteral("LinkTally.db"), QStringLiteral("LinkTally.db.pending")}));

    // Once the file is a database again the waiting records go in, once.
    QFile::remove(db);
    HistoryStore store(db);
    EXPECT_TRUE(store.open());
    EXPECT_TRUE(store.open());
    EXPECT_FALSE(QFile::exists(pending));
    HistoryStore again(db);
    EXPECT_TRUE(again.open());
    EXPECT_EQ(loaded(again), (std::vector<SessionRecord>{session(1), kAwkward}));
}

TEST_F(HistoryStoreTest, NewerSchemaIsShownButNeverWritten) {
    storeThree();
    ASSERT_TRUE(Other(db).exec("PRAGMA user_version = 99"));
    HistoryStore store(db);
    EXPECT_FALSE(store.open());
    EXPECT_TRUE(store.error().contains(QLatin1String("newer"))) << store.error().toStdString();
    EXPECT_FALSE(store.append(session(4)));
    EXPECT_FALSE(store.clear());
    EXPECT_EQ(store.pendingCount(), 1);
    EXPECT_EQ(loaded(store),
              (std::vector<SessionRecord>{session(1), session(2), session(3), session(4)}));
    EXPECT_EQ(Other(db).text("SELECT count(*) FROM Historial"), "3");
    EXPECT_EQ(Other(db).text("PRAGMA user_version"), "99");
}

TEST_F(HistoryStoreTest, ReadOnlyFileLosesNothing) {
    if (::geteuid() == 0) GTEST_SKIP() << "file permissions do not bind root";
    storeThree();
    ASSERT_EQ(::chmod(QFile::encodeName(db).constData(), 0444), 0);
    HistoryStore store(db);
    store.open();
    EXPECT_FALSE(store.append(session(4)));
    EXPECT_FALSE(store.error().isEmpty());
    EXPECT_EQ(store.pendingCount(), 1);
    EXPECT_EQ(loaded(store).size(), 4u);
    ::chmod(QFile::encodeName(db).constData(), 0644);
}

TEST_F(HistoryStoreTest, PendingFileSurvivesCutLinesAndBadLines) {
    writeBytes(db, "not a database");
    writeBytes(pending,
               "01/05/2024\t09:00:00\t09:10:00\t00:10:00\t001.00\t101.00\n"
               "too\tfew\tfields\n"
               "02/05/2024\t09:00:00\t09:10:00\t00:10:00\t001.00\t1\\q2.00\n"  // bad escape
               "03/05/2024\t09:00:00\t09:1");  // a write cut short by a crash
    HistoryStore store(db);
    EXPECT_FALSE(store.open());
    EXPECT_EQ(store.pendingCount(), 1);
    // The cut line must not swallow the next record.
    EXPECT_FALSE(store.append(session(2)));
    const SessionRecord first = SessionRecord::fromRow(
        QStringLiteral("01/05/2024|09:00:00|09:10:00|00:10:00|001.00|101.00").split('|'));
    EXPECT_EQ(loaded(store), (std::vector<SessionRecord>{first, session(2)}));

    QFile::remove(db);
    EXPECT_TRUE(store.append(session(3)));
    EXPECT_FALSE(QFile::exists(pending));
    EXPECT_EQ(loaded(store), (std::vector<SessionRecord>{first, session(2), session(3)}));
}

TEST_F(HistoryStoreTest, RecordsNoFileTakesStayInMemoryUntilOneDoes) {
    writeBytes(db, "not a database");
    ASSERT_TRUE(QDir().mkpath(pending));  // a directory where the pending file would go
    HistoryStore store(db);
    EXPECT_FALSE(store.append(session(1)));
    EXPECT_TRUE(store.error().contains(QLatin1String("memory"))) << store.error().toStdString();
    EXPECT_EQ(store.pendingCount(), 1);
    EXPECT_EQ(loaded(store), std::vector<SessionRecord>{session(1)});

    ASSERT_TRUE(QDir(pending).removeRecursively());
    EXPECT_FALSE(store.append(session(2)));  // both now wait in the file
    EXPECT_EQ(readBytes(pending).count('\n'), 2);
    QFile::remove(db);
    EXPECT_TRUE(store.append(session(3)));
    EXPECT_EQ(loaded(store), three);
    EXPECT_EQ(store.pendingCount(), 0);
}

TEST_F(HistoryStoreTest, CheckpointIsWrittenWholeOrNotAtAll) {
    HistoryStore store(db);
    const QString running = db + QLatin1String(".running");
    EXPECT_EQ(store.readCheckpoint(), std::nullopt);
    ASSERT_TRUE(store.writeCheckpoint(session(1)));
    ASSERT_TRUE(store.writeCheckpoint(kAwkward));
    EXPECT_EQ(store.readCheckpoint(), kAwkward);
    EXPECT_FALSE(QFile::exists(pending));
    EXPECT_FALSE(QFile::exists(db));  // the checkpoint needs no database

    for (const QByteArray& garbled :
         {QByteArray("01/05/2024\t09:00:00\t09:10:00"),
          QByteArray("01/05/2024\t09:00:00\t09:10:00\t00:10:00\t001.00\t101.00"),
          QByteArray("a\tb\tc\td\te\tf\n\xff\xfe\n"), QByteArray("a\tb\tc\td\te\t\xc3\n"),
          QByteArray(100000, '\t') + '\n', QByteArray()}) {
        writeBytes(running, garbled);
        EXPECT_EQ(store.readCheckpoint(), std::nullopt) << garbled.left(40).toStdString();
    }
    store.removeCheckpoint();
    EXPECT_FALSE(QFile::exists(running));
    EXPECT_EQ(store.readCheckpoint(), std::nullopt);
}

}  // namespace
