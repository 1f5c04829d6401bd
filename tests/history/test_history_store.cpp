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

// Text that the database must keep as it is.
const SessionRecord kAwkward = SessionRecord::fromRow(
    QStringLiteral("a\tb|line\nbreak\r|back\\slash\\t|año ñandú €||\\").split('|'));

// Stores one session under its own id.
bool add(HistoryStore& store, const SessionRecord& r, std::uint64_t id) {
    return store.store({{id, r}});
}

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
};

TEST_F(HistoryStoreTest, KeepsInsertionOrderAndStoresASessionOnceWhateverHappens) {
    {
        HistoryStore store(db);
        ASSERT_TRUE(store.open()) << store.error().toStdString();
        for (int i = 1; i <= 3; ++i) EXPECT_TRUE(add(store, session(i), static_cast<unsigned>(i)));
        // A crash after the commit and before the ledger heard of it: stored again, once.
        EXPECT_TRUE(store.store({{2, session(2)}, {4, kAwkward}}));
    }
    Other other(db);
    EXPECT_EQ(other.text("PRAGMA user_version"), QString::number(HistoryStore::kSchemaVersion));
    // The six texts that older readers know stay first, with their names and types.
    EXPECT_EQ(other.text("SELECT name || ' ' || type FROM pragma_table_info('Historial')"),
              "fecha TEXT HoraInicio TEXT HoraFinalizacion TEXT TiempoConexion TEXT costo TEXT "
              "CostoAcumulado TEXT IdSesion INTEGER BytesRecibidos INTEGER BytesEnviados INTEGER");
    ASSERT_TRUE(other.exec("INSERT INTO Historial (fecha) VALUES ('01/04/2024')"));  // NULLs

    HistoryStore again(db);
    ASSERT_TRUE(again.open());
    EXPECT_EQ(loaded(again), (Records{session(1), session(2), session(3), kAwkward,
                                      SessionRecord::fromRow({QStringLiteral("01/04/2024")})}));
    EXPECT_TRUE(again.clear());
    EXPECT_TRUE(add(again, session(7), 7));
    EXPECT_EQ(loaded(again), Records{session(7)});
}

TEST_F(HistoryStoreTest, AHistoryOfAnEarlierVersionGetsTheIdInPlace) {
    Other old(db);
    ASSERT_TRUE(
        old.exec("CREATE TABLE Historial (fecha TEXT, HoraInicio TEXT, HoraFinalizacion TEXT, "
                 "TiempoConexion TEXT, costo TEXT, CostoAcumulado TEXT); PRAGMA user_version = 1; "
                 "INSERT INTO Historial VALUES "
                 "('01/03/2024','10:00:01','11:30:01','01:30:00','01.50','1')"));
    HistoryStore store(db);
    ASSERT_TRUE(store.open()) << store.error().toStdString();
    SessionRecord counted = session(2);
    counted.BytesRecibidos = QStringLiteral("12345678901");
    counted.BytesEnviados = QStringLiteral("0");
    EXPECT_TRUE(add(store, counted, 9));
    // The old row keeps its texts and has no counts; the new one reads back its bytes.
    const Records rows = loaded(store);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].costo, QStringLiteral("01.50"));
    EXPECT_TRUE(rows[0].BytesRecibidos.isEmpty());
    EXPECT_EQ(rows[1], counted);
    EXPECT_EQ(old.text("SELECT count(*) FROM Historial WHERE IdSesion IS NULL"), "1");
    EXPECT_EQ(old.text("SELECT typeof(BytesRecibidos) FROM Historial WHERE IdSesion = 9"),
              "integer");
    EXPECT_EQ(old.text("PRAGMA user_version"), QString::number(HistoryStore::kSchemaVersion));
}

