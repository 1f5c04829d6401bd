// The interruption schedule's check on a connected tick, weekly allowance running (no
// period restart, so no settings-file write), on the full form model.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "app/configuracion.h"
#include "core/clock.h"
#include "settings/ini_file.h"
#include "support/test_support.h"

namespace {

struct Running {
    Running() {
        lt::test::writeFile(settingsPath(),
                            "[Intervalos timers]\nTimerConexion=1\nTimerCosto=1\n[Idiomas]\n"
                            "CodigoIdioma=0\n[Flags]\nQueDia=S\nDespuesDe=0\nImpDespues=99\n"
                            "[Interrupciones]\nFeInt=05/12/2026 09:00:00\nDiasAcum=03\n"
                            "HorasAcum=03:00:00\n");
        probe.setOnline(true);
        logic.Form_Load();
        logic.connection().TiConexion_Timer();
        logic.sessionClock().TiTiempoConexion_Timer();
    }
    QString settingsPath() const { return dir.filePath(QStringLiteral("Linktally.ini")); }
    QString feInt() const {
        return lt::LeerValorINI(settingsPath(), QStringLiteral("Interrupciones"),
                                QStringLiteral("FeInt"));
    }
    QTemporaryDir dir;
    lt::FakeClock clock;
    lt::test::RecordingMessageBox messages;
    lt::test::FakeProbe probe;
    lt::test::FakeCutter cutter;
    lt::Configuracion logic{clock, messages, lt::AppFiles{dir.path(), dir.path()}, probe, cutter};
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
