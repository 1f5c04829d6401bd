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
    int reloads = 0, captions = 0, replaced = 0, dataChanges = 0;
    Statistics stats{form,
                     estado,
                     {[this] {
                          ++reloads;
                          form.MSFlexGrid_Estado.setRows(stored);
                          estado.CantidadSesiones = static_cast<int>(stored.size());
                      },
                      [this] { ++captions; }, [this] { ++replaced; }}};

    void SetUp() override {
        watch = form.Grafica_Estadisticas.subscribeChanges([this](Chart::Change c) {
            if (c == Chart::Change::Data) ++dataChanges;
        });
    }
    Notifier<Chart::Change>::Subscription watch;
    void store(std::vector<QStringList> rows) {
        stored = std::move(rows);
        form.MSFlexGrid_Estado.setRows(stored);
        estado.CantidadSesiones = static_cast<int>(stored.size());
    }
    QStringList labels() const {
        QStringList out;
        for (const ChartPoint& p : form.Grafica_Estadisticas.points()) out << p.label;
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
           session("30/12/2025", "23:00:00", "01:59:59", "0.5", "003.00")});
    stats.GraficaPorSesion();
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(captions, 1);
    EXPECT_TRUE(form.STabTiempos_Estado.tabEnabled(3));
    const auto& p = form.Grafica_Estadisticas.points();
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(labels(), (QStringList{"28/12 14:30", "29/12 09:05", "30/12 23:00"}));
    EXPECT_EQ(p[0].minutes, 0);  // seconds dropped, not rounded
    EXPECT_EQ(p[1].minutes, 150);
    EXPECT_EQ(p[2].minutes, 119);
    EXPECT_DOUBLE_EQ(p[1].cost, 12.4);
    EXPECT_DOUBLE_EQ(p[2].totalCost, 3.0);
    EXPECT_DOUBLE_EQ(form.Grafica_Estadisticas.primaryMax(), 165);
    EXPECT_DOUBLE_EQ(form.Grafica_Estadisticas.secondaryMax(), 13.75);
    EXPECT_EQ(form.LbTiempos_Estadisticas.caption(), QStringLiteral("Tiempos [min]"));
    EXPECT_EQ(form.MSFlexGrid_Estado.row(0), stored[0]);  // the grid keeps its order

    store({session("01/01/2026", "10:00:00", "27:15:03", "001.00", "001.00")});
    stats.GraficaPorSesion();
    EXPECT_EQ(form.Grafica_Estadisticas.points().at(0).minutes, 1635);
}

TEST_F(StatisticsTest, DaysAreCalendarDaysInDateOrder) {
    // In no order, as a sorted grid holds them; 5 April is not 5 March.
    store({session("05/04/2026", "08:00:00", "00:10:00", "000.20", "003.20"),
           session("05/03/2026", "20:00:00", "00:00:20", "000.50", "001.50"),
           session("05/04/2026", "09:00:00", "00:05:00", "000.10", "003.30"),
           session("garbled", "08:00:00", "01:00:00", "009.00", "009.00"),
           session("05/03/2026", "08:00:00", "01:59:50", "001.00", "001.00")});
    stats.GraficaPorDia();
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(captions, 1);
    const Grid& g = form.MSFlexGrid_Estado;
    ASSERT_EQ(g.rowCount(), 2);
    EXPECT_EQ(g.row(0), (QStringList{"05/03/2026", "", "", "02:00:10", "001.50", "001.50"}));
    EXPECT_EQ(g.row(1), (QStringList{"05/04/2026", "", "", "00:15:00", "000.30", "003.30"}));
    EXPECT_EQ(form.Grafica_Estadisticas.points().at(0).minutes, 120);
}

TEST_F(StatisticsTest, WeeksStartOnMondayAcrossTheYearEndAndCarryWholeHours) {
    ASSERT_EQ(oleWeekday(oleFromParts(2025, 12, 29)), 2);
    store({session("29/12/2025", "10:00:00", "10:00:00", "001.00", "001.00"),
           session("31/12/2025", "10:00:00", "10:00:00", "001.00", "002.00"),
           session("02/01/2026", "10:00:00", "10:00:00", "001.00", "001.00"),
           session("05/01/2026", "10:00:00", "00:30:00", "001.00", "002.00")});
    stats.GraficaPorSemana();
    EXPECT_EQ(labels(), (QStringList{"29/12/2025", "05/01/2026"}));
    EXPECT_EQ(form.MSFlexGrid_Estado.cell(0, 3), QStringLiteral("30:00:00"));
    EXPECT_EQ(form.Grafica_Estadisticas.points().at(0).minutes, 1800);
    EXPECT_DOUBLE_EQ(form.Grafica_Estadisticas.primaryMax(), 1980);
    // The accumulation restarted with the year: the week's cost tops the axis, not its total.
    EXPECT_EQ(form.MSFlexGrid_Estado.cell(0, 5), QStringLiteral("001.00"));
    EXPECT_DOUBLE_EQ(form.Grafica_Estadisticas.secondaryMax(), 3.3);
}

