#include <gtest/gtest.h>

#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QFileDialog>
#include <QImage>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolTip>
#include <QValueAxis>

#include "support/test_support.h"
#include "support/widget_application.h"
#include "ui/chart_view.h"

using namespace lt;

namespace {

// The first point is a session stored before bytes were counted.
std::vector<ChartPoint> points(int n) {
    std::vector<ChartPoint> out;
    for (int i = 0; i < n; ++i) {
        out.push_back({QStringLiteral("p%1").arg(i), 10.0 * i, 1.5 * i, 100.0 + i, {}});
        if (i > 0) {
            out.back().received = 2'500'000LL * i;
            out.back().sent = 40'000LL * i;
        }
    }
    return out;
}

QList<QBarSeries*> barSeries(QChart* chart) {
    QList<QBarSeries*> out;
    for (QAbstractSeries* s : chart->series())
        if (auto* bars = qobject_cast<QBarSeries*>(s)) out << bars;
    return out;
}

int visibleSeries(QChart* chart, QAbstractSeries::SeriesType type) {
    int n = 0;
    for (QAbstractSeries* s : chart->series()) n += s->type() == type && s->isVisible() ? 1 : 0;
    return n;
}

// The legend's entries as shown: the marker's label, and whether it is a bar's.
QStringList legendEntries(QChart* chart) {
    QCoreApplication::processEvents();  // entries of series added since are laid out then
    QStringList out;
    for (QLegendMarker* m : chart->legend()->markers())
        if (m->isVisible())
            out << m->label() +
                       (m->type() == QLegendMarker::LegendMarkerTypeBar ? "|bar" : "|line");
    return out;
}

QValueAxis* valueAxisOf(QAbstractSeries* series) {
    for (QAbstractAxis* a : series->attachedAxes())
        if (auto* v = qobject_cast<QValueAxis*>(a)) return v;
    return nullptr;
}

class ChartViewTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::widgetApplication(); }
    static QWidget* tabWithButtons() {
        auto* tab = new QWidget;
        for (const QString& name : {ChartView::kSaveImageButton, ChartView::kSaveDataButton})
            (new QPushButton(tab))->setObjectName(name);
        return tab;
    }
    QPushButton* button(const QString& name) { return tab->findChild<QPushButton*>(name); }

    ControlRegistry registry;
    Chart model{registry, QStringLiteral("Grafica_Estadisticas")};
    int language = 0;
    std::unique_ptr<QWidget> tab{tabWithButtons()};
    ChartView& view = *new ChartView(
        model, [this] { return language; }, tab.get());
};

}  // namespace

TEST_F(ChartViewTest, LegendKeepsOneEntryPerSeriesThroughTypeSwitchesAndToggles) {
    tab->show();  // a legend out of sight shows no entry
    model.setPoints(points(5));
    QChart* chart = view.chart();
    const QStringList bars = {"Time [min]|bar", "Cost|bar", "Total cost|bar"};
    const QStringList lines = {"Time [min]|line", "Cost|line", "Total cost|line"};
    EXPECT_EQ(legendEntries(chart), bars);
    model.setType(Chart::Type::Lines);
    EXPECT_EQ(legendEntries(chart), lines);
    model.setType(Chart::Type::Bars);
    EXPECT_EQ(legendEntries(chart), bars);
    for (Chart::Type type : {Chart::Type::Bars, Chart::Type::Lines, Chart::Type::Bars}) {
        model.setType(type);
        const QStringList& expected = type == Chart::Type::Bars ? bars : lines;
        for (int s = 1; s <= 3; ++s) {
            model.setSeriesVisible(s, false);  // an unticked series stays in the legend
            EXPECT_EQ(legendEntries(chart), expected) << s;
            model.setSeriesVisible(s, true);
            EXPECT_EQ(legendEntries(chart), expected) << s;
        }
    }
    model.setPoints(points(50));  // new data keeps it
    EXPECT_EQ(legendEntries(chart), bars);
}

