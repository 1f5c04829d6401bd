#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/conversions.h"
#include "core/ole_date.h"
#include "core/text_format.h"
#include "form/estado_monitor.h"
#include "form/main_form.h"
#include "stats/statistics.h"
#include "support/test_support.h"

using namespace lt;

namespace {

// The form and a stored history that "reloading the grid" puts back into it.
struct StatisticsTest : ::testing::Test {
    MainForm form;
    EstadoMonitor estado;
    std::vector<QStringList> stored;
    int reloads = 0, dataChanges = 0;
    Statistics stats{form,
                     estado,
                     {[this] {
                          ++reloads;
                          store(stored);
                      },
                      [] {}, [] {}, {}, {}}};
    Notifier<Chart::Change>::Subscription watch =
        form.Grafica_Estadisticas.subscribeChanges([this](Chart::Change c) {
            if (c == Chart::Change::Data) ++dataChanges;
        });

    void store(std::vector<QStringList> rows) {
        stored = std::move(rows);
        form.MSFlexGrid_Estado.setRows(stored);
        estado.CantidadSesiones = static_cast<int>(stored.size());
    }
    const std::vector<ChartPoint>& points() const { return form.Grafica_Estadisticas.points(); }
    QStringList labels() const {
        QStringList out;
        for (const ChartPoint& p : points()) out << p.label;
        return out;
    }
};

QStringList session(const char* date, const char* start, const char* duration, const char* cost,
                    const char* total, const char* received = "", const char* sent = "") {
    return {date, start, "", duration, cost, total, received, sent};
}

QStringList column(const Grid& grid, int c) {
    QStringList out;
    for (int r = 0; r < grid.rowCount(); ++r) out << grid.cell(r, c);
    return out;
}

// One session a day through 2026, an hour each.
std::vector<QStringList> yearOfDays() {
    std::vector<QStringList> rows;
    for (OleDate d = oleFromParts(2026, 1, 1); d < oleFromParts(2027, 1, 1); ++d)
        rows.push_back({formatDate(d), "10:00:00", "", "01:00:00", "001.00", "001.00"});
    return rows;
}

}  // namespace

TEST_F(StatisticsTest, PerSessionPointsAndAxesComeFromTheValues) {
    store({session("28/12/2025", "14:30:00", "00:00:59", "000.10", "000.10"),
           session("29/12/2025", "09:05:10", "02:30:00", "012.40", "012.50"),
           session("30/12/2025", "23:00:00", "27:15:03", "0.5", "003.00")});
    stats.GraficaPorSesion();
    EXPECT_TRUE(form.STabTiempos_Estado.tabEnabled(3));
    ASSERT_EQ(points().size(), 3u);
    EXPECT_EQ(labels(), (QStringList{"28/12 14:30", "29/12 09:05", "30/12 23:00"}));
    EXPECT_EQ(points()[0].minutes, 0);  // seconds dropped, not rounded
    EXPECT_EQ(points()[2].minutes, 1635);
    EXPECT_DOUBLE_EQ(points()[1].cost, 12.4);
    EXPECT_EQ(points()[0].date, QStringLiteral("28/12/2025 14:30:00"));  // exports keep the year
    // An axis each, the small costs not flattened by the total.
    const Chart& chart = form.Grafica_Estadisticas;
    EXPECT_EQ(chart.axis(1), (AxisScale{2000, 500}));
    EXPECT_EQ(chart.axis(2), (AxisScale{14, 2}));
    EXPECT_EQ(chart.axis(3), (AxisScale{14, 2}));

    // The axis is in minutes in either language, also after the caption table names hours.
    EXPECT_EQ(form.LbTiempos_Estadisticas.caption(), QStringLiteral("Time [min]"));
    estado.CodigoIdioma = 1;
    stats.GraficaPorDia();
    EXPECT_EQ(form.LbTiempos_Estadisticas.caption(), QStringLiteral("Tiempos [min]"));
    int languageChanges = 0;
    auto watchLanguage = form.Grafica_Estadisticas.subscribeChanges(
        [&](Chart::Change c) { languageChanges += c == Chart::Change::Language; });
    estado.CodigoIdioma = 0;
    form.LbTiempos_Estadisticas.setCaption(QStringLiteral("Time [hr]"));
    stats.traducirGrafica();
    EXPECT_EQ(form.LbTiempos_Estadisticas.caption(), QStringLiteral("Time [min]"));
    EXPECT_EQ(languageChanges, 1);  // the view writes its own texts again
}

