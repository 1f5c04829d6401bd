#pragma once
// The history of finished sessions: table `Historial` in a SQLite file, six text fields
// in insertion order, the bytes received and sent, and the id that makes storing a session twice
// impossible. The store reopens the file after any failure, notices a file deleted or replaced
// under it, and sets a damaged one aside; what it could not store waits in the session ledger.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

#include "history/day_totals.h"

struct sqlite3;
struct sqlite3_stmt;

namespace lt {

struct SessionRecord {
    QString fecha, HoraInicio, HoraFinalizacion, TiempoConexion, costo, CostoAcumulado;
    // Bytes in decimal digits; empty for sessions stored before they were counted.
    QString BytesRecibidos, BytesEnviados;
    static constexpr int kColumns = 8;
    QStringList toRow() const {
        return {fecha, HoraInicio,     HoraFinalizacion, TiempoConexion,
                costo, CostoAcumulado, BytesRecibidos,   BytesEnviados};
    }
    static SessionRecord fromRow(const QStringList& row);
    bool operator==(const SessionRecord&) const = default;
};

// A session as the database keeps it: its id and its texts.
struct StoredSession {
    std::uint64_t id = 0;
    SessionRecord record;
};

// Where a row stands in an order of the history: its sort value and its rowid.
struct RowPlace {
    bool real = false;  // the value is `realValue`, else `intValue`
    std::int64_t intValue = 0;
    double realValue = 0;
    std::int64_t rowid = 0;
};

// How the history is read: by a column's value (-1: as stored), each way.
struct HistoryOrder {
    int column = -1;
    bool descending = false;
    bool operator==(const HistoryOrder&) const = default;
};

// A run of rows read from the history: their texts, row after row, and their places.
struct HistoryRun {
    std::vector<QString> cells;
    std::vector<RowPlace> places;
};

// A stored session's place and the texts that price it, and what it is to cost.
struct StoredCost {
    std::int64_t rowid = 0;
    QString fecha, HoraInicio, TiempoConexion, costo, CostoAcumulado;
};

class HistoryStore {
  public:
    // 2: the session id. 3: the bytes received and sent. 4: the values the texts stand
    // for, as columns the database works out itself, with indexes. 5: every day's sessions
    // added up, kept right by triggers.
    static constexpr int kSchemaVersion = 6;
    // Long enough to ride out another program reading or backing up the file, short
    // enough not to freeze the window for long.
    static constexpr int kDefaultBusyTimeoutMs = 2000;

    // Nothing is opened yet; paths only.
    explicit HistoryStore(QString dbPath, int busyTimeoutMs = kDefaultBusyTimeoutMs);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Opens the database, creating file and table when missing. A file that is not a
    // database is set aside under a dated name (setAside() says where) and a new one is
    // made. False with the reason in error() when it cannot be opened; the database of
    // a newer version stays open to be read but is never written.
    bool open();
    bool isOpen() const { return db_ != nullptr; }

    // Stores the sessions in one transaction, in order; a session whose id is stored
    // already is not stored again. False (nothing stored) with the reason in error().
    bool store(const std::vector<StoredSession>& sessions);
    // Every stored record in insertion order.
    bool loadAll(std::vector<SessionRecord>& out);
    // How many sessions are stored; none when the history cannot be read.
    std::optional<std::int64_t> count();
    // Up to `limit` rows in `order`, read backwards when `backwards`: the rows after
    // `after` (in the reading direction) when given, else from the `skip`-th row on.
    bool readRun(HistoryOrder order, bool backwards, const RowPlace* after, std::int64_t skip,
                 int limit, HistoryRun& out);
    // The sessions added up per day of their start, days in order, from `fromDay` to
    // `toDay`.
    bool sessionsByDay(std::vector<StoredDay>& out,
                       std::int64_t fromDay = std::numeric_limits<std::int64_t>::min(),
                       std::int64_t toDay = std::numeric_limits<std::int64_t>::max());
    // Every day, in order, handed to `visit` as it is read.
    bool forEachDay(const std::function<void(const StoredDay&)>& visit);
    // The sessions that began from `fromDay` to `toDay` (days from 01/01/1970), in the
    // order they were stored.
    bool costsBetween(std::int64_t fromDay, std::int64_t toDay, std::vector<StoredCost>& out);
    // Writes each session's costo and CostoAcumulado, all or none.
    bool rewriteCosts(const std::vector<StoredCost>& costs);
    // Deletes every record; false when the table could not be emptied.
    bool clear();
    // A whole, consistent copy of the history in a new file at path.
    bool copyTo(const QString& path);

    const QString& error() const { return error_; }
    const QString& path() const { return path_; }
    // Where a damaged file was put aside by the last open(), once; empty otherwise.
    QString takeSetAside();
    // The file went away (or was replaced) under the open database and a new one was
    // made, once.
    bool takeRecreated();

    void setBusyTimeout(int ms);
    // Caps the database at `pages` pages (never below its size) on this connection, so
    // that a test can fill it.
    bool setMaxPageCountForTesting(int pages);

  private:
    bool ensureOpen();
    bool ensureWritable();
    bool openDatabase();
    bool prepareSchema(bool hasTable);
    bool setAsideDamaged();
    void closeDatabase();
    bool sameFileAsOpened() const;
    void repairWalFiles() const;
    bool fail(const QString& what);

    QString path_;
    int busyTimeoutMs_;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    bool readOnly_ = false;   // written by a newer version: shown, never changed
    bool dayTotals_ = false;  // the file keeps every day's totals
    QString setAside_;
    bool recreated_ = false;
    int maxPagesForTesting_ = 0;
    QString error_;
};

}  // namespace lt