TEST_F(ChartViewTest, EachSeriesOnItsOwnRoundAxisShownOrHiddenWithoutRebuilding) {
    model.setPoints(points(5));
    model.setAxes({AxisScale{2000, 500}, AxisScale{15, 5}, AxisScale{1.2, 0.2}});
    QChart* chart = view.chart();
    EXPECT_EQ(visibleSeries(chart, QAbstractSeries::SeriesTypeBar), 3);
    int axesShown = 0;
    for (QAbstractAxis* a : chart->axes(Qt::Vertical)) axesShown += a->isVisible() ? 1 : 0;
    EXPECT_EQ(axesShown, 3);
    QMap<QAbstractSeries::SeriesType, QList<QValueAxis*>> axesByType;
    for (QAbstractSeries* s : chart->series()) axesByType[s->type()] << valueAxisOf(s);
    const auto& axes = axesByType[QAbstractSeries::SeriesTypeBar];
    EXPECT_EQ(axesByType[QAbstractSeries::SeriesTypeLine], axes);  // a line on its bars' axis
    ASSERT_EQ(axes.size(), 3);
    EXPECT_EQ(QSet<QValueAxis*>(axes.begin(), axes.end()).size(), 3);
    const double maxima[] = {2000, 15, 1.2}, steps[] = {500, 5, 0.2};
    for (int s = 0; s < 3; ++s) {
        EXPECT_DOUBLE_EQ(axes[s]->max(), maxima[s]);
        EXPECT_DOUBLE_EQ(axes[s]->tickInterval(), steps[s]);
    }
    EXPECT_EQ(axes[2]->labelFormat(), QStringLiteral("%.1f"));  // "0.2", not "0.200000"

    model.setType(Chart::Type::Lines);
    EXPECT_EQ(visibleSeries(chart, QAbstractSeries::SeriesTypeLine), 3);
    EXPECT_EQ(visibleSeries(chart, QAbstractSeries::SeriesTypeBar), 0);
    model.setSeriesVisible(2, false);
    EXPECT_EQ(visibleSeries(chart, QAbstractSeries::SeriesTypeLine), 2);
    EXPECT_FALSE(axes[1]->isVisible());
    for (QAbstractSeries* s : chart->series()) {
        if (auto* line = qobject_cast<QLineSeries*>(s); line && valueAxisOf(s) == axes[0]) {
            EXPECT_DOUBLE_EQ(line->at(4).y(), 40.0);
        }
    }

    model.setPoints(points(100000));  // years of sessions: the newest are shown
    EXPECT_EQ(view.firstShown(), 100000 - ChartView::kPointsShown);
}

TEST_F(ChartViewTest, PointerOverAPointTellsItsLabelAndValueInTheLanguage) {
    model.setPoints(points(50));
    EXPECT_EQ(view.pointText(1, 12), QStringLiteral("p12 — Time: 120 min"));
    EXPECT_EQ(view.pointText(2, 3), QStringLiteral("p3 — Cost: 4.50"));
    language = 1;
    EXPECT_EQ(view.pointText(3, 0), QStringLiteral("p0 — Costo total: 100.00"));

    view.resize(600, 400);
    view.show();
    auto* timeBars = qobject_cast<QBarSeries*>(view.chart()->series().first());
    ASSERT_NE(timeBars, nullptr);
    emit timeBars->barSets()[0]->hovered(true, 2);  // the third bar shown
    const int point = view.firstShown() + 2;
    EXPECT_EQ(QToolTip::text(), QStringLiteral("p%1 — Tiempo: %2 min").arg(point).arg(10 * point));
    emit timeBars->barSets()[0]->hovered(false, 2);
}

TEST_F(ChartViewTest, ButtonsSaveTheChartAndItsTableWithFullDates) {
    QTemporaryDir dir;
    view.resize(600, 400);
    auto pts = points(3);
    pts[0].date = QStringLiteral("28/12/2025 14:30:00");
    pts[1].label = QStringLiteral("05/12, \"late\"");  // no full date: the label stands in
    pts[2].date = QStringLiteral("02/2026");
    model.setPoints(pts);
    const QString png = dir.filePath(QStringLiteral("chart.png"));
    const QString csv = dir.filePath(QStringLiteral("chart.csv"));
    ASSERT_TRUE(view.savePng(png) && !QImage(png).isNull());

    // The button asks where without waiting, and saves once told.
    button(ChartView::kSaveDataButton)->click();
    auto* dialog = view.findChild<QFileDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    emit dialog->fileSelected(csv);
    // Bytes whole, empty where not counted.
    EXPECT_EQ(test::readFile(csv),
              QStringLiteral("date,minutes,cost,total_cost,bytes_received,bytes_sent\n"
                             "28/12/2025 14:30:00,0,0.00,100.00,,\n"
                             "\"05/12, \"\"late\"\"\",10,1.50,101.00,2500000,40000\n"
                             "02/2026,20,3.00,102.00,5000000,80000\n"));
    dialog->close();
    QString error;
    EXPECT_FALSE(view.saveCsv(dir.filePath(QStringLiteral("no/such/folder.csv")), &error));
    EXPECT_FALSE(error.isEmpty());

    EXPECT_EQ(button(ChartView::kSaveImageButton)->text(), QStringLiteral("Save ima&ge…"));
    language = 1;
    model.languageChanged();
    EXPECT_EQ(button(ChartView::kSaveImageButton)->text(), QStringLiteral("&Guardar imagen…"));
    EXPECT_EQ(button(ChartView::kSaveDataButton)->text(), QStringLiteral("Guardar &datos…"));
    EXPECT_EQ(legendEntries(view.chart()).first(), QStringLiteral("Tiempo [min]|bar"));
    model.setMeasure(Chart::Measure::Volume);  // the same table whatever is drawn
    ASSERT_TRUE(view.saveCsv(csv));
    EXPECT_EQ(test::readFile(csv).split(QLatin1Char('\n')).mid(0, 2),
              (QStringList{"date,minutes,cost,total_cost,bytes_recibidos,bytes_enviados",
                           "28/12/2025 14:30:00,0,0.00,100.00,,"}));
}

