#pragma once
// Reads the stored sessions without ever writing: a report runs beside the program,
// which may be writing the same file at that moment.
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "history/day_totals.h"

namespace lt {

// A stored session's texts as they are in the file, in stored order.
struct StoredRow {
    QString fecha, HoraInicio, HoraFinalizacion, TiempoConexion, costo;
    // None for sessions stored before bytes were counted, or a file that never counted them.
    std::optional<std::int64_t> received, sent;
};

struct HistoryReading {
    // Every stored row; beside day totals, only those whose date the database cannot read.
    std::vector<StoredRow> rows;
    // The database's own totals of every day's sessions, when read by day from a file that
    // keeps them; empty otherwise.
    std::vector<StoredDay> days;
    QString error;  // one line; empty when the history was read
    bool ok() const { return error.isEmpty(); }
};

// Opens the file read-only (committed rows only, whatever another connection is
// writing); a missing file, one that is not a database or one with no history is an error.
// `byDay`: the day totals where the file keeps them, which a report per day, week or month
// needs instead of every row. They read each text as the database (and the charts) read
// it: one it reads otherwise than this program, such as a duration with blanks around it,
// may count otherwise there than in a report per session.
HistoryReading readHistory(const QString& path, bool byDay = false);

}  // namespace lt
