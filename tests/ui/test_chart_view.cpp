#include <gtest/gtest.h>

#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QImage>
#include <QLineSeries>
#include <QTemporaryDir>
#include <QValueAxis>

#include "support/test_support.h"
#include "ui/chart_view.h"

using namespace lt;

namespace {

std::vector<ChartPoint> points(int n) {
    std::vector<ChartPoint> out;
    for (int i = 0; i < n; ++i)
        out.push_back({QStringLiteral("p%1").arg(i), 10.0 * i, 1.5 * i, 100.0 + i});
    return out;
}

int visibleSeries(QChart* chart, QAbstractSeries::SeriesType type) {
    int n = 0;
    for (QAbstractSeries* s : chart->series()) n += s->type() == type && s->isVisible() ? 1 : 0;
    return n;
}

class ChartViewTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char arg0[] = "test";
        static char* argv[] = {arg0, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
    ControlRegistry registry;
    Chart model{registry, QStringLiteral("Grafica_Estadisticas")};
    int language = 0;
    ChartView view{model, [this] { return language; }};
};

}  // namespace

TEST_F(ChartViewTest, BarsOrLinesOnTwoAxesWithSeriesShownAndHiddenWithoutRebuilding) {
    model.setPoints(points(5));
    model.setAxisMaxima(165, 13.75);
    QChart* chart = view.chart();
    EXPECT_EQ(visibleSeries(chart, QAbstractSeries::SeriesTypeBar), 3);
    const auto axes = chart->axes(Qt::Vertical);
    ASSERT_EQ(axes.size(), 2);
    EXPECT_DOUBLE_EQ(static_cast<QValueAxis*>(axes[0])->max(), 165);
    EXPECT_DOUBLE_EQ(static_cast<QValueAxis*>(axes[1])->max(), 13.75);

    model.setType(Chart::Type::Lines);
    EXPECT_EQ(visibleSeries(chart, QAbstractSeries::SeriesTypeLine), 3);
    EXPECT_EQ(visibleSeries(chart, QAbstractSeries::SeriesTypeBar), 0);
    model.setSeriesVisible(2, false);
    EXPECT_EQ(visibleSeries(chart, QAbstractSeries::SeriesTypeLine), 2);
    // The time line holds the points' minutes.
    for (QAbstractSeries* s : chart->series()) {
        auto* line = qobject_cast<QLineSeries*>(s);
        if (line && line->attachedAxes().contains(axes[0])) {
            EXPECT_DOUBLE_EQ(line->at(4).y(), 40.0);
        }
    }
    model.setPoints(points(100000));  // years of sessions: the newest are shown
    EXPECT_EQ(view.firstShown(), 100000 - ChartView::kPointsShown);

    language = 1;  // the series' names follow the language with the next data
    model.setPoints(points(3));
    QStringList names;
    for (QAbstractSeries* s : chart->series())
        if (auto* bars = qobject_cast<QBarSeries*>(s)) names << bars->barSets()[0]->label();
    EXPECT_EQ(names, (QStringList{"Tiempo [min]", "Costo", "Costo total"}));
}

TEST_F(ChartViewTest, PngAndCsvExportsAreWrittenAndReadBack) {
    QTemporaryDir dir;
    view.resize(600, 400);
    auto pts = points(3);
    pts[1].label = QStringLiteral("05/12, \"late\"");
    model.setPoints(pts);
    const QString png = dir.filePath(QStringLiteral("chart.png"));
    const QString csv = dir.filePath(QStringLiteral("chart.csv"));
    ASSERT_TRUE(view.savePng(png) && !QImage(png).isNull());
    ASSERT_TRUE(view.saveCsv(csv));
    EXPECT_EQ(test::readFile(csv), QStringLiteral("label,minutes,cost,total_cost\n"
                                                  "p0,0,0.00,100.00\n"
                                                  "\"05/12, \"\"late\"\"\",10,1.50,101.00\n"
                                                  "p2,20,3.00,102.00\n"));
}
