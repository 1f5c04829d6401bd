#include <gtest/gtest.h>
#include <sqlite3.h>

#include <unistd.h>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTime>
#include <algorithm>
#include <ostream>
#include <random>

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

// Sessions around a year end, several a day, many starting at the same second as another;
// now and then a text the database cannot read.
SessionRecord randomSession(std::mt19937& random) {
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const auto money = [](int cents) { return QString::number(cents / 100.0, 'f', 2); };
    SessionRecord r;
    r.fecha = QDate(2025, 12, 20).addDays(pick(0, 50)).toString(u"dd/MM/yyyy");
    r.HoraInicio = QTime(0, 0).addSecs(pick(0, 40) * 2000).toString(u"hh:mm:ss");
    r.HoraFinalizacion = r.HoraInicio;
    r.TiempoConexion = QTime(0, 0).addSecs(pick(0, 20000)).toString(u"hh:mm:ss");
    r.costo = money(pick(0, 99999));
    r.CostoAcumulado = money(pick(0, 9999999));
    if (pick(0, 3) != 0) {
        r.BytesRecibidos = QString::number(pick(0, 2'000'000'000));
        r.BytesEnviados = QString::number(pick(0, 90'000'000));
    }
    QString* const odd[] = {&r.fecha, &r.HoraInicio, &r.TiempoConexion, &r.costo,
                            &r.CostoAcumulado};
    if (const int which = pick(0, 30); which < 5) *odd[which] = QStringLiteral("31/02/x");
    return r;
}

std::int64_t dayNumber(int year, int month, int day) {
    return QDate(1970, 1, 1).daysTo(QDate(year, month, day));
}

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
    bool dropDayTotals() { return lt::dropDayTotals(db_); }
    // The day totals and the count the file keeps are those its rows add up to afresh.
    ::testing::AssertionResult keepsItsDaysRight() {
        const auto rows = storedRows(db_);
        if (!rows || QString::number(*rows) != text("SELECT count(*) FROM Historial"))
            return ::testing::AssertionFailure() << "a count of " << rows.value_or(0);
        std::vector<StoredDay> kept, fresh;
        if (!readStoredDays(db_, true, kept) || !readStoredDays(db_, false, fresh))
            return ::testing::AssertionFailure() << sqlite3_errmsg(db_);
        const auto same = [](const StoredDay& k, const StoredDay& f) {
            return k.day == f.day && k.sessions == f.sessions && k.seconds == f.seconds &&
                   std::abs(k.cost - f.cost) < 1e-6 && k.lastStart == f.lastStart &&
                   std::abs(k.lastTotalCost - f.lastTotalCost) < 1e-9 && k.received == f.received &&
                   k.sent == f.sent;
        };
        const auto [k, f] =
            std::mismatch(kept.begin(), kept.end(), fresh.begin(), fresh.end(), same);
        if (k == kept.end() && f == fresh.end()) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "from day " << (k != kept.end() ? k->day : f->day) << " on, of " << fresh.size()
               << " (" << kept.size() << " kept)";
    }
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

TEST_F(HistoryStoreTest, KeepsEveryDaysTotalsRightWhoeverWritesTheRows) {
    std::mt19937 random(20260107);
    HistoryStore store(db);
    ASSERT_TRUE(store.open()) << store.error().toStdString();
    std::uint64_t id = 0;
    for (int batch = 0; batch < 4; ++batch) {
        std::vector<StoredSession> sessions;
        for (int i = 0; i < 150; ++i) sessions.push_back({++id, randomSession(random)});
        ASSERT_TRUE(store.store(sessions));
    }
    ASSERT_TRUE(store.store({{3, session(3)}, {++id, randomSession(random)}}));  // 3: stored
    Other other(db);
    EXPECT_TRUE(other.keepsItsDaysRight());

    // Re-priced: January costs something else.
    std::vector<StoredCost> costs;
    ASSERT_TRUE(store.costsBetween(dayNumber(2026, 1, 1), dayNumber(2026, 1, 31), costs));
    ASSERT_GT(costs.size(), 200u);
    for (StoredCost& c : costs) {
        c.costo = QString::number(std::uniform_int_distribution(0, 9999)(random) / 100.0, 'f', 2);
        c.CostoAcumulado = c.costo + QLatin1Char('1');
    }
    ASSERT_TRUE(store.rewriteCosts(costs));
    EXPECT_TRUE(other.keepsItsDaysRight());
    std::vector<StoredDay> january;
    ASSERT_TRUE(store.sessionsByDay(january, dayNumber(2026, 1, 1), dayNumber(2026, 1, 31)));
    ASSERT_EQ(january.size(), 31u);
    EXPECT_EQ(january.back().day, dayNumber(2026, 1, 31));

    // Another program writes the texts with plain SQL.
    const char* const edits[] = {
        // A day of its own, a later start on a day there is, a date only this program reads,
        // a byte count that is not a number.
        "INSERT INTO Historial (fecha, HoraInicio, TiempoConexion, costo, CostoAcumulado, "
        "BytesRecibidos) VALUES ('15/03/2026', '10:00:00', '01:00:00', '1.5', '9', 7), "
        "((SELECT fecha FROM Historial WHERE rowid = 5), '23:59:59', '02:00:00', '3', '99', "
        "NULL), ('1/2/2026', '10:00:00', '01:00:00', '1', '1', 1), ('20/01/2026', '10:00:00', "
        "'01:00:00', '1', '1', ' 12abc')",
        // Rows move to other days, and start earlier: many a day's latest session changes.
        "UPDATE Historial SET fecha = '16/03/2026' WHERE rowid % 7 = 0",
        "UPDATE Historial SET HoraInicio = '00:00:01' WHERE rowid % 5 = 0",
        "UPDATE Historial SET TiempoConexion = 'x', BytesRecibidos = NULL, BytesEnviados = 12 "
        "WHERE rowid % 6 = 1",
        // Values too large to take back exactly, then taken back.
        "UPDATE Historial SET costo = '1e300', BytesEnviados = 9000000000000000000 WHERE rowid "
        "IN (10, 11)",
        "UPDATE Historial SET costo = '2.25', BytesEnviados = 5 WHERE rowid IN (10, 11)",
        "UPDATE Historial SET fecha = 'nonsense' WHERE rowid % 9 = 2",
        "UPDATE Historial SET fecha = '17/03/2026' WHERE fecha = 'nonsense' AND rowid % 2 = 0",
        "UPDATE Historial SET rowid = rowid + 100000 WHERE rowid % 4 = 1",
        "DELETE FROM Historial WHERE rowid % 3 = 0",
        // Every day's latest session.
        "DELETE FROM Historial WHERE rowid IN (SELECT max(InicioSeg * 1099511627776 + rowid) & "
        "1099511627775 FROM Historial GROUP BY Dia)",
        "DELETE FROM Historial WHERE fecha LIKE '%/01/2026'",
    };
    for (const char* sql : edits) {
        SCOPED_TRACE(sql);
        ASSERT_TRUE(other.exec(sql));
        EXPECT_TRUE(other.keepsItsDaysRight());
    }

    // Emptied at once; what comes next is added up again.
    ASSERT_TRUE(store.clear());
    std::vector<StoredDay> days;
    ASSERT_TRUE(store.sessionsByDay(days));
    EXPECT_TRUE(days.empty());
    ASSERT_TRUE(store.store({{++id, session(1)}, {++id, session(2)}, {++id, session(2)}}));
    ASSERT_TRUE(other.exec("DELETE FROM Historial WHERE rowid < 3"));
    EXPECT_TRUE(other.keepsItsDaysRight());
    ASSERT_TRUE(store.sessionsByDay(days));
    ASSERT_EQ(days.size(), 1u);
    EXPECT_EQ(days[0].day, dayNumber(2024, 3, 2));
    EXPECT_EQ(days[0].sessions, 1);
    EXPECT_EQ(days[0].seconds, 5400);
    EXPECT_DOUBLE_EQ(days[0].cost, 2.5);
    EXPECT_EQ(days[0].lastStart, 10 * 3600 + 2);
}

TEST_F(HistoryStoreTest, AnEarlierHistoryIsAddedUpOnceAndOneThatCannotBeUpgradedStillAddsUp) {
    ASSERT_TRUE(Other(db).exec(
        "CREATE TABLE Historial (fecha TEXT, HoraInicio TEXT, HoraFinalizacion TEXT, "
        "TiempoConexion TEXT, costo TEXT, CostoAcumulado TEXT, IdSesion INTEGER, BytesRecibidos "
        "INTEGER, BytesEnviados INTEGER); PRAGMA user_version = 3; INSERT INTO Historial VALUES "
        "('01/03/2024', '10:00:00', '', '01:00:00', '001.50', '10.5', 1, 100, NULL), "
        "('01/03/2024', '09:00:00', '', '00:30:00', '000.75', '9.75', 2, 50, 7), "
        "('02/03/2024', '10:00:00', '', '01:00:00', '001.00', '11.5', 3, NULL, NULL), "
        "('30/02/2024', '10:00:00', '', '01:00:00', '001.00', '12.5', 4, 1, 1)"));
    const auto addsUp = [](HistoryStore& store) {
        EXPECT_EQ(store.count(), 4);
        std::vector<StoredDay> days;
        ASSERT_TRUE(store.sessionsByDay(days)) << store.error().toStdString();
        ASSERT_EQ(days.size(), 2u);
        EXPECT_EQ(days[0].day, dayNumber(2024, 3, 1));
        EXPECT_EQ(days[0].sessions, 2);
        EXPECT_EQ(days[0].seconds, 5400);
        EXPECT_DOUBLE_EQ(days[0].cost, 2.25);
        EXPECT_EQ(days[0].lastStart, 36000);
        EXPECT_DOUBLE_EQ(days[0].lastTotalCost, 10.5);
        EXPECT_EQ(days[0].received, 150);
        EXPECT_EQ(days[0].sent, 7);
        EXPECT_EQ(days[1].sessions, 1);
        EXPECT_EQ(days[1].received, std::nullopt);
    };
    {
        HistoryStore store(db);
        ASSERT_TRUE(store.open()) << store.error().toStdString();
        addsUp(store);
    }
    {
        Other other(db);
        EXPECT_EQ(other.text("PRAGMA user_version"), QString::number(HistoryStore::kSchemaVersion));
        EXPECT_EQ(other.text("SELECT count(*) FROM HistorialDiario"), "2");
        EXPECT_TRUE(other.keepsItsDaysRight());
        // Files that keep no day totals and are not to be written are added up from their
        // rows: a later version's,
        ASSERT_TRUE(other.dropDayTotals() && other.exec("PRAGMA user_version = 99"));
    }
    {
        HistoryStore newer(db);
        EXPECT_FALSE(newer.open());
        addsUp(newer);
    }
    // and an earlier version's that cannot be written, upgraded once it can.
    if (::geteuid() == 0) return;  // root writes into read-only files anyway
    ASSERT_TRUE(Other(db).exec("PRAGMA user_version = 4"));
    const QFile::Permissions all = QFile::permissions(db);
    ASSERT_TRUE(QFile::setPermissions(db, QFileDevice::ReadOwner));
    {
        HistoryStore store(db);
        EXPECT_TRUE(store.open()) << store.error().toStdString();
        addsUp(store);
        EXPECT_FALSE(add(store, session(5), 5));
        ASSERT_TRUE(QFile::setPermissions(db, all));
        EXPECT_TRUE(add(store, session(5), 5)) << store.error().toStdString();
        EXPECT_EQ(store.count(), 5);
    }
    Other other(db);
    EXPECT_EQ(other.text("PRAGMA user_version"), QString::number(HistoryStore::kSchemaVersion));
    EXPECT_EQ(other.text("SELECT count(*) FROM HistorialDiario"), "3");
    EXPECT_TRUE(other.keepsItsDaysRight());
}

}  // namespace