TEST(NiceScale, RoundStepsThatHoldTheLargestValue) {
    EXPECT_EQ(niceScale(1635, 1), (AxisScale{2000, 500}));
    EXPECT_EQ(niceScale(3, 1), (AxisScale{4, 1}));  // no step below a whole minute
    EXPECT_EQ(niceScale(0.05, 0.01), (AxisScale{0.06, 0.01}));
    EXPECT_EQ(niceScale(0, 0.01), (AxisScale{1, 0.2}));  // all free: still a scale
    EXPECT_EQ(niceScale(std::nan(""), 1), (AxisScale{1, 1}));
    for (double v = 0.013; v < 1e9; v *= 1.37) {
        const AxisScale a = niceScale(v, 0.01);
        const double steps = a.max / a.step;
        const double power = std::pow(10.0, std::floor(std::log10(a.step) + 1e-9));
        const double mantissa = std::round(a.step / power);
        EXPECT_TRUE(mantissa == 1 || mantissa == 2 || mantissa == 5) << v;
        EXPECT_NEAR(a.step / power, mantissa, 1e-9) << v;
        EXPECT_NEAR(steps, std::round(steps), 1e-9) << v;
        EXPECT_LE(steps, 8.0 + 1e-9) << v;
        EXPECT_GE(a.max, v * 1.05 * (1 - 1e-9)) << v;
        EXPECT_LT(a.max - a.step, v * 1.05) << v;  // no empty step on top
    }
}

TEST_F(StatisticsTest, WeeksStartOnMondayAcrossTheYearEndAndCarryWholeHours) {
    // In no order, as a sorted grid holds them, and a row that is no session.
    store({session("31/12/2025", "10:00:00", "10:00:00", "001.00", "002.00"),
           session("garbled", "08:00:00", "01:00:00", "009.00", "009.00"),
           session("29/12/2025", "10:00:00", "10:00:00", "001.00", "001.00"),
           session("02/01/2026", "10:00:00", "10:00:00", "001.00", "001.00"),
           session("05/01/2026", "10:00:00", "00:30:00", "001.00", "002.00")});
    stats.GraficaPorSemana();
    EXPECT_EQ(labels(), (QStringList{"29/12/2025", "05/01/2026"}));
    EXPECT_EQ(form.MSFlexGrid_Estado.cell(0, 3), QStringLiteral("30:00:00"));
    EXPECT_EQ(points().at(0).minutes, 1800);
    // The accumulation restarted with the year: the week's total is its last session's.
    EXPECT_EQ(form.MSFlexGrid_Estado.cell(0, 5), QStringLiteral("001.00"));
    EXPECT_EQ(points().at(0).date, QStringLiteral("29/12/2025"));

    // A year of daily use: 53 weeks from Monday 29 December, twelve months.
    store(yearOfDays());
    stats.GraficaPorSemana();
    ASSERT_EQ(points().size(), 53u);
    EXPECT_EQ(labels().last(), QStringLiteral("28/12/2026"));
    stats.GraficaPorMes();
    ASSERT_EQ(points().size(), 12u);
    EXPECT_EQ(labels()[1], QStringLiteral("02/2026"));
    EXPECT_EQ(points()[1].date, QStringLiteral("02/2026"));
    EXPECT_EQ(form.MSFlexGrid_Estado.cell(1, 3), QStringLiteral("28:00:00"));
    EXPECT_EQ(form.MSFlexGrid_Estado.cell(11, 4), QStringLiteral("031.00"));
}

