// The whole settings record between the file and the form.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "core/clock.h"
#include "form/estado_monitor.h"
#include "form/main_form.h"
#include "platform/file_system.h"
#include "settings/settings_store.h"
#include "support/sample_settings.h"
#include "support/test_support.h"

namespace {

struct Fixture {
    Fixture() {
        lt::test::writeFile(dir.filePath(QStringLiteral("Linktally.ini")),
                            lt::sample::sampleSettingsFile());
        form.CbServidoresDeTiempo.addItem(QStringLiteral("Not servers...."));
        for (int i = 0; i < 11; ++i) form.CbServidoresDeTiempo.addItem(QStringLiteral("server"));
    }
    QTemporaryDir dir;
    lt::MainForm form;
    lt::EstadoMonitor estado;
    lt::ParametrosMonitor params;
    lt::FakeClock clock;
    lt::test::LiveMessages live{estado};
    lt::PosixFileSystem fs;
    lt::SettingsStore store{dir.filePath(QStringLiteral("Linktally.ini")),
                            fs,
                            form,
                            estado,
                            params,
                            clock,
                            live.messages};
};

void BM_LeerINI(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) f.store.LeerINI();
}
BENCHMARK(BM_LeerINI)->Unit(benchmark::kMicrosecond);

void BM_GuardarINI(benchmark::State& state) {
    Fixture f;
    f.store.LeerINI();
    for (auto _ : state) benchmark::DoNotOptimize(f.store.GuardarINI());
}
BENCHMARK(BM_GuardarINI)->Unit(benchmark::kMicrosecond);

}  // namespace
