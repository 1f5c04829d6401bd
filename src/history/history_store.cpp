#include "history/history_store.h"

#include <sqlite3.h>

#include <QByteArrayView>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>

namespace lt {

namespace {

// max(rowid) only sizes the reservation; a hand-edited rowid must not allocate gigabytes.
constexpr sqlite3_int64 kMaxReserve = 10'000'000;
constexpr int kFieldCount = SessionRecord::kColumns;
constexpr int kTextFields = 6;  // the rest are integers
// One connection, used from one thread: no locking inside the library.
constexpr int kOpenFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;

// The six texts of every earlier version, then what later versions added.
constexpr const char* kCreateTable =
    "CREATE TABLE IF NOT EXISTS Historial (fecha TEXT, HoraInicio TEXT, HoraFinalizacion TEXT, "
    "TiempoConexion TEXT, costo TEXT, CostoAcumulado TEXT, IdSesion INTEGER, "
    "BytesRecibidos INTEGER, BytesEnviados INTEGER)";
constexpr const char* kIdIndex =
    "CREATE UNIQUE INDEX IF NOT EXISTS HistorialIdSesion ON Historial (IdSesion)";
// A session already stored under its id (a crash after the commit) is not stored twice.
constexpr const char* kInsert =
    "INSERT OR IGNORE INTO Historial (fecha, HoraInicio, HoraFinalizacion, TiempoConexion, "
    "costo, CostoAcumulado, BytesRecibidos, BytesEnviados, IdSesion) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)";
constexpr const char* kSelectAll =
    "SELECT fecha, HoraInicio, HoraFinalizacion, TiempoConexion, costo, CostoAcumulado, "
    "BytesRecibidos, BytesEnviados FROM Historial ORDER BY rowid";

// The values the texts stand for, worked out by the database from the texts alone (so
// that any program may still write the six texts) and kept only in the indexes. A text
// that does not read as its kind gets a value below every real one, as it sorts (kNoDay,
// kNoMoney).
QByteArray timeSeconds(const char* column) {
    const QByteArray t(column);
    return "CASE WHEN " + t + " GLOB '[0-2][0-9]:[0-5][0-9]:[0-5][0-9]' AND substr(" + t +
           ",1,2) < '24' THEN substr(" + t + ",1,2)*3600 + substr(" + t + ",4,2)*60 + substr(" + t +
           ",7,2) ELSE -1 END";
}

QByteArray dayNumber() {
    // "dd/MM/yyyy" counted in days from 01/01/1970 by the proleptic Gregorian calendar.
    const QByteArray y = "CAST(substr(fecha,7,4) AS INTEGER)";
    const QByteArray m = "CAST(substr(fecha,4,2) AS INTEGER)";
    const QByteArray d = "CAST(substr(fecha,1,2) AS INTEGER)";
    const QByteArray yy = "(" + y + " - (" + m + " <= 2))";
    const QByteArray yoe = "(" + yy + " % 400)";
    const QByteArray leap = "((" + y + " % 4 = 0 AND " + y + " % 100 <> 0) OR " + y + " % 400 = 0)";
    const QByteArray monthDays = "CASE " + m + " WHEN 2 THEN 28 + " + leap +
                                 " WHEN 4 THEN 30 WHEN 6 THEN 30 WHEN 9 THEN 30 WHEN 11 THEN 30 "
                                 "ELSE 31 END";
    return "CASE WHEN fecha GLOB '[0-3][0-9]/[01][0-9]/[0-9][0-9][0-9][0-9]' AND " + m +
           " BETWEEN 1 AND 12 AND " + d + " BETWEEN 1 AND " + monthDays + " AND " + y +
           " >= 1 THEN (" + yy + " / 400) * 146097 + " + yoe + " * 365 + " + yoe + " / 4 - " + yoe +
           " / 100 + (153 * ((" + m + " + 9) % 12) + 2) / 5 + " + d + " - 1 - 719468 ELSE " +
           QByteArray::number(kNoDay) + " END";
}

QByteArray durationSeconds() {
    const QByteArray hours = "substr(TiempoConexion,1,length(TiempoConexion)-6)";
    return "CASE WHEN TiempoConexion GLOB '*[0-9]:[0-5][0-9]:[0-5][0-9]' AND "
           "length(TiempoConexion) "
           ">= 7 AND " +
           hours + " NOT GLOB '*[^0-9]*' THEN CAST(" + hours +
           " AS INTEGER)*3600 + substr(TiempoConexion,-5,2)*60 + substr(TiempoConexion,-2,2) "
           "ELSE -1 END";
}

QByteArray money(const char* column) {
    const QByteArray c(column);
    return "CASE WHEN " + c + " GLOB '*[0-9]*' AND " + c + " NOT GLOB '*[^0-9.eE+-]*' THEN CAST(" +
           c + " AS REAL) ELSE " + kNoMoney + " END";
}

struct ValueColumn {
    const char* name;
    QByteArray (*expression)();
};

// One for each column of the grid, in its order.
const ValueColumn kValueColumns[kFieldCount] = {
    {"Dia", dayNumber},
    {"InicioSeg", [] { return timeSeconds("HoraInicio"); }},
    {"FinSeg", [] { return timeSeconds("HoraFinalizacion"); }},
    {"DuracionSeg", durationSeconds},
    {"CostoNum", [] { return money("costo"); }},
    {"CostoAcumNum", [] { return money("CostoAcumulado"); }},
    {"RecibidosNum", [] { return QByteArray("coalesce(BytesRecibidos, -1)"); }},
    {"EnviadosNum", [] { return QByteArray("coalesce(BytesEnviados, -1)"); }},
};

// Schema 4's index for adding up days: SQLite still visits the table for the worked-out
// columns, so it only cost room and inserts, and the day totals took its place.
constexpr const char* kDropDaysIndex = "DROP INDEX IF EXISTS HistorialDias";

// A column's bytes; NULL (or a conversion that ran out of memory) reads as empty.
QByteArrayView columnText(sqlite3_stmt* st, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
    return text ? QByteArrayView(text, sqlite3_column_bytes(st, column)) : QByteArrayView();
}

QString SessionRecord::*const kFields[kFieldCount] = {
    &SessionRecord::fecha,          &SessionRecord::HoraInicio,   &SessionRecord::HoraFinalizacion,
    &SessionRecord::TiempoConexion, &SessionRecord::costo,        &SessionRecord::CostoAcumulado,
    &SessionRecord::BytesRecibidos, &SessionRecord::BytesEnviados};

// The texts of a large history share few allocations: each QString holds a reference
// to a block and points at its own part of it, which ends in its own terminator. That
// saves an allocation per text and two fifths of the memory a million records take; a
// text changed later detaches as any shared QString does.
class TextBlocks {
  public:
    QString add(QByteArrayView utf8) {
        if (utf8.isEmpty()) return {};
        const qsizetype need = decoder_.requiredSpace(utf8.size()) + 1;
        if (need > room_) {
            const auto [header, data] = QTypedArrayData<char16_t>::allocate(std::max(need, kUnits));
            Q_CHECK_PTR(header);
            block_ = QString::DataPointer(header, data);
            free_ = data;
            room_ = header->allocatedCapacity();
        }
        // Nearly every text is ASCII, which widens without the decoder's detour.
        char16_t* end = free_;
        for (const char c : utf8) {
            if (c & 0x80) {
                end = reinterpret_cast<char16_t*>(
                    decoder_.appendToBuffer(reinterpret_cast<QChar*>(free_), utf8));
                break;
            }
            *end++ = static_cast<char16_t>(c);
        }
        *end = u'\0';
        QString::DataPointer text = block_;
        text.ptr = free_;
        text.size = end - free_;
        room_ -= end + 1 - free_;
        free_ = end + 1;
        return QString(std::move(text));
    }

