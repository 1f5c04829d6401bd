#include <gtest/gtest.h>

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QFile>
#include <QImage>
#include <QLineSeries>
#include <QValueAxis>

#include <QApplication>
#include <QTemporaryDir>

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

}  // namespace

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
    QTemporaryDir dir;
};

TEST_F(ChartViewTest, BarsOrLinesOnTwoAxesWithSeriesShownAndHiddenWithoutRebuilding) {
    ChartView view(model, [] { return 0; });
    model.setPoints(points(5));
    model.setAxisMaxima(165, 13.75);
    QChart* chart = view.chart();
    EXPECT_EQ(visibleSeries(chart, QAbstractSeries::SeriesTypeBar), 3);
    EXPECT_EQ(visibleSeries(chart, QAbstractSeries::SeriesTypeLine), 0);
    const auto axes = chart->axes(Qt::Vertical);
    ASSERT_EQ(axes.size(), 2);
    EXPECT_DOUBLE_EQ(static_cast<QValueAxis*>(axes[0])->max(), 165);
    EXPECT_DOUBLE_EQ(static_cast<QValueAxis*>(axes[1])->max(), 13.75);

    model.setType(Chart::Type::Lines);
    EXPECT_EQ(visibleSeries(chart, QAbstractSeries::SeriesTypeLine), 3);
    EXPECT_EQ(visibleSeries(chart, QAbstractSeries::SeriesTypeBar), 0);
    model.setSeriesVisible(2, false);
    EXPECT_EQ(visibleSeries(chart, QAbstractSeries::SeriesTypeLine), 2);
    model.setSeriesVisible(2, true);
    EXPECT_EQ(visibleSeries(chart, QAbstractSeries::SeriesTypeLine), 3);
    // The time line holds the points' minutes.
    for (QAbstractSeries* s : chart->series()) {
        auto* line = qobject_cast<QLineSeries*>(s);
        if (line && line->attachedAxes().contains(axes[0])) {
            EXPECT_DOUBLE_EQ(line->at(4).y(), 40.0);
        }
    }
}

TEST_F(ChartViewTest, YearsOfSessionsShowTheNewestAndScrollBack) {
    ChartView view(model, [] { return 1; });
    model.setPoints(points(100000));
    EXPECT_EQ(view.firstShown(), 100000 - ChartView::kPointsShown);
}

TEST_F(ChartViewTest, AFullWindowOfDatesKeepsAFewShortLabelsAndNamesFollowTheLanguage) {
    int language = 0;
    ChartView view(model, [&language] { return language; });
    std::vector<ChartPoint> days;
    for (int d = 1; d <= 40; ++d)
        days.push_back(
            {QStringLiteral("%1/01/2026 10:00:00").arg(d % 20 + 1, 2, 10, QChar(u'0')), 10, 1, 2});
    model.setPoints(days);
    auto* axis = qobject_cast<QBarCategoryAxis*>(view.chart()->axes(Qt::Horizontal)[0]);
    ASSERT_NE(axis, nullptr);
    const QStringList shown = axis->categories();
    ASSERT_EQ(shown.size(), 40);  // one category per point, none merged
    QStringList labelled;
    for (const QString& c : shown)
        if (!QString(c).remove(QChar(0x200B)).isEmpty()) labelled << c;
    EXPECT_LE(labelled.size(), 8);
    EXPECT_GE(labelled.size(), 5);
    // The newest point, short (the marks that keep equal labels apart are invisible).
    EXPECT_EQ(QString(shown.last()).remove(QChar(0x200B)), QStringLiteral("01/01"));
    EXPECT_EQ(days.size(), model.points().size());
    EXPECT_EQ(model.points().back().label, QStringLiteral("01/01/2026 10:00:00"));  // untouched

    // A few points keep their whole labels.
    model.setPoints({days.begin(), days.begin() + 3});
    EXPECT_EQ(axis->categories()[0], days[0].label);

    const auto barNames = [&view] {
        QStringList names;
        for (QAbstractSeries* s : view.chart()->series())
            if (auto* bars = qobject_cast<QBarSeries*>(s)) names << bars->barSets()[0]->label();
        return names;
    };
    EXPECT_EQ(barNames(), (QStringList{"Time [min]", "Cost", "Total cost"}));
    language = 1;
    model.setPoints(days);
    EXPECT_EQ(barNames(), (QStringList{"Tiempo [min]", "Costo", "Costo total"}));
}

TEST_F(ChartViewTest, PngAndCsvExportsAreWrittenAndReadBack) {
    ChartView view(model, [] { return 0; });
    view.resize(600, 400);
    auto pts = points(3);
    pts[1].label = QStringLiteral("05/12, \"late\"");
    model.setPoints(pts);
    const QString png = dir.filePath(QStringLiteral("chart.png"));
    const QString csv = dir.filePath(QStringLiteral("chart.csv"));
    ASSERT_TRUE(view.savePng(png));
    EXPECT_FALSE(QImage(png).isNull());
    ASSERT_TRUE(view.saveCsv(csv));
    EXPECT_EQ(test::readFile(csv), QStringLiteral("label,minutes,cost,total_cost\n"
                                                  "p0,0,0.00,100.00\n"
                                                  "\"05/12, \"\"late\"\"\",10,1.50,101.00\n"
                                                  "p2,20,3.00,102.00\n"));
}
