// Storing a finished session and refreshing the grid, with 100,000 sessions in the
// history already shown.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QTemporaryDir>

#include "app/configuracion.h"
#include "core/clock.h"
#include "history/history_store.h"
#include "support/test_support.h"

namespace {

void fillHistory(const QString& path, int rows) {
    {
        lt::HistoryStore store(path);  // the schema as the program makes it
        store.open();
    }
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(
        db,
        "INSERT INTO Historial VALUES ('05/12/2026','10:00:00','11:00:00','01:00:00','001.60',?)",
        -1, &st, nullptr);
    for (int i = 0; i < rows; ++i) {
        const QByteArray acc = QByteArray::number(i * 1.6, 'f', 2);
        sqlite3_bind_text(st, 1, acc.constData(), static_cast<int>(acc.size()), SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

void BM_StoreSessionWith100kShown(benchmark::State& state) {
    QTemporaryDir dir;
    fillHistory(dir.filePath(QStringLiteral("LinkTally.db")), 100000);
    lt::FakeClock clock;
    lt::test::RecordingMessageBox messages;
    lt::test::FakeProbe probe;
    lt::test::FakeCutter cutter;
    lt::Configuracion logic(clock, messages, lt::AppFiles{dir.path(), dir.path()}, probe, cutter);
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