TEST_F(ChartViewTest, VolumeSwapsTheTimeSeriesForReceivedAndSentWithoutGapsOrExtraEntries) {
    tab->show();
    model.setPoints(points(5));
    model.setAxes({AxisScale{2000, 500}, AxisScale{15, 5}, AxisScale{1.2, 0.2}}, AxisScale{12, 2},
                  VolumeUnit{2});
    QChart* chart = view.chart();
    const QStringList timeBars = {"Time [min]|bar", "Cost|bar", "Total cost|bar"};
    const QStringList volumeBars = {"Received|bar", "Sent|bar", "Cost|bar", "Total cost|bar"};
    const QStringList volumeLines = {"Received|line", "Sent|line", "Cost|line", "Total cost|line"};
    // Back and forth, through bars and lines, the legend holds the series drawn and no more.
    for (int round = 0; round < 3; ++round) {
        model.setMeasure(Chart::Measure::Volume);
        EXPECT_EQ(legendEntries(chart), volumeBars) << round;
        // Every bar series in the chart takes a place in a category: only the drawn ones.
        EXPECT_EQ(barSeries(chart).size(), 4);
        EXPECT_EQ(chart->legend()->markers().size(), 8);
        model.setType(Chart::Type::Lines);
        EXPECT_EQ(legendEntries(chart), volumeLines) << round;
        model.setMeasure(Chart::Measure::Time);
        EXPECT_EQ(legendEntries(chart).first(), QStringLiteral("Time [min]|line"));
        model.setType(Chart::Type::Bars);
        EXPECT_EQ(legendEntries(chart), timeBars) << round;
        EXPECT_EQ(chart->legend()->markers().size(), 6);
    }

    model.setMeasure(Chart::Measure::Volume);
    model.setSeriesVisible(Chart::kReceived, false);  // unticked: greyed in the legend
    EXPECT_EQ(legendEntries(chart), volumeBars);
    EXPECT_EQ(visibleSeries(chart, QAbstractSeries::SeriesTypeBar), 3);
    model.setSeriesVisible(Chart::kReceived, true);
    // Received and sent share a left axis in the unit; time's is out of sight.
    const QList<QBarSeries*> bars = barSeries(chart);
    QValueAxis* volume = valueAxisOf(bars[0]);
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(valueAxisOf(bars[1]), volume);
    EXPECT_EQ(chart->axes(Qt::Vertical, bars[0]).first()->alignment(), Qt::AlignLeft);
    EXPECT_TRUE(volume->isVisible());
    EXPECT_DOUBLE_EQ(volume->max(), 12);
    EXPECT_DOUBLE_EQ(volume->tickInterval(), 2);
    EXPECT_DOUBLE_EQ(bars[0]->barSets()[0]->at(4), 10.0);  // 10,000,000 bytes in MB
    EXPECT_DOUBLE_EQ(bars[1]->barSets()[0]->at(4), 0.16);
    int leftShown = 0;
    for (QAbstractAxis* a : chart->axes(Qt::Vertical))
        leftShown += a->alignment() == Qt::AlignLeft && a->isVisible() ? 1 : 0;
    EXPECT_EQ(leftShown, 1);

    EXPECT_EQ(view.pointText(Chart::kReceived, 1), QStringLiteral("p1 — Received: 2.5 MB"));
    EXPECT_EQ(view.pointText(Chart::kSent, 3), QStringLiteral("p3 — Sent: 120.0 kB"));
    language = 1;
    EXPECT_EQ(view.pointText(Chart::kReceived, 0), QStringLiteral("p0 — Recibido: sin contar"));
    model.languageChanged();
    EXPECT_EQ(legendEntries(chart).first(), QStringLiteral("Recibido|bar"));
}
