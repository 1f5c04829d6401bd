#include "history/day_totals.h"

#include <sqlite3.h>

#include <QByteArray>
#include <algorithm>
#include <cmath>

namespace lt {

namespace {

using Row = QByteArray;  // how a row's columns are named: "", "NEW." or "OLD."

QByteArray counted(const Row& r, const char* bytes) {
    return "(" + r + bytes + " IS NOT -1)";
}

QByteArray bytesOf(const Row& r, const char* bytes) {
    return "CASE WHEN " + r + bytes + " IS -1 THEN 0 ELSE " + r + bytes + " + 0 END";
}

QByteArray costOf(const Row& r) {
    return "coalesce(nullif(" + r + "CostoNum, " + kNoMoney + "), 0.0)";
}

// The columns that add up: what one row adds to each, and the same over many rows as the
// database adds it up fastest.
struct Summed {
    const char* column;
    const char* type;
    QByteArray (*of)(const Row&);
    QByteArray (*total)();
};

const Summed kSummed[] = {
    {"Sesiones", "INTEGER", [](const Row&) { return QByteArray("1"); },
     [] { return QByteArray("count(*)"); }},
    {"Segundos", "INTEGER", [](const Row& r) { return "max(" + r + "DuracionSeg, 0)"; },
     [] { return QByteArray("total(max(DuracionSeg, 0))"); }},
    {"Costo", "REAL", costOf,
     [] { return "total(nullif(CostoNum, " + QByteArray(kNoMoney) + "))"; }},
    {"ConRecibidos", "INTEGER", [](const Row& r) { return counted(r, "RecibidosNum"); },
     [] { return QByteArray("count(nullif(RecibidosNum, -1))"); }},
    {"Recibidos", "INTEGER", [](const Row& r) { return bytesOf(r, "RecibidosNum"); },
     [] { return QByteArray("total(nullif(RecibidosNum, -1))"); }},
    {"ConEnviados", "INTEGER", [](const Row& r) { return counted(r, "EnviadosNum"); },
     [] { return QByteArray("count(nullif(EnviadosNum, -1))"); }},
    {"Enviados", "INTEGER", [](const Row& r) { return bytesOf(r, "EnviadosNum"); },
     [] { return QByteArray("total(nullif(EnviadosNum, -1))"); }},
};

// The day's latest session: the latest start, the later row of two at the same second
// (rowids stay below 2^40).
QByteArray lastKey(const Row& r) {
    return r + "InicioSeg * 1099511627776 + " + r + "rowid";
}

QByteArray lastTotalCost(const Row& r) {
    return "nullif(" + r + "CostoAcumNum, " + kNoMoney + ")";
}

QByteArray noDay() {
    return QByteArray::number(kNoDay);
}

// What a day's reader takes, then the day's latest session's place.
QByteArray columns(bool withPlace = true) {
    QByteArray list = "Dia";
    for (const Summed& s : kSummed) list += QByteArray(", ") + s.column;
    return list + ", CostoUltima, InicioUltima" + (withPlace ? ", Ultima" : "");
}

// The rows `where` picks added up per day, in the table's columns. The bare CostoAcumNum
// and InicioSeg come from the row max() picks.
QByteArray totalsOfRows(const QByteArray& where) {
    QByteArray sql = "SELECT Dia";
    for (const Summed& s : kSummed) sql += ", " + s.total();
    return sql + ", " + lastTotalCost({}) + ", InicioSeg, max(" + lastKey({}) + ") FROM Historial" +
           " WHERE " + where + " GROUP BY Dia";
}

// Values this large may have made a day's sum a floating-point one, from which a row is
// not taken back exactly: their day is added up again from its rows.
QByteArray ordinary(const Row& r) {
    return "abs(" + costOf(r) + ") < 1e9 AND " + r + "DuracionSeg < 1e12 AND " + r +
           "RecibidosNum BETWEEN -1e15 AND 1e15 AND " + r + "EnviadosNum BETWEEN -1e15 AND 1e15";
}

QByteArray insertTrigger() {
    QByteArray values = "NEW.Dia", update;
    for (const Summed& s : kSummed) {
        values += ", " + s.of("NEW.");
        update += QByteArray(s.column) + " = " + s.column + " + excluded." + s.column + ", ";
    }
    // Every right-hand side reads the row as it was.
    return "CREATE TRIGGER HistorialDiarioAlta AFTER INSERT ON Historial WHEN NEW.Dia <> " +
           noDay() + " BEGIN INSERT INTO HistorialDiario (" + columns() + ") VALUES (" + values +
           ", " + lastTotalCost("NEW.") + ", NEW.InicioSeg, " + lastKey("NEW.") +
           ") ON CONFLICT (Dia) DO UPDATE SET " + update +
           "CostoUltima = CASE WHEN excluded.Ultima > Ultima THEN excluded.CostoUltima ELSE "
           "CostoUltima END, InicioUltima = CASE WHEN excluded.Ultima > Ultima THEN "
           "excluded.InicioUltima ELSE InicioUltima END, Ultima = max(Ultima, excluded.Ultima); "
           "END";
}

// Deletes the totals of `days` where `when` holds, then adds up from the history's rows
// each of those days that has no totals left.
QByteArray addUpAgain(const QByteArray& days, const QByteArray& when) {
    return "DELETE FROM HistorialDiario WHERE Dia IN (" + days + ") AND (" + when +
           "); INSERT INTO HistorialDiario (" + columns() + ") " +
           totalsOfRows("Dia IN (" + days + ") AND Dia <> " + noDay() +
                        " AND NOT EXISTS (SELECT 1 FROM HistorialDiario AS d WHERE d.Dia = "
                        "Historial.Dia)") +
           "; ";
}

QByteArray deleteTrigger() {
    QByteArray update;
    for (const Summed& s : kSummed)
        update += QByteArray(update.isEmpty() ? "" : ", ") + s.column + " = " + s.column + " - (" +
                  s.of("OLD.") + ")";
    // The row comes out of its day's sums, unless it was the day's latest session: which
    // one follows it only the day's rows can say. The update leaves Ultima as it was.
    const QByteArray last = "Ultima IS " + lastKey("OLD.");
    return "CREATE TRIGGER HistorialDiarioBaja AFTER DELETE ON Historial WHEN OLD.Dia <> " +
           noDay() + " BEGIN UPDATE HistorialDiario SET " + update +
           " WHERE Dia = OLD.Dia AND NOT (" + last + ") AND " + ordinary("OLD.") + "; " +
           addUpAgain("OLD.Dia", last + " OR NOT (" + ordinary("OLD.") + ")") + "END";
}

// Same day, same start, same row: the day's sums take the difference.
QByteArray inPlace() {
    return "OLD.Dia = NEW.Dia AND OLD.InicioSeg = NEW.InicioSeg AND OLD.rowid = NEW.rowid AND " +
           ordinary("OLD.") + " AND " + ordinary("NEW.");
}

QByteArray updateTrigger() {
    QByteArray update;
    for (const Summed& s : kSummed)
        update += QByteArray(s.column) + " = " + s.column + " + ((" + s.of("NEW.") + ") - (" +
                  s.of("OLD.") + ")), ";
    return "CREATE TRIGGER HistorialDiarioCambio AFTER UPDATE ON Historial WHEN OLD.Dia <> " +
           noDay() + " AND " + inPlace() + " BEGIN UPDATE HistorialDiario SET " + update +
           "CostoUltima = CASE WHEN Ultima = " + lastKey("NEW.") + " THEN " +
           lastTotalCost("NEW.") + " ELSE CostoUltima END WHERE Dia = NEW.Dia; END";
}

// Anything else (a date or a start changed) adds up both days again.
QByteArray moveTrigger() {
    return "CREATE TRIGGER HistorialDiarioMudanza AFTER UPDATE ON Historial WHEN (OLD.Dia <> " +
           noDay() + " OR NEW.Dia <> " + noDay() + ") AND NOT (" + inPlace() + ") BEGIN " +
           addUpAgain("OLD.Dia, NEW.Dia", "1") + "END";
}

// The number of rows, kept as the days are: reading it does not walk a million rows.
constexpr const char* kRowCountTriggers[] = {
    "CREATE TRIGGER HistorialCuentaAlta AFTER INSERT ON Historial BEGIN "
    "UPDATE HistorialCuenta SET Filas = Filas + 1; END",
    "CREATE TRIGGER HistorialCuentaBaja AFTER DELETE ON Historial BEGIN "
    "UPDATE HistorialCuenta SET Filas = Filas - 1; END",
};

std::optional<std::uint64_t> queryCount(sqlite3* db, const char* sql) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    std::optional<std::uint64_t> count;
    if (st && sqlite3_step(st) == SQLITE_ROW)
        count = static_cast<std::uint64_t>(sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    return count;
}

bool exec(sqlite3* db, const QByteArray& sql) {
    return sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

// A sum read back as a count; one beyond the range stops at its end.
std::int64_t whole(double sum) {
    constexpr double kMost = 9.2e18;  // below the largest count, as a double
    if (std::isnan(sum)) return 0;
    if (sum >= kMost) return std::numeric_limits<std::int64_t>::max();
    if (sum <= -kMost) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(sum);
}

}  // namespace

bool createDayTotals(sqlite3* db) {
    QByteArray table = "CREATE TABLE HistorialDiario (Dia INTEGER PRIMARY KEY";
    for (const Summed& s : kSummed) table += QByteArray(", ") + s.column + ' ' + s.type;
    table += ", CostoUltima REAL, InicioUltima INTEGER, Ultima INTEGER)";
    return dropDayTotals(db) && exec(db, table) &&
           exec(db, "INSERT INTO HistorialDiario (" + columns() + ") " +
                        totalsOfRows("Dia > " + noDay())) &&
           exec(db, insertTrigger()) && exec(db, deleteTrigger()) && exec(db, updateTrigger()) &&
           exec(db, moveTrigger()) && exec(db, "CREATE TABLE HistorialCuenta (Filas INTEGER)") &&
           exec(db, "INSERT INTO HistorialCuenta SELECT count(*) FROM Historial") &&
           exec(db, kRowCountTriggers[0]) && exec(db, kRowCountTriggers[1]);
}

bool dropDayTotals(sqlite3* db) {
    bool ok = exec(db, "DROP TABLE IF EXISTS HistorialDiario") &&
              exec(db, "DROP TABLE IF EXISTS HistorialCuenta");
    for (const char* name :
         {"HistorialDiarioAlta", "HistorialDiarioBaja", "HistorialDiarioCambio",
          "HistorialDiarioMudanza", "HistorialCuentaAlta", "HistorialCuentaBaja"})
        ok = ok && exec(db, QByteArray("DROP TRIGGER IF EXISTS ") + name);
    return ok;
}

std::optional<bool> keepsDayTotals(sqlite3* db) {
    const auto tables = queryCount(
        db, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'HistorialDiario'");
    if (!tables) return std::nullopt;
    return *tables > 0;
}

bool deleteEverySession(sqlite3* db) {
    // With no delete trigger SQLite drops the table's pages at once rather than deleting a
    // row at a time, a minute for a million rows; the triggers are back before the commit.
    return exec(db, "DROP TRIGGER IF EXISTS HistorialDiarioBaja") &&
           exec(db, "DROP TRIGGER IF EXISTS HistorialCuentaBaja") &&
           exec(db, "DELETE FROM Historial") && exec(db, "DELETE FROM HistorialDiario") &&
           exec(db, "UPDATE HistorialCuenta SET Filas = 0") && exec(db, deleteTrigger()) &&
           exec(db, kRowCountTriggers[1]);
}

std::optional<std::uint64_t> storedRows(sqlite3* db) {
    // A file from before the kept count is counted row by row.
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT Filas FROM HistorialCuenta", -1, &st, nullptr) != SQLITE_OK)
        return queryCount(db, "SELECT count(*) FROM Historial");
    std::optional<std::uint64_t> rows;
    if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_type(st, 0) == SQLITE_INTEGER)
        rows = static_cast<std::uint64_t>(std::max<sqlite3_int64>(0, sqlite3_column_int64(st, 0)));
    sqlite3_finalize(st);
    return rows;
}

bool forEachStoredDay(sqlite3* db, bool kept, const std::function<void(const StoredDay&)>& visit,
                      std::int64_t fromDay, std::int64_t toDay) {
    const QByteArray sql =
        kept ? "SELECT " + columns(false) + " FROM HistorialDiario WHERE Dia BETWEEN ?1 AND ?2"
             : totalsOfRows("Dia > " + noDay() + " AND Dia BETWEEN ?1 AND ?2");
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, (sql + " ORDER BY Dia").constData(), -1, &st, nullptr) != SQLITE_OK)
        return false;
    sqlite3_bind_int64(st, 1, fromDay);
    sqlite3_bind_int64(st, 2, toDay);
    const auto sum = [st](int column) { return whole(sqlite3_column_double(st, column)); };
    const auto bytes = [&](int countColumn) -> std::optional<std::int64_t> {
        if (sum(countColumn) == 0) return std::nullopt;
        return sum(countColumn + 1);
    };
    int rc;
    StoredDay d;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        d.day = sqlite3_column_int64(st, 0);
        d.sessions = sum(1);
        d.seconds = sum(2);
        d.cost = sqlite3_column_double(st, 3);
        d.received = bytes(4);
        d.sent = bytes(6);
        d.lastTotalCost = sqlite3_column_double(st, 8);
        d.lastStart = sqlite3_column_int64(st, 9);
        visit(d);
    }
    sqlite3_finalize(st);
    return rc == SQLITE_DONE;
}

bool readStoredDays(sqlite3* db, bool kept, std::vector<StoredDay>& out, std::int64_t fromDay,
                    std::int64_t toDay) {
    out.clear();
    if (kept) {
        // A row a day at most: room for all at once rather than for twice as many, again
        // and again. The first and last day are found in the key, without a walk.
        sqlite3_stmt* span = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT (SELECT max(Dia) FROM HistorialDiario WHERE Dia <= ?2) - "
                           "(SELECT min(Dia) FROM HistorialDiario WHERE Dia >= ?1) + 1",
                           -1, &span, nullptr);
        sqlite3_bind_int64(span, 1, fromDay);
        sqlite3_bind_int64(span, 2, toDay);
        if (span && sqlite3_step(span) == SQLITE_ROW && sqlite3_column_int64(span, 0) > 0)
            out.reserve(static_cast<size_t>(sqlite3_column_int64(span, 0)));
        sqlite3_finalize(span);
    }
    return forEachStoredDay(
        db, kept, [&out](const StoredDay& d) { out.push_back(d); }, fromDay, toDay);
}

}  // namespace lt
