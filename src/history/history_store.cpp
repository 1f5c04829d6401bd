#include "history/history_store.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>

#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace lt {

namespace {

// max(rowid) only sizes the reservation; a hand-edited rowid must not allocate gigabytes.
constexpr sqlite3_int64 kMaxReserve = 10'000'000;
// A checkpoint holds one record; anything larger is not one of ours.
constexpr qint64 kMaxCheckpointBytes = 64 * 1024;
constexpr int kFieldCount = 6;
// One connection, used from one thread: no locking inside the library.
constexpr int kOpenFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;

constexpr const char* kCreateTable =
    "CREATE TABLE IF NOT EXISTS Historial (fecha TEXT, HoraInicio TEXT, HoraFinalizacion TEXT, "
    "TiempoConexion TEXT, costo TEXT, CostoAcumulado TEXT)";
constexpr const char* kInsert =
    "INSERT INTO Historial (fecha, HoraInicio, HoraFinalizacion, TiempoConexion, costo, "
    "CostoAcumulado) VALUES (?, ?, ?, ?, ?, ?)";
constexpr const char* kSelectAll =
    "SELECT fecha, HoraInicio, HoraFinalizacion, TiempoConexion, costo, CostoAcumulado "
    "FROM Historial ORDER BY rowid";

// A column's bytes; NULL (or a conversion that ran out of memory) reads as empty.
QByteArrayView columnText(sqlite3_stmt* st, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
    return text ? QByteArrayView(text, sqlite3_column_bytes(st, column)) : QByteArrayView();
}

QString SessionRecord::*const kFields[kFieldCount] = {
    &SessionRecord::fecha,          &SessionRecord::HoraInicio, &SessionRecord::HoraFinalizacion,
    &SessionRecord::TiempoConexion, &SessionRecord::costo,      &SessionRecord::CostoAcumulado};

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

// Pending and checkpoint files: one record per line, six UTF-8 fields separated by
// tabs, with backslash escapes for tab, newline, carriage return and backslash.
void appendEscaped(QByteArray& out, const QString& field) {
    for (const char c : field.toUtf8()) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
}

QByteArray encodeLines(const std::vector<SessionRecord>& records) {
    QByteArray out;
    for (const SessionRecord& r : records) {
        const QStringList fields = r.toRow();
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0) out += '\t';
            appendEscaped(out, fields[i]);
        }
        out += '\n';
    }
    return out;
}

// One line without its newline; nothing unless it is six well-formed fields.
std::optional<SessionRecord> decodeLine(QByteArrayView line) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QStringList fields;
    QByteArray field;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            fields << utf8(field);
            field.clear();
        } else if (c != '\\') {
            field += c;
        } else if (++i < line.size()) {
            switch (line[i]) {
                case '\\':
                    field += '\\';
                    break;
                case 't':
                    field += '\t';
                    break;
                case 'n':
                    field += '\n';
                    break;
                case 'r':
                    field += '\r';
                    break;
                default:
                    return std::nullopt;
            }
        } else {
            return std::nullopt;
        }
    }
    fields << utf8(field);
    if (fields.size() != kFieldCount || utf8.hasError()) return std::nullopt;
    return SessionRecord::fromRow(fields);
}

// Every complete line; a last line without its newline is a write cut short and is
// not a record.
std::vector<SessionRecord> decodeLines(QByteArrayView bytes) {
    std::vector<SessionRecord> records;
    qsizetype start = 0;
    for (qsizetype end; (end = bytes.indexOf('\n', start)) >= 0; start = end + 1)
        if (auto r = decodeLine(bytes.sliced(start, end - start))) records.push_back(*r);
    return records;
}

std::vector<SessionRecord> readPending(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return decodeLines(f.readAll());
}