TEST_F(StatisticsTest, LabelsAndSeriesRebuildNoMoreThanAskedAndFewSessionsOnlySetTheTab) {
    form.CkCosto_Estadisticas.Click = [this] { stats.CkSerie_Click(2); };
    store(yearOfDays());
    stats.LbPeriodo_Click(Periodo::Semana);
    stats.LbPeriodo_DblClick(Periodo::Mes);  // the chart only, the red label stays
    EXPECT_EQ(labels().size(), 12);
    EXPECT_EQ(form.LbSemana_Estadisticas.foreColor(), 255);
    EXPECT_EQ(form.LbMes_Estadisticas.foreColor(), 0);
    form.CkCosto_Estadisticas.setValue(0);
    EXPECT_FALSE(form.Grafica_Estadisticas.seriesVisible(2));
    stats.OpLineal_Estadisticas_Click();
    EXPECT_EQ(form.Grafica_Estadisticas.type(), Chart::Type::Lines);
    EXPECT_EQ(dataChanges, 2);

    // One session: grouping would show the same row, so only the tab is set.
    store({session("05/03/2026", "08:00:00", "00:10:00", "000.20", "000.20")});
    reloads = dataChanges = 0;
    stats.GraficaPorMes();
    EXPECT_TRUE(form.STabTiempos_Estado.tabEnabled(3));
    EXPECT_EQ(reloads + dataChanges, 0);
    store({});
    stats.LbPeriodo_DblClick(Periodo::Sesion);
    EXPECT_FALSE(form.STabTiempos_Estado.tabEnabled(3));
    EXPECT_EQ(dataChanges, 0);
}

