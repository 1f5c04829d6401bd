#pragma once
// The files in which earlier versions kept sessions that had not reached the history:
// "LinkTally.db.pending" (finished sessions waiting) and "LinkTally.db.running" (the
// session a crash left). They are read once, into the session ledger, and removed.
#include <QString>
#include <optional>
#include <vector>

#include "history/history_store.h"

namespace lt {

// One record per line, six UTF-8 fields separated by tabs, with backslash escapes for
// tab, newline, carriage return and backslash; a line cut short is no record.
std::vector<SessionRecord> readLegacyPending(const QString& path);
std::optional<SessionRecord> readLegacyCheckpoint(const QString& path);

}  // namespace lt
