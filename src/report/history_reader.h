#pragma once
// Reads the stored sessions without ever writing: a report runs beside the program,
// which may be writing the same file at that moment.
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace lt {

// A stored session's texts as they are in the file, in stored order.
struct StoredRow {
    QString fecha, HoraInicio, HoraFinalizacion, TiempoConexion, costo;
    // None for sessions stored before bytes were counted, or a file that never counted them.
    std::optional<std::int64_t> received, sent;
};

struct HistoryReading {
    std::vector<StoredRow> rows;
    QString error;  // one line; empty when the rows were read
    bool ok() const { return error.isEmpty(); }
};

// Opens the file read-only (committed rows only, whatever another connection is
// writing); a missing file, one that is not a database or one with no history is an error.
HistoryReading readHistory(const QString& path);

}  // namespace lt