  private:
    static constexpr qsizetype kUnits = 8192;
    QStringDecoder decoder_{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                      QStringDecoder::Flag::ConvertInitialBom};
    QString::DataPointer block_;
    char16_t* free_ = nullptr;
    qsizetype room_ = 0;
};

class Statement {
  public:
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &st_, nullptr); }
    ~Statement() { sqlite3_finalize(st_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    explicit operator bool() const { return st_ != nullptr; }
    sqlite3_stmt* get() const { return st_; }

  private:
    sqlite3_stmt* st_ = nullptr;
};

std::optional<sqlite3_int64> queryInt(sqlite3* db, const char* sql) {
    Statement st(db, sql);
    if (!st || sqlite3_step(st.get()) != SQLITE_ROW) return std::nullopt;
    return sqlite3_column_int64(st.get(), 0);
}

bool exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

void rollback(sqlite3* db) {
    if (!sqlite3_get_autocommit(db)) exec(db, "ROLLBACK");
}

bool hasColumn(sqlite3* db, const char* table, const char* column) {
    // xinfo: the worked-out columns are hidden from table_info.
    const QByteArray sql = QByteArray("PRAGMA table_xinfo(") + table + ')';
    Statement st(db, sql.constData());
    while (st && sqlite3_step(st.get()) == SQLITE_ROW)
        if (columnText(st.get(), 1) == QByteArrayView(column)) return true;
    return false;
}

bool isDamage(int code) {
    return code == SQLITE_NOTADB || code == SQLITE_CORRUPT;
}

}  // namespace

SessionRecord SessionRecord::fromRow(const QStringList& row) {
    const auto at = [&row](qsizetype i) { return i < row.size() ? row[i] : QString(); };
    return {at(0), at(1), at(2), at(3), at(4), at(5), at(6), at(7)};
}

HistoryStore::HistoryStore(QString dbPath, int busyTimeoutMs)
    : path_(std::move(dbPath)), busyTimeoutMs_(std::max(busyTimeoutMs, 0)) {}

HistoryStore::~HistoryStore() {
    closeDatabase();
}

void HistoryStore::setBusyTimeout(int ms) {
    busyTimeoutMs_ = std::max(ms, 0);
    if (db_) sqlite3_busy_timeout(db_, busyTimeoutMs_);
}

QString HistoryStore::takeSetAside() {
    return std::exchange(setAside_, QString());
}

bool HistoryStore::takeRecreated() {
    return std::exchange(recreated_, false);
}

bool HistoryStore::open() {
    return ensureOpen() && !readOnly_;
}

bool HistoryStore::sameFileAsOpened() const {
    int moved = 0;
    return sqlite3_file_control(db_, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK &&
           moved == 0;
}

bool HistoryStore::ensureOpen() {
    if (db_ && !readOnly_ && !sameFileAsOpened()) {
        // Deleted or replaced under us: what we would write there would be gone at the
        // next start.
        closeDatabase();
        recreated_ = true;
    }
    return db_ || openDatabase();
}

void HistoryStore::repairWalFiles() const {
    // SQLite makes its shared-memory and write-ahead files with the database's permissions
    // of that moment: a database made writable again would stay unusable behind read-only
    // ones.
    if (!QFileInfo(path_).isWritable()) return;
    for (const char* suffix : {"-shm", "-wal"}) {
        const QString file = path_ + QLatin1String(suffix);
        const QFileInfo info(file);
        if (info.exists() && !info.isWritable())
            QFile::setPermissions(file, QFile::permissions(path_));
    }
}

bool HistoryStore::openDatabase() {
    repairWalFiles();
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path_).constData(), &db, kOpenFlags, nullptr) !=
        SQLITE_OK) {
        error_ = QStringLiteral("cannot open %1: %2")
                     .arg(path_, db ? QString::fromUtf8(sqlite3_errmsg(db))
                                    : QStringLiteral("out of memory"));
        sqlite3_close(db);
        return false;
    }
    db_ = db;
    readOnly_ = false;
    sqlite3_busy_timeout(db_, busyTimeoutMs_);
    if (maxPagesForTesting_ > 0) {
        const QByteArray cap = "PRAGMA max_page_count = " + QByteArray::number(maxPagesForTesting_);
        queryInt(db_, cap.constData());
    }

    // Only reads until the file has shown itself to be a database.
    const auto hasTable = queryInt(
        db_, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'Historial'");
    const auto version = hasTable ? queryInt(db_, "PRAGMA user_version") : std::nullopt;
    if (!version) {
        const int code = sqlite3_errcode(db_);
        fail(QStringLiteral("cannot read %1").arg(path_));
        closeDatabase();
        // A damaged file is kept under another name and the history starts again.
        return isDamage(code) && setAsideDamaged() && openDatabase();
    }
    if (*version > kSchemaVersion) {
        // A later version's history: show it, never write to it.
        exec(db_, "PRAGMA query_only = ON");
        readOnly_ = true;
        dayTotals_ = keepsDayTotals(db_).value_or(false);
        error_ = QStringLiteral(
                     "%1 was written by a newer version of LinkTally (schema %2); "
                     "it is shown but not changed")
                     .arg(path_)
                     .arg(*version);
        return true;
    }
    // Either may fail (a read-only file, a file system without shared memory); the
    // history then works in the file's own journal mode.
    exec(db_, "PRAGMA journal_mode = WAL");
    exec(db_, "PRAGMA synchronous = FULL");
    // Each insert that fires a trigger keeps a statement journal of the pages it changes:
    // in memory rather than in a temporary file, which made storing many sessions at once
    // several times slower.
    exec(db_, "PRAGMA temp_store = MEMORY");

    // A file that cannot be written keeps its earlier schema while it is read, as long as
    // it can be read: writing reopens it, and upgrades it once it can be written.
    const bool upgrade = *hasTable == 0 || *version < kSchemaVersion;
    const bool readAsItIs = upgrade && *hasTable != 0 && sqlite3_db_readonly(db_, "main") == 1 &&
                            hasColumn(db_, "Historial", "Dia");
    if (upgrade && !readAsItIs && !prepareSchema(*hasTable != 0)) return false;
    dayTotals_ = keepsDayTotals(db_).value_or(false);
    if (sqlite3_prepare_v3(db_, kInsert, -1, SQLITE_PREPARE_PERSISTENT, &insert_, nullptr) !=
        SQLITE_OK) {
        // A table of another shape under our name: not ours to change.
        fail(QStringLiteral("cannot use the table Historial of %1").arg(path_));
        closeDatabase();
        return false;
    }
    return true;
}

