// What the data allowance adds to each connection tick: the forecast of every allowance,
// and the whole tick (the session's bytes, three allowances, the status and tray lines).
#include <benchmark/benchmark.h>

#include "core/clock.h"
#include "core/text_format.h"
#include "form/estado_monitor.h"
#include "form/main_form.h"
#include "support/test_support.h"
#include "volume/forecast.h"
#include "volume/volume_allowance.h"

namespace lt {
namespace {

void BM_ForecastOfThreeAllowances(benchmark::State& state) {
    const OleDate now = oleFromParts(2026, 12, 20) + oleFromTime(15, 0, 0);
    const BillingPeriod period = *periodContaining(PeriodKind::Month, now, 15);
    double used = 1.2e9;
    for (auto _ : state) {
        for (Measure m : {Measure::Time, Measure::Volume, Measure::Money}) {
            const Forecast f = forecastUse(period, now, used, 5e9);
            benchmark::DoNotOptimize(paceText(0, m, f, period));
            benchmark::DoNotOptimize(perDayText(0, m, f, period));
        }
        used += 1;
    }
}
BENCHMARK(BM_ForecastOfThreeAllowances);

class OneLink final : public TrafficCounters {
  public:
    bool read(std::vector<InterfaceBytes>& out) override {
        out.resize(1);
        out[0].name[0] = 'e';
        out[0].received = received += 125'000;
        out[0].sent = sent += 12'500;
        return true;
    }
    std::uint64_t received = 0, sent = 0;
};

void BM_AllowanceTickOnLine(benchmark::State& state) {
    MainForm form;
    EstadoMonitor estado;
    FakeClock clock(oleFromParts(2026, 12, 20) + oleFromTime(15, 0, 0));
    test::LiveMessages live(estado);
    OneLink link;
    VolumeAllowance volume(form, estado, clock, link, live.messages, {});
    estado.VolPeriodo = 3;
    estado.VolCantidad = QStringLiteral("50");
    estado.DiaFacturacion = 15;
    estado.Presupuesto = QStringLiteral("30");
    std::vector<QStringList> rows;
    for (int d = 0; d < 31; ++d)
        for (int s = 0; s < 3; ++s)
            rows.push_back({formatDate(clock.date() - d), "10:00:00", "11:00:00", "01:00:00",
                            "001.00", "010.00", "400000000", "20000000"});
    form.MSFlexGrid_Estado.setRows(rows);
    volume.cargar(test::daysOf(form.MSFlexGrid_Estado));
    form.LbTIEStadoE_Estado.setCaption(QStringLiteral("CONNECTED"));
    estado.Conectado = true;
    volume.sesionNueva();
    for (auto _ : state) {
        clock.advanceMs(1000);
        volume.tick();
    }
}
BENCHMARK(BM_AllowanceTickOnLine);

}  // namespace
}  // namespace lt
