// One connected tick of the session clock, and one connection check, on the full form
// model (fake probe and clock, so only our own work is measured).
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "app/configuracion.h"
#include "core/clock.h"
#include "support/fake_program.h"

namespace {

struct Running : lt::test::FakeProgram {
    Running() { lt::test::openSession(*this); }
};

void BM_SessionClockTick(benchmark::State& state) {
    Running r;
    for (auto _ : state) {
        r.clock.advanceMs(1000);
        r.logic.sessionClock().TiTiempoConexion_Timer();
    }
}
BENCHMARK(BM_SessionClockTick)->Unit(benchmark::kMicrosecond);

void BM_ConnectionCheckTick(benchmark::State& state) {
    Running r;
    for (auto _ : state) r.logic.connection().TiConexion_Timer();
}
BENCHMARK(BM_ConnectionCheckTick)->Unit(benchmark::kMicrosecond);

}  // namespace