bool HistoryStore::prepareSchema(bool hasTable) {
    const QByteArray mark = "PRAGMA user_version = " + QByteArray::number(kSchemaVersion);
    bool ok = exec(db_, "BEGIN IMMEDIATE") && exec(db_, kCreateTable);
    // Earlier versions and tables made by other programs get the new columns in place;
    // their rows keep their texts and have no byte counts.
    for (const char* column : {"IdSesion", "BytesRecibidos", "BytesEnviados"}) {
        if (!ok || !hasTable || hasColumn(db_, "Historial", column)) continue;
        const QByteArray add =
            QByteArray("ALTER TABLE Historial ADD COLUMN ") + column + " INTEGER";
        ok = exec(db_, add.constData());
    }
    for (const ValueColumn& v : kValueColumns) {
        if (!ok) break;
        if (!hasColumn(db_, "Historial", v.name)) {
            const QByteArray add = QByteArray("ALTER TABLE Historial ADD COLUMN ") + v.name +
                                   " GENERATED ALWAYS AS (" + v.expression() + ") VIRTUAL";
            ok = exec(db_, add.constData());
        }
        const QByteArray index = QByteArray("CREATE INDEX IF NOT EXISTS HistorialPor") + v.name +
                                 " ON Historial (" + v.name + ")";
        ok = ok && exec(db_, index.constData());
    }
    ok = ok && exec(db_, kDropDaysIndex) && exec(db_, kIdIndex) && createDayTotals(db_) &&
         exec(db_, mark.constData()) && exec(db_, "COMMIT");
    if (ok) return true;
    fail(QStringLiteral("cannot prepare %1").arg(path_));
    rollback(db_);
    closeDatabase();
    return false;
}

