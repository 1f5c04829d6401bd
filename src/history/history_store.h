#pragma once
// The history of finished sessions: table `Historial` in a SQLite file, six text fields
// in insertion order. No session is ever lost: a record that cannot be stored waits in
// a small pending file beside the database and is stored at the next save or start,
// and the running session is checkpointed so that a crash loses at most a minute.
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace lt {

struct SessionRecord {
    QString fecha, HoraInicio, HoraFinalizacion, TiempoConexion, costo, CostoAcumulado;
    QStringList toRow() const {
        return {fecha, HoraInicio, HoraFinalizacion, TiempoConexion, costo, CostoAcumulado};
    }
    static SessionRecord fromRow(const QStringList& row);
    bool operator==(const SessionRecord&) const = default;
};

class HistoryStore {
  public:
    static constexpr int kSchemaVersion = 1;
    // Long enough to ride out another program reading or backing up the file, short
    // enough not to freeze the window for long.
    static constexpr int kDefaultBusyTimeoutMs = 2000;

    // Nothing is opened yet; paths only. The pending file is dbPath + ".pending" and the
    // checkpoint dbPath + ".running". A write waits up to `busyTimeoutMs` for a lock
    // another connection holds before it counts as failed.
    explicit HistoryStore(QString dbPath, int busyTimeoutMs = kDefaultBusyTimeoutMs);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Opens the database (creating file and table when missing) and stores what the
    // pending file holds. A file that is not a database, or cannot be opened, is left
    // exactly as it is: false with the reason in error(). Also false while records still
    // wait, and for the database of a newer version, which stays open to be read but is
    // never written.
    bool open();
    bool isOpen() const { return db_ != nullptr; }

    // Appends one record, after any that wait. On any failure the record goes to the
    // pending file (appended and flushed before returning; kept in memory should even
    // that fail) and false is returned with the reason in error(); the record then
    // counts in pendingCount() and is stored by a later append or open.
    bool append(const SessionRecord& r);
    // Replaces `out` with every stored record in insertion order, then the pending ones;
    // false (and what could be read) on a failure.
    bool loadAll(std::vector<SessionRecord>& out);
    // The same, as one run of cells (six per record, in field order): what the grid
    // holds, without a record or a list per row.
    bool loadCells(std::vector<QString>& cells);
    // Deletes every record (and the pending ones); false when the table could not be
    // emptied, which then stays as it was.
    bool clear();
    int pendingCount() const;
    // Every record given to append() is in the database or in the pending file, none
    // held in memory only.
    bool allOnDisk() const { return unsaved_.empty(); }

    // The running session, rewritten atomically at every cost tick.
    bool writeCheckpoint(const SessionRecord& running);
    // The checkpoint left by a run that did not close its session, if any.
    std::optional<SessionRecord> readCheckpoint() const;
    void removeCheckpoint();

    const QString& error() const { return error_; }
    const QString& path() const { return path_; }

    // Takes effect at once on an open database, and at every later open.
    void setBusyTimeout(int ms);

    // Caps the database at `pages` pages (never below its size) on this connection, so
    // that a test can fill it.
    bool setMaxPageCountForTesting(int pages);

  private:
    bool openDatabase();
    bool prepareSchema(bool hasTable);
    void closeDatabase();
    bool store(const std::vector<SessionRecord>& more);
    bool insertAll(const std::vector<SessionRecord>& records);
    bool appendToPending(const std::vector<SessionRecord>& records);
    // Every record, stored then waiting; `row` gets each one's six texts in field order
    // (to move from), `reserve` the number of stored records first.
    bool readAll(const std::function<void(QString*)>& row,
                 const std::function<void(qsizetype)>& reserve);
    bool readStored(const std::function<void(QString*)>& row,
                    const std::function<void(qsizetype)>& reserve);
    bool fail(const QString& what);

    QString path_;
    QString pendingPath_;
    QString checkpointPath_;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    int busyTimeoutMs_;
    bool readOnly_ = false;               // written by a newer version: shown, never changed
    std::vector<SessionRecord> unsaved_;  // records that not even the pending file took
    QString error_;
};

}  // namespace lt
