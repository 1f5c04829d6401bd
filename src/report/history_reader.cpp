#include "report/history_reader.h"

#include <sqlite3.h>

#include <QFileInfo>
#include <QUrl>
#include <memory>

#include "stats/statistics.h"

namespace lt {

namespace {

// Long enough to wait out a writer that holds the whole file (a database still in
// rollback-journal mode); a WAL writer never blocks a reader.
constexpr int kBusyTimeoutMs = 5000;

struct CloseDatabase {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

QString sqliteError(sqlite3* db, const QString& path) {
    return QStringLiteral("cannot read %1: %2").arg(path, QString::fromUtf8(sqlite3_errmsg(db)));
}

// A URI, so that the file is opened read-only however its name is spelt ('?', '#', '%').
QByteArray fileUri(const QString& path) {
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded();
}

Statement prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    return Statement(st);
}

QString textOf(sqlite3_stmt* st, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(st, column)) : QString();
}

// Read as the statistics read the grid's texts: digits only, anything else not counted.
std::optional<std::int64_t> bytesAt(sqlite3_stmt* st, int column) {
    if (sqlite3_column_type(st, column) == SQLITE_NULL) return std::nullopt;
    return bytesOf(textOf(st, column));
}

struct Columns {
    bool table = false;
    bool bytes = false;
};

std::optional<Columns> historyColumns(sqlite3* db) {
    Statement st = prepare(db, "SELECT name FROM pragma_table_info('Historial')");
    if (!st) return std::nullopt;
    Columns c;
    int received = 0, sent = 0, rc = 0;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        c.table = true;
        const QString name = textOf(st.get(), 0);
        if (name.compare(u"BytesRecibidos", Qt::CaseInsensitive) == 0) ++received;
        if (name.compare(u"BytesEnviados", Qt::CaseInsensitive) == 0) ++sent;
    }
    if (rc != SQLITE_DONE) return std::nullopt;
    c.bytes = received == 1 && sent == 1;
    return c;
}

// Fills reading from the file opened with the URI parameters given; the SQLite result
// code of a failure, SQLITE_OK otherwise.
int readFrom(const QString& path, const char* parameters, bool byDay, HistoryReading& reading) {
    const auto failed = [&](sqlite3* db) {
        reading.rows.clear();
        reading.days.clear();
        reading.error = sqliteError(db, path);
        return sqlite3_extended_errcode(db);
    };
    sqlite3* raw = nullptr;
    const QByteArray uri = fileUri(path) + '?' + parameters;
    const int opened =
        sqlite3_open_v2(uri.constData(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    const Database db(raw);
    if (opened != SQLITE_OK) return failed(db.get());
    sqlite3_extended_result_codes(db.get(), 1);
    sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);

    const std::optional<Columns> columns = historyColumns(db.get());
    if (!columns) return failed(db.get());
    if (!columns->table) {
        reading.error = QStringLiteral("%1 holds no session history").arg(path);
        return SQLITE_OK;
    }
    bool days = false;
    if (byDay) {
        const std::optional<bool> kept = keepsDayTotals(db.get());
        if (!kept) return failed(db.get());
        days = *kept;
    }
    // The days and the rows beside them as of one moment, whatever is written meanwhile.
    if (days && (sqlite3_exec(db.get(), "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK ||
                 !readStoredDays(db.get(), true, reading.days)))
        return failed(db.get());
    // Where the database cannot read a date, this program's own reading may: a date
    // written by hand as "1/2/2026" still counts in its day.
    QByteArray sql = "SELECT fecha, HoraInicio, HoraFinalizacion, TiempoConexion, costo";
    if (columns->bytes) sql += ", BytesRecibidos, BytesEnviados";
    sql += " FROM Historial";
    if (days) sql += " WHERE Dia = " + QByteArray::number(kNoDay);
    Statement st = prepare(db.get(), (sql + " ORDER BY rowid").constData());
    if (!st) return failed(db.get());
    int rc = 0;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        StoredRow row{textOf(st.get(), 0), textOf(st.get(), 1), textOf(st.get(), 2),
                      textOf(st.get(), 3), textOf(st.get(), 4), std::nullopt,
                      std::nullopt};
        if (columns->bytes) {
            row.received = bytesAt(st.get(), 5);
            row.sent = bytesAt(st.get(), 6);
        }
        reading.rows.push_back(std::move(row));
    }
    return rc == SQLITE_DONE ? SQLITE_OK : failed(db.get());
}

}  // namespace

HistoryReading readHistory(const QString& path, bool byDay) {
    HistoryReading reading;
    if (!QFileInfo(path).isFile()) {
        reading.error = QStringLiteral("no history database at %1").arg(path);
        return reading;
    }
    const int code = readFrom(path, "mode=ro", byDay, reading);
    // A WAL file wants a shared-memory file beside it, which a read-only folder (a backup
    // on read-only media) cannot take. With no WAL file left, nothing is missing from the
    // database itself: read it as a file that does not change.
    if ((code & 0xff) == SQLITE_READONLY && !QFileInfo::exists(path + QStringLiteral("-wal"))) {
        reading = {};
        readFrom(path, "mode=ro&immutable=1", byDay, reading);
    }
    return reading;
}

}  // namespace lt