bool HistoryStore::setAsideDamaged() {
    // Dated by its last change, so that the name says which history it was.
    const QString stamp =
        QFileInfo(path_).lastModified().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = path_ + QStringLiteral(".damaged-") + stamp;
    for (int n = 2; QFile::exists(aside); ++n)
        aside = path_ + QStringLiteral(".damaged-%1-%2").arg(stamp).arg(n);
    if (!QFile::rename(path_, aside)) {
        error_ += QStringLiteral("; it could not be set aside");
        return false;
    }
    // Its journal belongs to it, not to the new history.
    for (const char* suffix : {"-wal", "-shm", "-journal"})
        if (QFile::exists(path_ + QLatin1String(suffix)))
            QFile::rename(path_ + QLatin1String(suffix), aside + QLatin1String(suffix));
    setAside_ = aside;
    return true;
}

void HistoryStore::closeDatabase() {
    sqlite3_finalize(insert_);
    insert_ = nullptr;
    sqlite3_close_v2(db_);
    db_ = nullptr;
    readOnly_ = false;
    dayTotals_ = false;
}

bool HistoryStore::ensureWritable() {
    // A connection opened (to read) while the file could not be written stays read-only
    // after the file can be written again.
    if (db_ && !readOnly_ && sqlite3_db_readonly(db_, "main") == 1) closeDatabase();
    return ensureOpen();
}

