// The interruption schedule's check on a connected tick, weekly allowance running (no
// period restart, so no settings-file write), on the full form model.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "app/configuracion.h"
#include "core/clock.h"
#include "settings/ini_file.h"
#include "support/fake_program.h"

namespace {

struct Running : lt::test::FakeProgram {
    Running()
        : FakeProgram(
              "[Intervalos timers]\nTimerConexion=1\nTimerCosto=1\n[Idiomas]\n"
              "CodigoIdioma=0\n[Flags]\nQueDia=S\nDespuesDe=0\nImpDespues=99\n"
              "[Interrupciones]\nFeInt=05/12/2026 09:00:00\nDiasAcum=03\n"
              "HorasAcum=03:00:00\n") {
        lt::test::openSession(*this);
    }
    QString feInt() const {
        return lt::LeerValorINI(lt::test::settingsPathIn(dir), QStringLiteral("Interrupciones"),
                                QStringLiteral("FeInt"));
    }
};

void BM_InterrupcionProgramadaWeekly(benchmark::State& state) {
    Running r;
    const QString before = r.feInt();
    for (auto _ : state) r.logic.schedule().InterrupcionProgramada();
    if (r.feInt() != before || r.cutter.calls != 0)
        state.SkipWithError("the period restarted or the line was cut");
}
BENCHMARK(BM_InterrupcionProgramadaWeekly)->Unit(benchmark::kMicrosecond);

}  // namespace
