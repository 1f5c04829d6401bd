#include <gtest/gtest.h>

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
                      [] {}, [] {}}};
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
                    const char* total) {
    return {date, start, "", duration, cost, total};
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
    EXPECT_DOUBLE_EQ(form.Grafica_Estadisticas.primaryMax(), 1798.5);
    EXPECT_DOUBLE_EQ(form.Grafica_Estadisticas.secondaryMax(), 13.75);
    EXPECT_EQ(form.LbTiempos_Estadisticas.caption(), QStringLiteral("Tiempos [min]"));
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
    // The accumulation restarted with the year: the week's cost tops the axis, not its total.
    EXPECT_EQ(form.MSFlexGrid_Estado.cell(0, 5), QStringLiteral("001.00"));
    EXPECT_DOUBLE_EQ(form.Grafica_Estadisticas.secondaryMax(), 3.3);

    // A year of daily use: 53 weeks from Monday 29 December, twelve months.
    store(yearOfDays());
    stats.GraficaPorSemana();
    ASSERT_EQ(points().size(), 53u);
    EXPECT_EQ(labels().last(), QStringLiteral("28/12/2026"));
    stats.GraficaPorMes();
    ASSERT_EQ(points().size(), 12u);
    EXPECT_EQ(labels()[1], QStringLiteral("02/2026"));
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
