#pragma once
// Every day's sessions added up, kept by the database itself in table HistorialDiario:
// one row per day a session began, made right again by triggers whenever any program
// inserts, changes or deletes rows of Historial. Adding up a million sessions per month
// then reads a row a day instead of every session.
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

struct sqlite3;

namespace lt {

// What the worked-out columns hold for a text that does not read: Dia for a date (such a
// row belongs to no day), and the money columns (written as SQL).
inline constexpr std::int64_t kNoDay = -99'999'999;
inline constexpr const char* kNoMoney = "-1e308";

// The database counts days from 01/01/1970; the program's day numbers count from
// 30/12/1899, which makes 01/01/1970 this day.
inline constexpr long long kUnixEpochDay = 25569;

// One day's sessions added up by the database (the day's number counts from 01/01/1970).
struct StoredDay {
    std::int64_t day = 0;
    std::int64_t sessions = 0;
    std::int64_t seconds = 0;
    double cost = 0;
    double lastTotalCost = 0;
    std::int64_t lastStart = -1;
    std::optional<std::int64_t> received, sent;
};

// Makes the table, fills it from the rows there are and makes the triggers, in the
// caller's transaction; the worked-out columns must be there.
bool createDayTotals(sqlite3* db);
// Takes the table and its triggers away, as in a file of an earlier version.
bool dropDayTotals(sqlite3* db);
// Does the file keep day totals? None when that cannot be read.
std::optional<bool> keepsDayTotals(sqlite3* db);
// How many sessions the file holds: the kept count, or counted where none is kept.
std::optional<std::uint64_t> storedRows(sqlite3* db);
// Deletes every session and every day's totals, in the caller's transaction.
bool deleteEverySession(sqlite3* db);
// Each day from `fromDay` to `toDay`, in order, handed to `visit` as it is read: a long
// history's days are added up without being held.
bool forEachStoredDay(sqlite3* db, bool kept, const std::function<void(const StoredDay&)>& visit,
                      std::int64_t fromDay = std::numeric_limits<std::int64_t>::min(),
                      std::int64_t toDay = std::numeric_limits<std::int64_t>::max());
// The days from `fromDay` to `toDay`, in order: the kept totals when `kept`, else added up
// from the rows (a file from before the totals, opened where it cannot be upgraded).
bool readStoredDays(sqlite3* db, bool kept, std::vector<StoredDay>& out,
                    std::int64_t fromDay = std::numeric_limits<std::int64_t>::min(),
                    std::int64_t toDay = std::numeric_limits<std::int64_t>::max());

}  // namespace lt