TEST_F(StatisticsTest, BytesAddUpPerGroupAndOldSessionsWithoutCountsStayEmpty) {
    // Sessions stored before bytes were counted sit among counted ones, across January's end.
    store({session("30/01/2026", "10:00:00", "01:00:00", "001.00", "001.00", "1000", "200"),
           session("31/01/2026", "09:00:00", "01:00:00", "001.00", "002.00"),
           session("31/01/2026", "22:00:00", "01:00:00", "001.00", "003.00", "2500", "0"),
           session("01/02/2026", "08:00:00", "01:00:00", "001.00", "001.00"),
           session("03/02/2026", "08:00:00", "01:00:00", "001.00", "002.00", "x12", "-5")});
    const Grid& grid = form.MSFlexGrid_Estado;
    stats.GraficaPorMes();
    EXPECT_EQ(column(grid, 0), (QStringList{"01/2026", "02/2026"}));
    EXPECT_EQ(column(grid, 6), (QStringList{"3500", ""}));  // nothing counted: empty, not "0"
    EXPECT_EQ(column(grid, 7), (QStringList{"200", ""}));
    EXPECT_EQ(points()[0].received, 3500);
    EXPECT_EQ(points()[1].sent, std::nullopt);

    stats.GraficaPorSemana();  // Monday 26 January to Sunday 1 February, then the next
    EXPECT_EQ(column(grid, 6), (QStringList{"3500", ""}));
    stats.GraficaPorDia();
    EXPECT_EQ(column(grid, 6), (QStringList{"1000", "2500", "", ""}));
    EXPECT_EQ(column(grid, 7), (QStringList{"200", "0", "", ""}));  // a counted 0 is a count
    stats.GraficaPorSesion();
    EXPECT_EQ(points()[2].received, 2500);
    EXPECT_EQ(points()[1].received, std::nullopt);

    // Counts beyond any real use stop at the largest rather than wrap round.
    store({session("30/01/2026", "10:00:00", "01:00:00", "001.00", "001.00", "900000000000000000",
                   "1"),
           session("30/01/2026", "11:00:00", "01:00:00", "001.00", "002.00", "9000000000000000000",
                   "1"),  // 19 digits: not a count
           session("30/01/2026", "12:00:00", "01:00:00", "001.00", "003.00", "999999999999999999",
                   "1")});
    for (int i = 0; i < 9; ++i) stored.push_back(stored.front());
    store(stored);
    stats.GraficaPorMes();
    EXPECT_EQ(points()[0].received, std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(points()[0].sent, 12);
}

TEST_F(StatisticsTest, VolumeTakesTheLeftAxisInTheUnitThatFitsAndSaysSoInBothLanguages) {
    form.OpTiempo_Estadisticas.Click = [this] { stats.OpTiempo_Estadisticas_Click(); };
    form.OpVolumen_Estadisticas.Click = [this] { stats.OpVolumen_Estadisticas_Click(); };
    form.CkRecibido_Estadisticas.Click = [this] { stats.CkSerie_Click(4); };
    store({session("30/01/2026", "10:00:00", "01:00:00", "001.00", "001.00", "1500000000",
                   "20000000"),
           session("31/01/2026", "09:00:00", "01:00:00", "001.00", "002.00")});
    stats.GraficaPorSesion();
    const Chart& chart = form.Grafica_Estadisticas;
    EXPECT_EQ(chart.volumeUnit().symbol(), QStringLiteral("GB"));
    EXPECT_EQ(chart.axis(Chart::kReceived), (AxisScale{1.6, 0.2}));
    EXPECT_EQ(chart.axis(Chart::kSent), chart.axis(Chart::kReceived));
    EXPECT_DOUBLE_EQ(chart.value(points()[0], Chart::kReceived), 1.5);
    EXPECT_DOUBLE_EQ(chart.value(points()[0], Chart::kSent), 0.02);
    EXPECT_EQ(chart.value(points()[1], Chart::kSent), 0);
    EXPECT_EQ(form.LbTiempos_Estadisticas.caption(), QStringLiteral("Time [min]"));
    EXPECT_FALSE(form.CkRecibido_Estadisticas.visible());

    form.OpVolumen_Estadisticas.setValue(true);
    EXPECT_FALSE(form.OpTiempo_Estadisticas.value());
    EXPECT_EQ(chart.measure(), Chart::Measure::Volume);
    EXPECT_EQ(form.LbTiempos_Estadisticas.caption(), QStringLiteral("Volume [GB]"));
    EXPECT_FALSE(chart.seriesShown(1));
    EXPECT_TRUE(chart.seriesShown(Chart::kReceived) && chart.seriesShown(2));
    // The time box makes way for the two of volume.
    EXPECT_FALSE(form.CkTiempo_Estadisticas.visible());
    EXPECT_TRUE(form.CkRecibido_Estadisticas.visible() && form.CkEnviado_Estadisticas.visible());
    form.CkRecibido_Estadisticas.setValue(0);
    EXPECT_FALSE(chart.seriesShown(Chart::kReceived));
    EXPECT_TRUE(chart.seriesShown(Chart::kSent));

    estado.CodigoIdioma = 1;
    stats.traducirGrafica();
    EXPECT_EQ(form.LbTiempos_Estadisticas.caption(), QStringLiteral("Volumen [GB]"));
    // Small counts: whole bytes; none at all: megabytes.
    store({session("30/01/2026", "10:00:00", "01:00:00", "001.00", "001.00", "800", "5"),
           session("31/01/2026", "09:00:00", "01:00:00", "001.00", "002.00")});
    stats.GraficaPorDia();
    EXPECT_EQ(form.LbTiempos_Estadisticas.caption(), QStringLiteral("Volumen [B]"));
    EXPECT_EQ(chart.axis(Chart::kReceived), (AxisScale{1000, 200}));
    store({session("30/01/2026", "10:00:00", "01:00:00", "001.00", "001.00"),
           session("31/01/2026", "09:00:00", "01:00:00", "001.00", "002.00")});
    stats.GraficaPorDia();
    EXPECT_EQ(form.LbTiempos_Estadisticas.caption(), QStringLiteral("Volumen [MB]"));

    form.OpTiempo_Estadisticas.setValue(true);
    EXPECT_EQ(form.LbTiempos_Estadisticas.caption(), QStringLiteral("Tiempos [min]"));
    EXPECT_TRUE(chart.seriesShown(1));
    EXPECT_FALSE(chart.seriesShown(Chart::kSent));
    EXPECT_TRUE(form.CkTiempo_Estadisticas.visible());
    EXPECT_FALSE(form.CkEnviado_Estadisticas.visible());
}
