#pragma once
// A small file beside the history that cannot run out of space: it gets all its room
// when it is made and is then only overwritten in place, in two slots that each carry a
// sequence number and a checksum, so that a write cut short leaves the other slot whole.
// It holds the running session, noted at every cost tick, and every finished session
// that the database has not taken yet; a session leaves it only once the database has it.
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "history/history_store.h"

namespace lt {

class FileSystem;

struct LedgerEntry {
    std::uint64_t id = 0;
    SessionRecord record;
    // The interruption period's counted time ("hh:mm:ss") and hours ("00") as they stood.
    QString horasAcum, diasAcum;
    bool operator==(const LedgerEntry&) const = default;
};

class SessionLedger {
  public:
    static constexpr std::int64_t kFileSize = 64 * 1024;
    static constexpr std::int64_t kSlotSize = kFileSize / 2;

    SessionLedger(FileSystem& fs, QString path);
    ~SessionLedger();
    SessionLedger(const SessionLedger&) = delete;
    SessionLedger& operator=(const SessionLedger&) = delete;

    // Opens the file, making it and reserving its room when it is missing, and reads the
    // newest whole slot. False (the reason in error()) when it cannot be made, read or
    // reserved; the ledger then keeps its state in memory and tries the file again at
    // the next change.
    bool open();

    const std::optional<LedgerEntry>& running() const { return running_; }
    const std::vector<LedgerEntry>& finished() const { return finished_; }

    // Each change is on the disk (written in place and synced) when it returns true; on
    // false it is kept in memory and goes to the disk with the next change that can.
    bool setRunning(const LedgerEntry& entry);
    // The running session has ended as `entry`: finished, waiting for the database.
    bool finish(const LedgerEntry& entry);
    // Finished sessions found elsewhere (the files of an earlier version).
    bool add(const std::vector<LedgerEntry>& entries);
    // The database has these; they leave the ledger.
    bool committed(const std::vector<std::uint64_t>& ids);

    const QString& error() const { return error_; }
    const QString& path() const { return path_; }

    // The bytes of one slot for a state, and the state back from a slot; exposed for
    // tests that tear slots.
    static QByteArray encodeSlot(std::uint64_t sequence, const std::optional<LedgerEntry>& running,
                                 const std::vector<LedgerEntry>& finished);
    struct Slot {
        std::uint64_t sequence = 0;
        std::optional<LedgerEntry> running;
        std::vector<LedgerEntry> finished;
    };
    static std::optional<Slot> decodeSlot(const QByteArray& bytes);

  private:
    bool openFile();
    bool write();
    void closeFile();

    FileSystem& fs_;
    QString path_;
    int fd_ = -1;
    std::uint64_t sequence_ = 0;
    std::optional<LedgerEntry> running_;
    std::vector<LedgerEntry> finished_;
    QString error_;
};

}  // namespace lt
