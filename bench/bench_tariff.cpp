// Cost of pricing a running session at a cost tick: an hour, and a month-long session.
#include <benchmark/benchmark.h>

#include "core/ole_date.h"
#include "cost/tariff.h"

namespace {

lt::TarifaConexion perWeekday() {
    lt::TarifaConexion t;
    t.AjusteCosto = 'D';
    for (size_t i = 0; i < 7; ++i)
        t.diarios[i] = {22 * 3600, 6 * 3600 + static_cast<int>(i) * 60, 3.0, 1.0};
    return t;
}

// Arg: length of the stretch in minutes; it starts at 19:30 and so crosses edges.
void BM_PriceInterval(benchmark::State& state) {
    const lt::TarifaConexion tariff = perWeekday();
    const lt::OleDate from = lt::oleFromParts(2024, 1, 1) + lt::oleFromTime(19, 30, 0);
    const lt::OleDate to = from + static_cast<double>(state.range(0)) / 1440.0;
    for (auto _ : state) {
        double cost = lt::priceInterval(tariff, from, to);
        benchmark::DoNotOptimize(cost);
    }
}
BENCHMARK(BM_PriceInterval)->Arg(60)->Arg(31 * 1440);

}  // namespace
