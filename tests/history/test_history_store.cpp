#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <ostream>

#include "history/history_store.h"
#include "support/test_support.h"

namespace lt {
void PrintTo(const SessionRecord& r, std::ostream* os) {
    *os << '[' << r.toRow().join(QLatin1String(" | ")).toStdString() << ']';
}
}  // namespace lt

using namespace lt;
using Records = std::vector<SessionRecord>;

namespace {

SessionRecord session(int i) {
    const QString n = QString::number(i).rightJustified(2, QLatin1Char('0'));
    return SessionRecord::fromRow(
        QStringLiteral("%1/03/2024|10:00:%1|11:30:%1|01:30:00|0%1.50|1%1,10").arg(n).split('|'));
}

// Text that the pending file must escape and the database must keep as it is.
const SessionRecord kAwkward = SessionRecord::fromRow(
    QStringLiteral("a\tb|line\nbreak\r|back\\slash\\t|año ñandú €||\\").split('|'));

Records loaded(HistoryStore& store) {
    Records out;
    store.loadAll(out);
    return out;
}

// A second connection to the same file, as another program would hold it.
class Other {
  public:
    explicit Other(const QString& path) { sqlite3_open(QFile::encodeName(path).constData(), &db_); }
    ~Other() { sqlite3_close(db_); }
    bool exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == 0; }
    QString text(const char* sql) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db_, sql, -1, &st, nullptr);
        QStringList out;
        while (sqlite3_step(st) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        return out.join(QLatin1Char(' '));
    }

  private:
    sqlite3* db_ = nullptr;
};

class HistoryStoreTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("LinkTally.db"));
    const QString pending = db + QLatin1String(".pending");
};

TEST_F(HistoryStoreTest, CreatesTheTableAndKeepsInsertionOrder) {
    {
        HistoryStore store(db);
        ASSERT_TRUE(store.open()) << store.error().toStdString();
        for (int i = 1; i <= 3; ++i) EXPECT_TRUE(store.append(session(i)));
        EXPECT_TRUE(store.append(kAwkward));
    }
    Other other(db);
    EXPECT_EQ(other.text("PRAGMA user_version"), QString::number(HistoryStore::kSchemaVersion));
    EXPECT_EQ(other.text("SELECT name || ' ' || type FROM pragma_table_info('Historial')"),
              "fecha TEXT HoraInicio TEXT HoraFinalizacion TEXT TiempoConexion TEXT costo TEXT "
              "CostoAcumulado TEXT");
    ASSERT_TRUE(other.exec("INSERT INTO Historial (fecha) VALUES ('01/04/2024')"));  // NULLs

    HistoryStore again(db);
    ASSERT_TRUE(again.open());
    EXPECT_EQ(loaded(again), (Records{session(1), session(2), session(3), kAwkward,
                                      SessionRecord::fromRow({QStringLiteral("01/04/2024")})}));

    // Clearing empties the table and drops what waited to be stored.
    test::writeFile(pending, "01/06/2024\t09:00:00\t09:10:00\t00:10:00\t001.00\t102.00\n");
    EXPECT_TRUE(again.clear());
    EXPECT_FALSE(QFile::exists(pending));
    EXPECT_TRUE(again.append(session(7)));
    EXPECT_EQ(loaded(again), Records{session(7)});
}

// Loaded texts share memory behind the scenes; each must still act as a string of its own.
TEST_F(HistoryStoreTest, LoadedTextsAreIndependentStrings) {
    SessionRecord longOne = session(2);
    longOne.TiempoConexion = QString(50000, QLatin1Char('7'));  // larger than a shared block
    Records expected{session(1), kAwkward, longOne, session(4), session(5)};
    {
        HistoryStore store(db);
        ASSERT_TRUE(store.open());
        for (const SessionRecord& r : expected) ASSERT_TRUE(store.append(r));
    }
    Other other(db);
    for (int i = 0; i < 7; ++i) {  // enough texts to fill many blocks
        ASSERT_TRUE(other.exec("INSERT INTO Historial SELECT * FROM Historial ORDER BY rowid"));
        const Records before = expected;
        expected.insert(expected.end(), before.begin(), before.end());
    }
    // Bytes that are not UTF-8, and a character beyond 16 bits.
    ASSERT_TRUE(
        other.exec("INSERT INTO Historial VALUES (CAST(x'41c3' AS TEXT), char(128512), "
                   "'', NULL, 'z', CAST(x'ff' AS TEXT))"));
    expected.push_back(SessionRecord::fromRow(
        QString::fromUtf8("A\uFFFD|\xF0\x9F\x98\x80|||z|\uFFFD").split(QLatin1Char('|'))));

    HistoryStore store(db);
    ASSERT_TRUE(store.open());
    Records out = loaded(store);
    EXPECT_EQ(out, expected);

    out[0].fecha += QLatin1String("!");
    EXPECT_EQ(out[0].fecha, session(1).fecha + QLatin1String("!"));
    EXPECT_EQ(out[5].fecha, session(1).fecha);
    // The last text alive in its block grows into the space its neighbours left.
    QString survivor = out[4].costo;
    out.clear();
    survivor.append(QString(100, QLatin1Char('x'))).prepend(QLatin1String(">"));
    EXPECT_EQ(survivor, QLatin1String(">") + session(5).costo + QString(100, QLatin1Char('x')));
}

