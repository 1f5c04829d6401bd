#include "ui/chart_view.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileDialog>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMenu>
#include <QScrollBar>
#include <QTextStream>
#include <QVBoxLayout>
#include <QValueAxis>

namespace lt {

namespace {

constexpr qsizetype kLabelsShown = 8;

const char* const kSeriesNames[3][2] = {
    {"Time [min]", "Tiempo [min]"}, {"Cost", "Costo"}, {"Total cost", "Costo total"}};

double valueOf(const ChartPoint& p, int series) {
    return series == 0 ? p.minutes : series == 1 ? p.cost : p.totalCost;
}

QString csvField(const QString& s) {
    if (!s.contains(QLatin1Char(',')) && !s.contains(QLatin1Char('"'))) return s;
    return QLatin1Char('"') + QString(s).replace(QLatin1String("\""), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

// A full window of dates cut down to "..." by the axis says nothing: a few evenly spaced
// points keep a short label ("dd/MM" of a date, a month whole) and the rest none. Labels
// stay unique and non-empty, since the category axis merges equal ones.
void shortenLabels(QStringList& labels) {
    const auto n = labels.size();
    const qsizetype step = (n + kLabelsShown - 1) / kLabelsShown;
    for (qsizetype i = 0; i < n; ++i) {
        QString& label = labels[i];
        const bool kept = (n - 1 - i) % step == 0;  // the newest, at the right, among them
        const bool date = label.size() >= 10 && label[2] == QLatin1Char('/');
        if (!kept)
            label = QString(i + 1, QChar(0x200B));  // blank but not empty: the axis drops ""
        else if (step > 1 && date)
            label.truncate(5);
    }
    for (qsizetype i = 0; i < n; ++i)
        if (labels.indexOf(labels[i]) != i) labels[i] += QString(i, QChar(0x200B));
}

}  // namespace

ChartView::ChartView(Chart& model, std::function<int()> language, QWidget* parent)
    : QWidget(parent), model_(model), language_(std::move(language)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    chart_ = new QChart();
    chart_->legend()->setAlignment(Qt::AlignBottom);
    view_ = new QChartView(chart_, this);
    view_->setRenderHint(QPainter::Antialiasing);
    scroll_ = new QScrollBar(Qt::Horizontal, this);
    layout->addWidget(view_);
    layout->addWidget(scroll_);

    categories_ = new QBarCategoryAxis();
    categories_->setTruncateLabels(false);  // shortenLabels leaves room between them
    QFont small = categories_->labelsFont();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    categories_->setLabelsFont(small);
    timeAxis_ = new QValueAxis();
    costAxis_ = new QValueAxis();
    chart_->addAxis(categories_, Qt::AlignBottom);
    chart_->addAxis(timeAxis_, Qt::AlignLeft);
    chart_->addAxis(costAxis_, Qt::AlignRight);
    for (int s = 0; s < 3; ++s) {
        // Each bar series holds three sets, two of them always zero, so that the three
        // series stand side by side in a category although they use two value axes.
        bars_[s] = new QBarSeries();
        bars_[s]->setBarWidth(0.9);
        for (int slot = 0; slot < 3; ++slot) {
            auto* set = new QBarSet(QString());
            // The theme's white outline would cover bars a few pixels wide.
            set->setPen(Qt::NoPen);
            bars_[s]->append(set);
        }
        lines_[s] = new QLineSeries();
        lines_[s]->setPointsVisible(true);
        for (QAbstractSeries* series :
             {static_cast<QAbstractSeries*>(bars_[s]), static_cast<QAbstractSeries*>(lines_[s])}) {
            chart_->addSeries(series);
            series->attachAxis(categories_);
            series->attachAxis(s == 0 ? timeAxis_ : costAxis_);
        }
        for (int slot = 0; slot < 3; ++slot)
            if (slot != s) chart_->legend()->markers(bars_[s])[slot]->setVisible(false);
    }
    // Lines take the colours of their bars.
    for (int s = 0; s < 3; ++s) lines_[s]->setColor(bars_[s]->barSets()[s]->color());
    applyNames();

    connect(scroll_, &QScrollBar::valueChanged, this, [this] { fillWindow(); });
    changes_ = model_.subscribeChanges([this](Chart::Change c) {
        switch (c) {
            case Chart::Change::Data:
                rebuild();
                break;
            case Chart::Change::Type:
                applyType();
                break;
            case Chart::Change::SeriesVisibility:
                applyVisibility();
                break;
            case Chart::Change::Axes:
                applyAxes();
                break;
        }
    });
    rebuild();
}

ChartView::~ChartView() = default;

int ChartView::firstShown() const {
    return scroll_->value();
}

void ChartView::applyNames() {
    const int lang = language_ ? language_() : 0;
    for (int s = 0; s < 3; ++s) {
        const QString name = QString::fromUtf8(kSeriesNames[s][lang == 1]);
        for (QBarSet* set : bars_[s]->barSets()) set->setLabel(name);
        lines_[s]->setName(name);
    }
}

void ChartView::rebuild() {
    // The language may have changed since the last drawing.
    applyNames();
    const int n = static_cast<int>(model_.points().size());
    const QSignalBlocker block(scroll_);
    scroll_->setRange(0, std::max(0, n - kPointsShown));
    scroll_->setPageStep(kPointsShown);
    scroll_->setValue(scroll_->maximum());  // the newest at the right
    scroll_->setVisible(n > kPointsShown);
    fillWindow();
    applyAxes();
}

void ChartView::fillWindow() {
    const auto& points = model_.points();
    const int first = scroll_->value();
    const int last = std::min(static_cast<int>(points.size()), first + kPointsShown);
    QStringList labels;
    QList<qreal> values[3];
    QList<QPointF> linePoints[3];
    for (int i = first; i < last; ++i) {
        const ChartPoint& p = points[static_cast<size_t>(i)];
        labels << p.label;
        for (int s = 0; s < 3; ++s) {
            values[s] << valueOf(p, s);
            linePoints[s] << QPointF(i - first, valueOf(p, s));
        }
    }
    shortenLabels(labels);
    categories_->clear();
    categories_->append(labels);
    const QList<qreal> zeros(labels.size(), 0.0);
    for (int s = 0; s < 3; ++s) {
        for (int slot = 0; slot < 3; ++slot) {
            QBarSet* set = bars_[s]->barSets()[slot];
            set->remove(0, set->count());
            set->append(slot == s ? values[s] : zeros);
        }
        lines_[s]->replace(linePoints[s]);
    }
    applyType();
}

void ChartView::applyType() {
    const bool barsShown = model_.type() == Chart::Type::Bars;
    for (int s = 0; s < 3; ++s) {
        bars_[s]->setVisible(barsShown && model_.seriesVisible(s + 1));
        lines_[s]->setVisible(!barsShown && model_.seriesVisible(s + 1));
    }
}

void ChartView::applyVisibility() {
    applyType();
}

void ChartView::applyAxes() {
    timeAxis_->setRange(0, std::max(1.0, model_.primaryMax()));
    costAxis_->setRange(0, std::max(1.0, model_.secondaryMax()));
}

bool ChartView::savePng(const QString& path) const {
    return view_->grab().save(path, "PNG");
}

bool ChartView::saveCsv(const QString& path) const {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) return false;
    QTextStream out(&f);
    out << "label,minutes,cost,total_cost\n";
    for (const ChartPoint& p : model_.points())
        out << csvField(p.label) << ',' << QString::number(p.minutes, 'f', 0) << ','
            << QString::number(p.cost, 'f', 2) << ',' << QString::number(p.totalCost, 'f', 2)
            << '\n';
    out.flush();
    return f.error() == QFileDevice::NoError;
}

void ChartView::contextMenuEvent(QContextMenuEvent* e) {
    const bool es = language_ && language_() == 1;
    QMenu menu(this);
    QAction* png = menu.addAction(es ? QStringLiteral("Guardar como PNG...")
                                     : QStringLiteral("Save as PNG..."));
    QAction* csv = menu.addAction(es ? QStringLiteral("Guardar la tabla como CSV...")
                                     : QStringLiteral("Save the table as CSV..."));
    QAction* chosen = menu.exec(e->globalPos());
    if (chosen == png) {
        const QString path = QFileDialog::getSaveFileName(
            this, QString(), QStringLiteral("linktally.png"), QStringLiteral("PNG (*.png)"));
        if (!path.isEmpty()) savePng(path);
    } else if (chosen == csv) {
        const QString path = QFileDialog::getSaveFileName(
            this, QString(), QStringLiteral("linktally.csv"), QStringLiteral("CSV (*.csv)"));
        if (!path.isEmpty()) saveCsv(path);
    }
}

}  // namespace lt