// Loaded texts share memory behind the scenes; each must still act as a string of its own.
TEST_F(HistoryStoreTest, LoadedTextsAreIndependentStrings) {
    SessionRecord longOne = session(2);
    longOne.TiempoConexion = QString(50000, QLatin1Char('7'));  // larger than a shared block
    Records expected{session(1), kAwkward, longOne, session(4), session(5)};
    {
        HistoryStore store(db);
        ASSERT_TRUE(store.open());
        std::uint64_t id = 1;
        for (const SessionRecord& r : expected) ASSERT_TRUE(add(store, r, id++));
    }
    Other other(db);
    for (int i = 0; i < 7; ++i) {  // enough texts to fill many blocks
        ASSERT_TRUE(other.exec(
            "INSERT INTO Historial (fecha, HoraInicio, HoraFinalizacion, TiempoConexion, costo, "
            "CostoAcumulado) SELECT fecha, HoraInicio, HoraFinalizacion, TiempoConexion, costo, "
            "CostoAcumulado FROM Historial ORDER BY rowid"));
        const Records before = expected;
        expected.insert(expected.end(), before.begin(), before.end());
    }
    // Bytes that are not UTF-8, and a character beyond 16 bits.
    ASSERT_TRUE(
        other.exec("INSERT INTO Historial VALUES (CAST(x'41c3' AS TEXT), char(128512), "
                   "'', NULL, 'z', CAST(x'ff' AS TEXT), NULL, NULL, NULL)"));
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

TEST_F(HistoryStoreTest, AFailedStoreSaysWhyAndTheNextTryStartsAfresh) {
    HistoryStore store(db);
    ASSERT_TRUE(store.open());
    ASSERT_TRUE(add(store, session(1), 1));
    {
        Other other(db);
        ASSERT_TRUE(other.exec("BEGIN IMMEDIATE; INSERT INTO Historial (fecha) VALUES ('x')"));
        // Shortened on the open connection: waits for the lock, but not the full 2 s.
        store.setBusyTimeout(50);
        QElapsedTimer waited;
        waited.start();
        EXPECT_FALSE(add(store, session(2), 2));
        EXPECT_GE(waited.elapsed(), 40);
        EXPECT_LT(waited.elapsed(), HistoryStore::kDefaultBusyTimeoutMs / 2);
        EXPECT_TRUE(store.error().contains(QLatin1String("locked"))) << store.error().toStdString();
        EXPECT_TRUE(store.error().contains(db));
    }
    ASSERT_TRUE(store.setMaxPageCountForTesting(1));  // no page beyond those it has
    SessionRecord big = session(3);
    big.costo = QString(20000, QLatin1Char('9'));
    EXPECT_FALSE(store.store({{2, session(2)}, {3, big}}));
    EXPECT_TRUE(store.error().contains(QLatin1String("full"))) << store.error().toStdString();
    ASSERT_TRUE(store.setMaxPageCountForTesting(1 << 20));
    EXPECT_TRUE(store.store({{2, session(2)}, {3, big}}));
    EXPECT_EQ(loaded(store), (Records{session(1), session(2), big}));
}

TEST_F(HistoryStoreTest, ADamagedFileIsSetAsideAndAFileGoneIsMadeAgain) {
    const QByteArray text = QByteArray("my notes, not a database\n").repeated(300);
    test::writeFile(db, text);
    HistoryStore store(db);
    ASSERT_TRUE(store.open()) << store.error().toStdString();
    const QString aside = store.takeSetAside();
    EXPECT_TRUE(aside.startsWith(db + QLatin1String(".damaged-"))) << aside.toStdString();
    EXPECT_EQ(test::readFile(aside), QString::fromLatin1(text));
    EXPECT_TRUE(store.takeSetAside().isEmpty());  // said once
    EXPECT_TRUE(add(store, session(1), 1));

    // Deleted under the open database: noticed, made again, and the session is there.
    QFile::remove(db);
    EXPECT_TRUE(add(store, session(2), 2));
    EXPECT_TRUE(store.takeRecreated());
    EXPECT_FALSE(store.takeRecreated());
    EXPECT_EQ(loaded(store), Records{session(2)});
    EXPECT_EQ(HistoryStore(db).open(), true);

    // A newer version's history is read and never written.
    ASSERT_TRUE(Other(db).exec("PRAGMA user_version = 99"));
    HistoryStore newer(db);
    EXPECT_FALSE(newer.open());
    EXPECT_FALSE(add(newer, session(3), 3));
    EXPECT_EQ(loaded(newer), Records{session(2)});
}

}  // namespace