TEST_F(HistoryStoreTest, FailedWritesLoseNothing) {
    HistoryStore store(db);
    ASSERT_TRUE(store.open());
    ASSERT_TRUE(store.append(session(1)));
    {
        Other other(db);
        ASSERT_TRUE(other.exec("BEGIN IMMEDIATE; INSERT INTO Historial (fecha) VALUES ('x')"));
        // Shortened on the open connection: waits for the lock, but not the full 2 s.
        store.setBusyTimeout(50);
        QElapsedTimer waited;
        waited.start();
        EXPECT_FALSE(store.append(session(2)));
        EXPECT_GE(waited.elapsed(), 40);
        EXPECT_LT(waited.elapsed(), HistoryStore::kDefaultBusyTimeoutMs / 2);
        EXPECT_TRUE(store.error().contains(QLatin1String("locked"))) << store.error().toStdString();
        EXPECT_EQ(loaded(store), (Records{session(1), session(2)}));
    }
    ASSERT_TRUE(store.setMaxPageCountForTesting(1));  // no page beyond those it has
    SessionRecord big = session(3);
    big.costo = QString(20000, QLatin1Char('9'));
    EXPECT_FALSE(store.append(big));
    EXPECT_TRUE(store.error().contains(QLatin1String("full"))) << store.error().toStdString();
    EXPECT_EQ(store.pendingCount(), 2);

    ASSERT_TRUE(store.setMaxPageCountForTesting(1 << 20));
    EXPECT_TRUE(store.append(session(4)));
    EXPECT_FALSE(QFile::exists(pending));
    EXPECT_EQ(loaded(store), (Records{session(1), session(2), big, session(4)}));

    // A table dropped from outside comes back at the next open, with what waited.
    ASSERT_TRUE(Other(db).exec("DROP TABLE Historial"));
    EXPECT_FALSE(store.append(session(5)));
    EXPECT_TRUE(store.error().contains(QLatin1String("no such table")));
    HistoryStore again(db);
    EXPECT_TRUE(again.open());
    EXPECT_EQ(loaded(again), Records{session(5)});
}

TEST_F(HistoryStoreTest, FileThatIsNotADatabaseIsLeftUntouched) {
    const QByteArray text = QByteArray("my notes, not a database\n").repeated(300);
    test::writeFile(db, text);
    ASSERT_TRUE(QDir().mkpath(pending));  // and the pending file cannot be written either
    HistoryStore store(db);
    EXPECT_FALSE(store.open());
    EXPECT_TRUE(store.error().contains(QLatin1String("not a database")));
    EXPECT_FALSE(store.append(session(1)));
    EXPECT_TRUE(store.error().contains(QLatin1String("memory")));
    ASSERT_TRUE(QDir(pending).removeRecursively());
    EXPECT_FALSE(store.append(kAwkward));
    Records out;
    EXPECT_FALSE(store.loadAll(out));
    EXPECT_EQ(out, (Records{session(1), kAwkward}));
    EXPECT_EQ(test::readFile(db), QString::fromLatin1(text));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);  // with the pending file

    // Once the file is a database again the waiting records go in, once.
    QFile::remove(db);
    EXPECT_TRUE(store.open());
    EXPECT_TRUE(HistoryStore(db).open());
    EXPECT_FALSE(QFile::exists(pending));
    EXPECT_EQ(loaded(store), (Records{session(1), kAwkward}));
}

TEST_F(HistoryStoreTest, PendingFileSurvivesCutAndBadLines) {
    test::writeFile(db, "not a database");
    test::writeFile(pending,
                    "01/05/2024\t09:00:00\t09:10:00\t00:10:00\t001.00\t101.00\n"
                    "too\tfew\tfields\n"
                    "02/05/2024\t09:00:00\t09:10:00\t00:10:00\t001.00\t1\\q2.00\n"  // bad escape
                    "03/05/2024\t09:00:00\t09:1");  // a write cut short by a crash
    const SessionRecord first = SessionRecord::fromRow(
        QStringLiteral("01/05/2024|09:00:00|09:10:00|00:10:00|001.00|101.00").split('|'));
    HistoryStore store(db);
    EXPECT_EQ(store.pendingCount(), 1);
    EXPECT_FALSE(store.append(session(2)));  // must not be swallowed by the cut line

    QFile::remove(db);
    EXPECT_TRUE(store.append(session(3)));
    EXPECT_FALSE(QFile::exists(pending));
    EXPECT_EQ(loaded(store), (Records{first, session(2), session(3)}));
}

TEST_F(HistoryStoreTest, CheckpointIsWholeOrNothing) {
    HistoryStore store(db);
    const QString running = db + QLatin1String(".running");
    EXPECT_EQ(store.readCheckpoint(), std::nullopt);
    ASSERT_TRUE(store.writeCheckpoint(session(1)));
    ASSERT_TRUE(store.writeCheckpoint(kAwkward));
    EXPECT_EQ(store.readCheckpoint(), kAwkward);

    for (const QByteArray& garbled :
         {QByteArray("01/05/2024\t09:00:00\t09:10:00\t00:10:00\t001.00\t101.00"),
          QByteArray("a\tb\tc\td\te\tf\n\n"), QByteArray("a\tb\tc\td\te\t\xc3\n"),
          QByteArray(100000, '\t') + '\n', QByteArray()}) {
        test::writeFile(running, garbled);
        EXPECT_EQ(store.readCheckpoint(), std::nullopt) << garbled.left(40).toStdString();
    }
    store.removeCheckpoint();
    EXPECT_FALSE(QFile::exists(running));
}

}  // namespace