// Makes a file's creation or rename in this directory survive a power cut.
void syncDirectory(const QString& filePath) {
    const int fd = ::open(QFile::encodeName(QFileInfo(filePath).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

SessionRecord SessionRecord::fromRow(const QStringList& row) {
    const auto at = [&row](qsizetype i) { return i < row.size() ? row[i] : QString(); };
    return {at(0), at(1), at(2), at(3), at(4), at(5)};
}

HistoryStore::HistoryStore(QString dbPath, int busyTimeoutMs)
    : path_(std::move(dbPath)),
      pendingPath_(path_ + QLatin1String(".pending")),
      checkpointPath_(path_ + QLatin1String(".running")),
      busyTimeoutMs_(std::max(busyTimeoutMs, 0)) {}

HistoryStore::~HistoryStore() {
    closeDatabase();
}

void HistoryStore::setBusyTimeout(int ms) {
    busyTimeoutMs_ = std::max(ms, 0);
    if (db_) sqlite3_busy_timeout(db_, busyTimeoutMs_);
}

bool HistoryStore::open() {
    if (db_ && readOnly_) return false;  // error() still says why
    if (!db_ && !openDatabase()) return false;
    return store({});
}

bool HistoryStore::openDatabase() {
    const QString name = QFileInfo(path_).fileName();
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

    // Only reads until the file has shown itself to be a database: whatever else it
    // is stays as it was, byte for byte.
    const auto hasTable = queryInt(
        db_, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'Historial'");
    const auto version = hasTable ? queryInt(db_, "PRAGMA user_version") : std::nullopt;
    if (!version) {
        fail(QStringLiteral("cannot read %1").arg(path_));
        closeDatabase();
        return false;
    }
    if (*version > kSchemaVersion) {
        // A later version's history: show it, never write to it.
        exec(db_, "PRAGMA query_only = ON");
        readOnly_ = true;
        error_ = QStringLiteral(
                     "%1 was written by a newer version of LinkTally (schema %2); "
                     "it is shown but not changed")
                     .arg(name)
                     .arg(*version);
        return false;
    }
    // Either may fail (a read-only file, a file system without shared memory); the
    // history then works in the file's own journal mode.
    exec(db_, "PRAGMA journal_mode = WAL");
    exec(db_, "PRAGMA synchronous = FULL");

    if ((*hasTable == 0 || *version < kSchemaVersion) && !prepareSchema(*hasTable != 0))
        return false;
    if (sqlite3_prepare_v3(db_, kInsert, -1, SQLITE_PREPARE_PERSISTENT, &insert_, nullptr) !=
        SQLITE_OK) {
        // A table of another shape under our name: not ours to change.
        fail(QStringLiteral("cannot use the table Historial of %1").arg(name));
        closeDatabase();
        return false;
    }
    return true;
}

bool HistoryStore::prepareSchema(bool hasTable) {
    const QByteArray version = "PRAGMA user_version = " + QByteArray::number(kSchemaVersion);
    if (exec(db_, "BEGIN IMMEDIATE") && exec(db_, kCreateTable) && exec(db_, version.constData()) &&
        exec(db_, "COMMIT"))
        return true;
    fail(QStringLiteral("cannot prepare %1").arg(QFileInfo(path_).fileName()));
    rollback(db_);
    // A table we could not mark with our version is still readable and writable.
    if (hasTable) return true;
    closeDatabase();
    return false;
}

void HistoryStore::closeDatabase() {
    sqlite3_finalize(insert_);
    insert_ = nullptr;
    sqlite3_close_v2(db_);
    db_ = nullptr;
    readOnly_ = false;
}

bool HistoryStore::append(const SessionRecord& r) {
    // What kept the database from opening (a lock, a missing disk) may have gone.
    if (!db_) openDatabase();
    return store({r});
}

// What waits (the pending file, then the records held in memory) and then `more` go
// into the database in one transaction, so that they keep their order and a failure
// stores none of them twice. On a failure, what the pending file does not hold yet is
// added to it.
bool HistoryStore::store(const std::vector<SessionRecord>& more) {
    const std::vector<SessionRecord> waiting = readPending(pendingPath_);
    std::vector<SessionRecord> unwritten = unsaved_;
    unwritten.insert(unwritten.end(), more.begin(), more.end());
    if (waiting.empty() && unwritten.empty()) return true;

    if (db_ && !readOnly_) {
        std::vector<SessionRecord> batch = waiting;
        batch.insert(batch.end(), unwritten.begin(), unwritten.end());
        if (insertAll(batch)) {
            unsaved_.clear();
            // Truncating serves where the directory no longer lets us remove it.
            if (!waiting.empty() && !QFile::remove(pendingPath_)) QFile::resize(pendingPath_, 0);
            return true;
        }
    }
    if (!unwritten.empty()) {
        const QString reason = error_;
        if (appendToPending(unwritten)) {
            unsaved_.clear();
            error_ = reason;
        } else {
            unsaved_ = std::move(unwritten);
            error_ = reason + QStringLiteral("; kept in memory only: ") + error_;
        }
    }
    return false;
}

bool HistoryStore::insertAll(const std::vector<SessionRecord>& records) {
    const QString what =
        QStringLiteral("cannot store the session in %1").arg(QFileInfo(path_).fileName());
    if (!exec(db_, "BEGIN IMMEDIATE")) return fail(what);
    for (const SessionRecord& r : records) {
        const QStringList fields = r.toRow();
        for (int i = 0; i < kFieldCount; ++i) {
            const QString& f = fields[i];
            sqlite3_bind_text16(insert_, i + 1, f.utf16(), static_cast<int>(f.size() * 2),
                                SQLITE_STATIC);
        }
        const int rc = sqlite3_step(insert_);
        sqlite3_reset(insert_);
        if (rc != SQLITE_DONE) {
            fail(what);
            rollback(db_);
            return false;
        }
    }
    if (exec(db_, "COMMIT")) return true;
    fail(what);
    rollback(db_);
    return false;
}

bool HistoryStore::appendToPending(const std::vector<SessionRecord>& records) {
    QFile f(pendingPath_);
    const bool existed = f.exists();
    if (!f.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered)) {
        error_ = QStringLiteral("cannot write %1: %2").arg(pendingPath_, f.errorString());
        return false;
    }
    // A line cut short by a crash would swallow the next record: drop it first.
    f.seek(0);  // Append mode opens at the end; writes go there whatever the position
    const QByteArray old = f.readAll();
    const qint64 complete = old.lastIndexOf('\n') + 1;
    if (complete < old.size()) f.resize(complete);

    const QByteArray lines = encodeLines(records);
    if (f.write(lines) != lines.size() || ::fsync(f.handle()) != 0) {
        error_ = QStringLiteral("cannot write %1: %2").arg(pendingPath_, f.errorString());
        // The records stay in memory; a part of them left in the file would come twice.
        f.resize(complete);
        return false;
    }
    f.close();
    if (!existed) syncDirectory(pendingPath_);
    return true;
}

bool HistoryStore::loadAll(std::vector<SessionRecord>& out) {
    out.clear();
    return readAll(
        [&out](QString* texts) {
            SessionRecord& r = out.emplace_back();
            for (int c = 0; c < kFieldCount; ++c) r.*kFields[c] = std::move(texts[c]);
        },
        [&out](qsizetype n) { out.reserve(static_cast<size_t>(n)); });
}

bool HistoryStore::loadCells(std::vector<QString>& cells) {
    cells.clear();
    return readAll(
        [&cells](QString* texts) {
            for (int c = 0; c < kFieldCount; ++c) cells.push_back(std::move(texts[c]));
        },
        [&cells](qsizetype n) { cells.reserve(static_cast<size_t>(n) * kFieldCount); });
}

bool HistoryStore::readAll(const std::function<void(QString*)>& row,
                           const std::function<void(qsizetype)>& reserve) {
    bool ok = false;
    if (db_) {
        ok = readStored(row, reserve);
    } else if (error_.isEmpty()) {
        error_ = QStringLiteral("%1 is not open").arg(QFileInfo(path_).fileName());
    }
    auto emitRecord = [&row](const SessionRecord& r) {
        QString texts[kFieldCount];
        for (int c = 0; c < kFieldCount; ++c) texts[c] = r.*kFields[c];
        row(texts);
    };
    for (const SessionRecord& r : readPending(pendingPath_)) emitRecord(r);
    for (const SessionRecord& r : unsaved_) emitRecord(r);
    return ok;
}

bool HistoryStore::readStored(const std::function<void(QString*)>& row,
                              const std::function<void(qsizetype)>& reserve) {
    const QString what = QStringLiteral("cannot read %1").arg(QFileInfo(path_).fileName());
    if (const auto last = queryInt(db_, "SELECT max(rowid) FROM Historial"))
        reserve(static_cast<qsizetype>(std::clamp<sqlite3_int64>(*last, 0, kMaxReserve)));
    Statement st(db_, kSelectAll);
    if (!st) return fail(what);
    TextBlocks texts;
    QString fields[kFieldCount];
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        for (int c = 0; c < kFieldCount; ++c) fields[c] = texts.add(columnText(st.get(), c));
        row(fields);
    }
    return rc == SQLITE_DONE || fail(what);
}

bool HistoryStore::clear() {
    if (!db_ && !openDatabase()) return false;
    const QString what = QStringLiteral("cannot clear %1").arg(QFileInfo(path_).fileName());
    if (readOnly_) {
        error_ = what + QStringLiteral(": it was written by a newer version of LinkTally");
        return false;
    }
    if (!exec(db_, "BEGIN IMMEDIATE")) return fail(what);
    if (!exec(db_, "DELETE FROM Historial")) {
        fail(what);
        rollback(db_);
        return false;
    }
    // The pending records leave with the table, and come back should it stay.
    const QString parked = pendingPath_ + QLatin1String(".clearing");
    const bool hasPending = QFile::exists(pendingPath_);
    if (hasPending) {
        QFile::remove(parked);
        if (!QFile::rename(pendingPath_, parked)) {
            error_ = QStringLiteral("%1: cannot remove %2").arg(what, pendingPath_);
            rollback(db_);
            return false;
        }
    }
    if (!exec(db_, "COMMIT")) {
        fail(what);
        rollback(db_);
        if (hasPending) QFile::rename(parked, pendingPath_);
        return false;
    }
    if (hasPending) QFile::remove(parked);
    unsaved_.clear();
    return true;
}

int HistoryStore::pendingCount() const {
    return static_cast<int>(readPending(pendingPath_).size() + unsaved_.size());
}

bool HistoryStore::writeCheckpoint(const SessionRecord& running) {
    QSaveFile f(checkpointPath_);
    f.setDirectWriteFallback(false);
    const QByteArray line = encodeLines({running});
    // commit() syncs the data before it renames the file into place.
    if (!f.open(QIODevice::WriteOnly) || f.write(line) != line.size() || !f.commit()) {
        error_ = QStringLiteral("cannot write %1: %2").arg(checkpointPath_, f.errorString());
        f.cancelWriting();
        return false;
    }
    syncDirectory(checkpointPath_);
    return true;
}

std::optional<SessionRecord> HistoryStore::readCheckpoint() const {
    QFile f(checkpointPath_);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxCheckpointBytes) return std::nullopt;
    const QByteArray bytes = f.readAll();
    if (bytes.count('\n') != 1 || !bytes.endsWith('\n')) return std::nullopt;
    return decodeLine(QByteArrayView(bytes).chopped(1));
}

void HistoryStore::removeCheckpoint() {
    QFile::remove(checkpointPath_);
}

bool HistoryStore::setMaxPageCountForTesting(int pages) {
    if (!db_) return false;
    const QByteArray sql = "PRAGMA max_page_count = " + QByteArray::number(pages);
    return queryInt(db_, sql.constData()).has_value();
}

bool HistoryStore::fail(const QString& what) {
    error_ = what + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(db_));
    return false;
}

}  // namespace lt
