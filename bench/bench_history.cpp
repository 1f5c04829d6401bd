// The history at scale: loading a million stored sessions into memory, and storing
// one session in a history of a hundred thousand. Where the day totals the database keeps
// cost or save time, the same runs beside a history without them (argument 0).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>

#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <limits>
#include <map>

#include "history/history_rows.h"
#include "history/history_store.h"
#include "history/session_ledger.h"
#include "platform/file_system.h"
#include "stats/statistics.h"

namespace {

// Four sessions a day at scattered hours, up to three hours long; the same rows as
// scripts/history-vs-sqlite3 builds.
constexpr const char* kFill =
    "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < ?1 - 1),"
    " s(i, start, dur) AS (SELECT i, (i * 7919) % 86400, 60 + (i * 104729) % 10800 FROM n)"
    " INSERT INTO Historial (fecha, HoraInicio, HoraFinalizacion, TiempoConexion, costo,"
    " CostoAcumulado)"
    " SELECT strftime('%d/%m/%Y', '2000-01-01', '+' || (i / 4) || ' days'),"
    " printf('%02d:%02d:%02d', start / 3600, start / 60 % 60, start % 60),"
    " printf('%02d:%02d:%02d', (start + dur) % 86400 / 3600, (start + dur) / 60 % 60,"
    "        (start + dur) % 60),"
    " printf('%02d:%02d:%02d', dur / 3600, dur / 60 % 60, dur % 60),"
    " printf('%06.2f', dur * 0.0125), printf('%06.2f', i * 1.37) FROM s";

QTemporaryDir& scratch() {
    static QTemporaryDir dir;
    return dir;
}

void execute(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        qFatal("%s: %s", sql, sqlite3_errmsg(db));
}

// A new history at path, the schema as the program makes it.
void makeHistory(const QString& path) {
    lt::HistoryStore store(path);
    if (!store.open()) qFatal("%s", qPrintable(store.error()));
}

// The day totals taken away again, as the history was before it had them.
void withoutDayTotals(const QString& path) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    if (!lt::dropDayTotals(db)) qFatal("%s", sqlite3_errmsg(db));
    sqlite3_close(db);
}

void fill(const QString& path, int rows) {
    sqlite3* db = nullptr;
    sqlite3_stmt* st = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    execute(db, "BEGIN");
    sqlite3_prepare_v2(db, kFill, -1, &st, nullptr);
    sqlite3_bind_int(st, 1, rows);
    if (sqlite3_step(st) != SQLITE_DONE) qFatal("%s", sqlite3_errmsg(db));
    sqlite3_finalize(st);
    execute(db, "COMMIT");
    sqlite3_close(db);
}

// A history of `rows` records, built once per process in one transaction; without its day
// totals (`kept` false), a copy of it made once.
QString historyOf(int rows, bool kept = true) {
    static std::map<std::pair<int, bool>, QString> built;
    if (auto it = built.find({rows, kept}); it != built.end()) return it->second;
    const QString path =
        scratch().filePath(QStringLiteral("LinkTally-%1%2.db").arg(rows).arg(kept ? "" : "-bare"));
    if (kept) {
        makeHistory(path);
        fill(path, rows);
    } else {
        if (!QFile::copy(historyOf(rows), path)) qFatal("cannot copy the history");
        withoutDayTotals(path);
    }
    return built[{rows, kept}] = path;
}

size_t heapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