bool HistoryStore::store(const std::vector<StoredSession>& sessions) {
    if (sessions.empty()) return true;
    if (!ensureWritable()) return false;
    if (readOnly_) return false;  // error() says why
    const QString what = QStringLiteral("cannot store the session in %1").arg(path_);
    bool ok = exec(db_, "BEGIN IMMEDIATE");
    for (size_t i = 0; ok && i < sessions.size(); ++i) {
        const QStringList fields = sessions[i].record.toRow();
        for (int c = 0; c < kTextFields; ++c) {
            const QString& f = fields[c];
            sqlite3_bind_text16(insert_, c + 1, f.utf16(), static_cast<int>(f.size() * 2),
                                SQLITE_STATIC);
        }
        for (int c = kTextFields; c < kFieldCount; ++c) {
            bool counted = false;
            const qulonglong bytes = fields[c].toULongLong(&counted);
            if (counted && bytes <= static_cast<qulonglong>(INT64_MAX))
                sqlite3_bind_int64(insert_, c + 1, static_cast<sqlite3_int64>(bytes));
            else
                sqlite3_bind_null(insert_, c + 1);
        }
        sqlite3_bind_int64(insert_, kFieldCount + 1, static_cast<sqlite3_int64>(sessions[i].id));
        ok = sqlite3_step(insert_) == SQLITE_DONE;
        sqlite3_reset(insert_);
    }
    if (ok && exec(db_, "COMMIT")) return true;
    fail(what);
    rollback(db_);
    // Whatever went wrong (a lock, a full disk, a file made read-only), the next try
    // starts from a new connection.
    closeDatabase();
    return false;
}

bool HistoryStore::loadAll(std::vector<SessionRecord>& out) {
    out.clear();
    if (!ensureOpen()) return false;
    const QString what = QStringLiteral("cannot read %1").arg(path_);
    if (const auto last = queryInt(db_, "SELECT max(rowid) FROM Historial"))
        out.reserve(static_cast<size_t>(std::clamp<sqlite3_int64>(*last, 0, kMaxReserve)));
    Statement st(db_, kSelectAll);
    if (!st) return fail(what);
    TextBlocks texts;
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        SessionRecord& r = out.emplace_back();
        for (int c = 0; c < kFieldCount; ++c) r.*kFields[c] = texts.add(columnText(st.get(), c));
    }
    return rc == SQLITE_DONE || fail(what);
}

