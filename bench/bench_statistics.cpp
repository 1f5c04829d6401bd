// Grouping a history of a million sessions for the day, week and month charts.
#include <benchmark/benchmark.h>

#include "core/controls.h"
#include "core/grid.h"
#include "core/ole_date.h"
#include "core/text_format.h"
#include "stats/statistics.h"

namespace {

// Four sessions a day at scattered hours, up to three hours long, in stored order.
const lt::Grid& millionSessions() {
    static lt::ControlRegistry registry;
    static lt::Grid grid(registry, QStringLiteral("MSFlexGrid_Estado"), 6);
    if (grid.rowCount() > 0) return grid;
    constexpr int kRows = 1'000'000;
    std::vector<QString> cells;
    cells.reserve(static_cast<size_t>(kRows) * 6);
    const lt::OleDate first = lt::oleFromParts(2000, 1, 1);
    QString date;
    for (int i = 0; i < kRows; ++i) {
        if (i % 4 == 0) date = lt::formatDate(first + i / 4);
        const long long start = (i * 7919LL) % 86400;
        const long long duration = 60 + (i * 104729LL) % 10800;
        cells.push_back(date);
        cells.push_back(lt::formatDurationSeconds(start));
        cells.push_back(lt::formatDurationSeconds((start + duration) % 86400));
        cells.push_back(lt::formatDurationSeconds(duration));
        cells.push_back(lt::formatMoney(static_cast<double>(duration) * 0.0125));
        cells.push_back(lt::formatMoney(i * 1.37));
    }
    grid.setCells(std::move(cells));
    return grid;
}

void BM_Agrupar(benchmark::State& state, lt::Periodo periodo) {
    const lt::Grid& grid = millionSessions();
    size_t groups = 0;
    for (auto _ : state) {
        auto grupos = lt::agrupar(grid, periodo);
        groups = grupos.size();
        benchmark::DoNotOptimize(grupos);
    }
    state.counters["rows"] = grid.rowCount();
    state.counters["groups"] = static_cast<double>(groups);
}
BENCHMARK_CAPTURE(BM_Agrupar, dia, lt::Periodo::Dia)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Agrupar, semana, lt::Periodo::Semana)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Agrupar, mes, lt::Periodo::Mes)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
