#pragma once
// The history of finished sessions: table `Historial` in a SQLite file, six text fields
// in insertion order, the bytes received and sent, and the id that makes storing a session twice
// impossible. The store reopens the file after any failure, notices a file deleted or replaced
// under it, and sets a damaged one aside; what it could not store waits in the session ledger.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

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

class HistoryStore {
  public:
    // 2: the session id. 3: the bytes received and sent.
    static constexpr int kSchemaVersion = 3;
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
    // Replaces `cells` with every stored record's texts in insertion order: what the
    // grid holds, without a record or a list per row. False on a failure.
    bool loadCells(std::vector<QString>& cells);
    // Every stored record in insertion order.
    bool loadAll(std::vector<SessionRecord>& out);
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
    bool openDatabase();
    bool prepareSchema(bool hasTable);
    bool setAsideDamaged();
    void closeDatabase();
    bool sameFileAsOpened() const;
    void repairSharedMemoryFile() const;
    bool readStored(const std::function<void(QString*)>& row,
                    const std::function<void(qsizetype)>& reserve);
    bool fail(const QString& what);

    QString path_;
    int busyTimeoutMs_;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    bool readOnly_ = false;  // written by a newer version: shown, never changed
    QString setAside_;
    bool recreated_ = false;
    int maxPagesForTesting_ = 0;
    QString error_;
};

}  // namespace lt