bool HistoryStore::costsBetween(std::int64_t fromDay, std::int64_t toDay,
                                std::vector<StoredCost>& out) {
    out.clear();
    if (!ensureOpen()) return false;
    Statement st(db_,
                 "SELECT rowid, fecha, HoraInicio, TiempoConexion, costo, CostoAcumulado "
                 "FROM Historial WHERE Dia BETWEEN ?1 AND ?2 ORDER BY rowid");
    if (!st) return fail(QStringLiteral("cannot read %1").arg(path_));
    sqlite3_bind_int64(st.get(), 1, fromDay);
    sqlite3_bind_int64(st.get(), 2, toDay);
    const auto text = [&st](int c) {
        const QByteArrayView t = columnText(st.get(), c);
        return QString::fromUtf8(t.data(), t.size());
    };
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW)
        out.push_back(
            {sqlite3_column_int64(st.get(), 0), text(1), text(2), text(3), text(4), text(5)});
    return rc == SQLITE_DONE || fail(QStringLiteral("cannot read %1").arg(path_));
}

bool HistoryStore::rewriteCosts(const std::vector<StoredCost>& costs) {
    if (!ensureWritable()) return false;
    const QString what = QStringLiteral("cannot change the costs in %1").arg(path_);
    if (readOnly_) {
        error_ = what + QStringLiteral(": it was written by a newer version of LinkTally");
        return false;
    }
    bool ok = exec(db_, "BEGIN IMMEDIATE");
    {
        Statement st(db_, "UPDATE Historial SET costo = ?1, CostoAcumulado = ?2 WHERE rowid = ?3");
        ok = ok && st;
        for (size_t i = 0; ok && i < costs.size(); ++i) {
            const QByteArray costo = costs[i].costo.toUtf8();
            const QByteArray acumulado = costs[i].CostoAcumulado.toUtf8();
            sqlite3_bind_text(st.get(), 1, costo.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st.get(), 2, acumulado.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(st.get(), 3, costs[i].rowid);
            ok = sqlite3_step(st.get()) == SQLITE_DONE;
            sqlite3_reset(st.get());
        }
    }
    if (ok && exec(db_, "COMMIT")) return true;
    fail(what);
    rollback(db_);
    closeDatabase();
    return false;
}

std::optional<std::int64_t> HistoryStore::count() {
    if (!ensureOpen()) return std::nullopt;
    const auto rows = storedRows(db_);
    const auto n =
        rows ? std::optional<std::int64_t>(static_cast<std::int64_t>(*rows)) : std::nullopt;
    if (!n) fail(QStringLiteral("cannot read %1").arg(path_));
    return n;
}

namespace {

RowPlace placeOf(sqlite3_stmt* st, int keyColumn, int rowidColumn) {
    RowPlace p;
    p.real = sqlite3_column_type(st, keyColumn) == SQLITE_FLOAT;
    if (p.real)
        p.realValue = sqlite3_column_double(st, keyColumn);
    else
        p.intValue = sqlite3_column_int64(st, keyColumn);
    p.rowid = sqlite3_column_int64(st, rowidColumn);
    return p;
}

void bindPlace(sqlite3_stmt* st, int at, const RowPlace& p) {
    if (p.real)
        sqlite3_bind_double(st, at, p.realValue);
    else
        sqlite3_bind_int64(st, at, p.intValue);
    sqlite3_bind_int64(st, at + 1, p.rowid);
}

QByteArray runQuery(HistoryOrder order, bool backwards, bool after) {
    const bool down = order.descending != backwards;
    const bool stored = order.column < 0 || order.column >= kFieldCount;
    const QByteArray key(stored ? "rowid" : kValueColumns[order.column].name);
    const QByteArray dir = down ? " DESC" : " ASC";
    QByteArray sql =
        "SELECT fecha, HoraInicio, HoraFinalizacion, TiempoConexion, costo, CostoAcumulado, "
        "BytesRecibidos, BytesEnviados, " +
        key + ", rowid FROM Historial";
    if (after)
        sql += stored ? QByteArray(down ? " WHERE rowid < ?2" : " WHERE rowid > ?2")
                      : " WHERE (" + key + ", rowid) " + (down ? "<" : ">") + " (?1, ?2)";
    sql += " ORDER BY " + key + dir;
    if (!stored) sql += ", rowid" + dir;
    return sql + " LIMIT ?3 OFFSET ?4";
}

}  // namespace

bool HistoryStore::readRun(HistoryOrder order, bool backwards, const RowPlace* after,
                           std::int64_t skip, int limit, HistoryRun& out) {
    out.cells.clear();
    out.places.clear();
    if (!ensureOpen()) return false;
    const QString what = QStringLiteral("cannot read %1").arg(path_);
    Statement st(db_, runQuery(order, backwards, after != nullptr).constData());
    if (!st) return fail(what);
    // The chart's run is thousands of rows: grown a row at a time, it copies itself often.
    const auto expected = static_cast<size_t>(std::clamp(limit, 0, 8192));
    out.cells.reserve(expected * kFieldCount);
    out.places.reserve(expected);
    if (after) bindPlace(st.get(), 1, *after);
    sqlite3_bind_int(st.get(), 3, limit);
    sqlite3_bind_int64(st.get(), 4, after ? 0 : std::max<std::int64_t>(skip, 0));
    // Texts of their own: the grid's callers keep and change a few, and a text that shares
    // a block would take the whole block's room with it when changed.
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        for (int c = 0; c < kFieldCount; ++c) {
            const QByteArrayView text = columnText(st.get(), c);
            out.cells.push_back(QString::fromUtf8(text.data(), text.size()));
        }
        out.places.push_back(placeOf(st.get(), kFieldCount, kFieldCount + 1));
    }
    return rc == SQLITE_DONE || fail(what);
}