// A fresh vector each time, as at start-up. Memory per row: heap in use (mallinfo2:
// arena plus mmapped blocks) while the records are held, less before, over the rows.
void BM_LoadAll(benchmark::State& state) {
    lt::HistoryStore store(historyOf(1'000'000));
    if (!store.open()) state.SkipWithError(qPrintable(store.error()));
    double bytesPerRow = 0;
    for (auto _ : state) {
        const size_t before = heapInUse();
        std::vector<lt::SessionRecord> records;
        store.loadAll(records);
        bytesPerRow = static_cast<double>(heapInUse() - before) /
                      static_cast<double>(std::max<size_t>(records.size(), 1));
        state.PauseTiming();  // freeing is not loading
        records = {};
        state.ResumeTiming();
    }
    state.counters["bytes_per_row"] = bytesPerRow;
    state.counters["rows"] = 1'000'000;
}
BENCHMARK(BM_LoadAll)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The grid's refresh after a session: the same vector, its memory already there.
void BM_Reload(benchmark::State& state) {
    lt::HistoryStore store(historyOf(1'000'000));
    if (!store.open()) state.SkipWithError(qPrintable(store.error()));
    std::vector<lt::SessionRecord> records;
    store.loadAll(records);
    for (auto _ : state) store.loadAll(records);
}
BENCHMARK(BM_Reload)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The grid over a million sessions as the user sees it: a click on a caption (the order
// changes, the count is read again) and the first rows shown; then a jump to the middle.
void BM_GridOrder(benchmark::State& state) {
    lt::HistoryStore store(historyOf(1'000'000));
    if (!store.open()) state.SkipWithError(qPrintable(store.error()));
    QTemporaryDir dir;
    lt::PosixFileSystem fs;
    lt::SessionLedger ledger(fs, dir.filePath(QStringLiteral("ledger")));
    lt::HistoryRows rows(store, ledger);
    const int column = static_cast<int>(state.range(0));
    const bool middle = state.range(1) != 0;
    bool down = true;
    for (auto _ : state) {
        rows.setOrder({column, down = !down});
        rows.refresh();
        const int first = middle ? rows.count() / 2 : 0;
        for (int r = first; r < first + 40; ++r) benchmark::DoNotOptimize(rows.cell(r, column));
    }
}
// By cost, first rows and the middle; in the stored order, the middle.
BENCHMARK(BM_GridOrder)
    ->Args({4, 0})
    ->Args({4, 1})
    ->Args({-1, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The database adds up a million sessions per day; the days fold into months.
void BM_GroupPerMonth(benchmark::State& state) {
    lt::HistoryStore store(historyOf(1'000'000, state.range(0) != 0));
    if (!store.open()) state.SkipWithError(qPrintable(store.error()));
    for (auto _ : state) {
        lt::AgrupadorDias months(lt::Periodo::Mes);
        store.forEachDay([&months](const lt::StoredDay& d) {
            months.add({d.day + lt::kUnixEpochDay, d.seconds, d.cost, d.lastTotalCost, d.lastStart,
                        d.received, d.sent});
        });
        benchmark::DoNotOptimize(months.take());
    }
}
BENCHMARK(BM_GroupPerMonth)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

// One finished session, committed and synced to disk.
void BM_Append(benchmark::State& state) {
    lt::HistoryStore store(historyOf(100'000, state.range(0) != 0));
    if (!store.open()) state.SkipWithError(qPrintable(store.error()));
    const lt::SessionRecord r{QStringLiteral("05/12/2026"), QStringLiteral("09:15:02"),
                              QStringLiteral("10:47:31"),   QStringLiteral("01:32:29"),
                              QStringLiteral("012.10"),     QStringLiteral("1234.56"),
                              QStringLiteral("52000000"),   QStringLiteral("3100000")};
    std::uint64_t id = 1'000'000;
    for (auto _ : state)
        if (!store.store({{++id, r}})) state.SkipWithError(qPrintable(store.error()));
}
BENCHMARK(BM_Append)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A hundred thousand sessions into a new history in one transaction, as another program
// or an import would write them.
void BM_Fill(benchmark::State& state) {
    const bool kept = state.range(0) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("LinkTally.db"));
        makeHistory(path);
        if (!kept) withoutDayTotals(path);
        state.ResumeTiming();
        fill(path, 100'000);
    }
}
BENCHMARK(BM_Fill)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Emptying a history of a million sessions (a copy of it each time).
void BM_Clear(benchmark::State& state) {
    const QString original = historyOf(1'000'000, state.range(0) != 0);
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("LinkTally.db"));
        if (!QFile::copy(original, path)) state.SkipWithError("cannot copy the history");
        lt::HistoryStore store(path);
        if (!store.open()) state.SkipWithError(qPrintable(store.error()));
        state.ResumeTiming();
        if (!store.clear()) state.SkipWithError(qPrintable(store.error()));
    }
}
BENCHMARK(BM_Clear)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Re-pricing the sessions of a month (06/2010), or of the whole million: the costs are
// written back as they were, which changes the rows as much as new ones would.
void BM_Reprice(benchmark::State& state) {
    const bool everything = state.range(0) != 0;
    lt::HistoryStore store(historyOf(1'000'000, state.range(1) != 0));
    if (!store.open()) state.SkipWithError(qPrintable(store.error()));
    const std::int64_t june = QDate(1970, 1, 1).daysTo(QDate(2010, 6, 1));
    std::vector<lt::StoredCost> costs;
    if (!(everything ? store.costsBetween(std::numeric_limits<std::int64_t>::min(),
                                          std::numeric_limits<std::int64_t>::max(), costs)
                     : store.costsBetween(june, june + 29, costs)))
        state.SkipWithError(qPrintable(store.error()));
    for (auto _ : state)
        if (!store.rewriteCosts(costs)) state.SkipWithError(qPrintable(store.error()));
    state.counters["rows"] = static_cast<double>(costs.size());
}
BENCHMARK(BM_Reprice)->Args({0, 1})->Args({0, 0})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Reprice)
    ->Args({1, 1})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace
