// Evaluating a time server's reply, and one check of the clock-change guard.
#include <benchmark/benchmark.h>

#include "app/clock_change_guard.h"
#include "clocksync/time_server_client.h"
#include "core/clock.h"
#include "form/estado_monitor.h"
#include "form/main_form.h"

namespace {

void BM_EvaluateReply(benchmark::State& state) {
    const QByteArray reply("\xC8\x9F\x6E\x00", 4);
    for (auto _ : state) benchmark::DoNotOptimize(lt::TimeServerClient::evaluar(reply, 0.4));
}
BENCHMARK(BM_EvaluateReply);

void BM_GuardCheck(benchmark::State& state) {
    lt::MainForm form;
    lt::EstadoMonitor estado;
    lt::FakeClock clock;
    lt::ClockChangeGuard guard(form, estado, clock, [] {});
    guard.observarTick();
    for (auto _ : state) {
        clock.advanceMs(1000);
        guard.CheckViolacionTiempoPC();
        guard.observarTick();
    }
}
BENCHMARK(BM_GuardCheck);

}  // namespace