TEST_F(StatisticsTest, AYearOfDailyUseMakesFiftyThreeWeeksAndTwelveMonths) {
    store(yearOfDays());
    stats.GraficaPorSemana();
    const QStringList weeks = labels();
    ASSERT_EQ(weeks.size(), 53);  // 1 January 2026 is a Thursday
    EXPECT_EQ(weeks.first(), QStringLiteral("29/12/2025"));
    EXPECT_EQ(weeks.last(), QStringLiteral("28/12/2026"));
    for (const QString& w : weeks) EXPECT_EQ(oleWeekday(*strictDate(w)), 2) << w.toStdString();

    stats.GraficaPorMes();
    QStringList months;
    for (int m = 1; m <= 12; ++m) months << QStringLiteral("%1/2026").arg(m, 2, 10, QChar('0'));
    EXPECT_EQ(labels(), months);
    EXPECT_EQ(form.MSFlexGrid_Estado.cell(1, 3), QStringLiteral("28:00:00"));  // February
    EXPECT_EQ(form.MSFlexGrid_Estado.cell(11, 4), QStringLiteral("031.00"));

    stats.GraficaPorDia();
    EXPECT_EQ(form.Grafica_Estadisticas.points().size(), 365u);
}

TEST_F(StatisticsTest, LabelsSeriesAndChartTypeDoNotRebuildMoreThanAsked) {
    form.CkCosto_Estadisticas.Click = [this] { stats.CkSerie_Click(2); };
    store(yearOfDays());
    stats.LbPeriodo_Click(Periodo::Semana);
    EXPECT_EQ(form.LbSemana_Estadisticas.foreColor(), 255);
    for (Label* l :
         {&form.LbSesion_Estadisticas, &form.LbDia_Estadisticas, &form.LbMes_Estadisticas})
        EXPECT_EQ(l->foreColor(), 0);
    stats.LbPeriodo_DblClick(Periodo::Mes);
    EXPECT_EQ(labels().size(), 12);
    EXPECT_EQ(form.LbSemana_Estadisticas.foreColor(), 255);
    EXPECT_EQ(form.LbMes_Estadisticas.foreColor(), 0);
    EXPECT_EQ(dataChanges, 2);

    form.CkCosto_Estadisticas.setValue(2);  // grey: as it was
    EXPECT_TRUE(form.Grafica_Estadisticas.seriesVisible(2));
    form.CkCosto_Estadisticas.setValue(0);
    EXPECT_FALSE(form.Grafica_Estadisticas.seriesVisible(2));
    form.CkCosto_Estadisticas.setValue(1);
    EXPECT_TRUE(form.Grafica_Estadisticas.seriesVisible(2));
    stats.OpLineal_Estadisticas_Click();
    EXPECT_EQ(form.Grafica_Estadisticas.type(), Chart::Type::Lines);
    stats.OpBarras_Estadisticas_Click();
    EXPECT_EQ(form.Grafica_Estadisticas.type(), Chart::Type::Bars);
    EXPECT_EQ(dataChanges, 2);
}

TEST_F(StatisticsTest, FewSessionsOnlySetTheTabsAvailability) {
    store({session("05/03/2026", "08:00:00", "00:10:00", "000.20", "000.20")});
    stats.GraficaPorDia();
    stats.GraficaPorSemana();
    stats.GraficaPorMes();
    EXPECT_TRUE(form.STabTiempos_Estado.tabEnabled(3));
    EXPECT_EQ(reloads + replaced + dataChanges, 0);
    EXPECT_EQ(form.MSFlexGrid_Estado.row(0), stored[0]);
    stats.GraficaPorSesion();
    EXPECT_EQ(form.Grafica_Estadisticas.points().size(), 1u);

    store({});
    dataChanges = 0;
    for (Periodo p : {Periodo::Sesion, Periodo::Dia, Periodo::Semana, Periodo::Mes})
        stats.LbPeriodo_DblClick(p);
    EXPECT_FALSE(form.STabTiempos_Estado.tabEnabled(3));
    EXPECT_EQ(dataChanges, 0);
    EXPECT_EQ(form.Grafica_Estadisticas.points().size(), 1u);
}
