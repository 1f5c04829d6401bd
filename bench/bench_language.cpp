// Switching the language with the whole window built and shown (offscreen).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTabWidget>
#include <QTemporaryDir>

#include "app/configuracion.h"
#include "core/clock.h"
#include "support/fake_program.h"
#include "ui/main_window.h"

namespace {

QApplication& application() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char arg0[] = "bench";
    static char* argv[] = {arg0, nullptr};
    static QApplication app(argc, argv);
    return app;
}

void BM_SwitchLanguage(benchmark::State& state) {
    application();
    lt::test::FakeProgram program;
    lt::Configuracion& logic = program.logic;
    lt::MainWindow window(logic, false);
    logic.Form_Load();
    QApplication::processEvents();
    int code = 0;
    for (auto _ : state) {
        code = 1 - code;
        logic.form().LsIdiomas.setListIndex(code);
        QApplication::processEvents();  // the relayout the new captions cause
    }
}
BENCHMARK(BM_SwitchLanguage)->Unit(benchmark::kMillisecond);

// From a click on "Sesion->" to the chart drawn, 100,000 sessions in the history.
void BM_RedrawPerSessionChart(benchmark::State& state) {
    application();
    lt::test::FakeProgram program;
    lt::test::fillHistory(program.dir.filePath(QStringLiteral("LinkTally.db")), 100000);
    lt::Configuracion& logic = program.logic;
    lt::MainWindow window(logic, false);
    logic.Form_Load();
    window.tabs()->setCurrentIndex(3);
    QApplication::processEvents();
    for (auto _ : state) {
        logic.form().LbSesion_Estadisticas.Click();
        window.repaint();
        QApplication::processEvents();
    }
    state.counters["sessions"] = logic.estado().CantidadSesiones;
}
BENCHMARK(BM_RedrawPerSessionChart)->Unit(benchmark::kMillisecond);

}  // namespace