bool HistoryStore::sessionsByDay(std::vector<StoredDay>& out, std::int64_t fromDay,
                                 std::int64_t toDay) {
    out.clear();
    if (!ensureOpen()) return false;
    return readStoredDays(db_, dayTotals_, out, fromDay, toDay) ||
           fail(QStringLiteral("cannot read %1").arg(path_));
}

bool HistoryStore::forEachDay(const std::function<void(const StoredDay&)>& visit) {
    if (!ensureOpen()) return false;
    return forEachStoredDay(db_, dayTotals_, visit) ||
           fail(QStringLiteral("cannot read %1").arg(path_));
}

bool HistoryStore::clear() {
    if (!ensureWritable()) return false;
    const QString what = QStringLiteral("cannot clear %1").arg(path_);
    if (readOnly_) {
        error_ = what + QStringLiteral(": it was written by a newer version of LinkTally");
        return false;
    }
    if (exec(db_, "BEGIN IMMEDIATE") &&
        (dayTotals_ ? deleteEverySession(db_) : exec(db_, "DELETE FROM Historial")) &&
        exec(db_, "COMMIT"))
        return true;
    fail(what);
    rollback(db_);
    closeDatabase();
    return false;
}

bool HistoryStore::copyTo(const QString& path) {
    if (!ensureOpen()) return false;
    Statement st(db_, "VACUUM INTO ?");
    const QByteArray target = QFile::encodeName(path);
    if (st) sqlite3_bind_text(st.get(), 1, target.constData(), -1, SQLITE_TRANSIENT);
    if (st && sqlite3_step(st.get()) == SQLITE_DONE) return true;
    return fail(QStringLiteral("cannot copy %1 to %2").arg(path_, path));
}

bool HistoryStore::setMaxPageCountForTesting(int pages) {
    maxPagesForTesting_ = pages;
    if (!ensureOpen()) return false;
    const QByteArray sql = "PRAGMA max_page_count = " + QByteArray::number(pages);
    return queryInt(db_, sql.constData()).has_value();
}

bool HistoryStore::fail(const QString& what) {
    error_ = what + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(db_));
    return false;
}

}  // namespace lt
