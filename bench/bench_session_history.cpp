// Storing a finished session and refreshing the grid, with 100,000 sessions in the
// history already shown.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "app/configuracion.h"
#include "core/clock.h"
#include "history/history_store.h"
#include "support/fake_program.h"

namespace {

void BM_StoreSessionWith100kShown(benchmark::State& state) {
    lt::test::FakeProgram program;
    lt::test::fillHistory(program.dir.filePath(QStringLiteral("LinkTally.db")), 100000);
    lt::Configuracion& logic = program.logic;
    logic.Form_Load();
    lt::MainForm& f = logic.form();
    f.TxISFecha_Estado.setText(QStringLiteral("06/12/2026"));
    f.TxISHora_Estado.setText(QStringLiteral("09:00:00"));
    f.TxTAHora_Estado.setText(QStringLiteral("09:30:00"));
    f.TxTITiempoConexion_Estado.setText(QStringLiteral("00:30:00"));
    for (auto _ : state) logic.history().GuardarEnBaseDeDatosYactualizarGrilla();
    state.counters["rows"] = f.MSFlexGrid_Estado.rowCount();
}
BENCHMARK(BM_StoreSessionWith100kShown)->Unit(benchmark::kMillisecond)->Iterations(50);

}  // namespace
