#include "ui/chart_view.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QContextMenuEvent>
#include <QCursor>
#include <QFileDialog>
#include <QFileInfo>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>

#include "i18n/captions.h"
#include "platform/durable_file.h"
#include "volume/byte_units.h"

#include "ui/mnemonics.h"

namespace lt {

namespace {

constexpr qsizetype kLabelsShown = 8;
// The share of a category its bars take: the rest is the gap that tells one from the next.
constexpr qreal kBarWidth = 0.8;
constexpr size_t kVolumeAxis = 3;

// Received and sent, by series.
constexpr Bilingual kVolumeSeries[] = {{"Received", "Recibido"}, {"Sent", "Enviado"}};
// %1 the point's label, %2 the amount in units.
constexpr Bilingual kVolumeTip[] = {{"%1 — Received: %2", "%1 — Recibido: %2"},
                                    {"%1 — Sent: %2", "%1 — Enviado: %2"}};
constexpr Bilingual kNotCounted{"not counted", "sin contar"};
constexpr Bilingual kCsvBytes[] = {{"bytes_received", "bytes_recibidos"},
                                   {"bytes_sent", "bytes_enviados"}};

// Series by index from 0: time, cost, total cost, received, sent.
size_t axisOf(size_t s) {
    return std::min(s, kVolumeAxis);
}

bool isVolume(size_t s) {
    return s >= kVolumeAxis;
}

// In the chart, left to right within a category: what the left axis shows, then the costs.
std::vector<size_t> seriesOrder(Chart::Measure m) {
    if (m == Chart::Measure::Volume) return {3, 4, 1, 2};
    return {0, 1, 2};
}

QString formatValue(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

QString bytesField(const std::optional<std::int64_t>& bytes) {
    return bytes ? QString::number(*bytes) : QString();
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

bool writeFile(const QString& path, const QByteArray& bytes, QString* error) {
    PosixFileSystem fs;
    QString reason;
    const bool ok = replaceFile(fs, path, bytes, &reason);
    if (!ok && error) *error = reason;
    return ok;
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
    categories_->setTruncateLabels(false);   // shortenLabels leaves room between them
    categories_->setGridLineVisible(false);  // the gaps part the categories
    QFont small = categories_->labelsFont();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    categories_->setLabelsFont(small);
    chart_->addAxis(categories_, Qt::AlignBottom);
    for (size_t a = 0; a < axes_.size(); ++a) {
        axes_[a] = new QValueAxis();
        axes_[a]->setTickType(QValueAxis::TicksDynamic);
        axes_[a]->setTickAnchor(0);
        axes_[a]->setTruncateLabels(false);  // a crowded right side elides whole figures
        axes_[a]->setTitleFont(small);
        axes_[a]->setGridLineVisible(false);  // applyType gives one axis the grid
        const bool left = a == 0 || a == kVolumeAxis;
        chart_->addAxis(axes_[a], left ? Qt::AlignLeft : Qt::AlignRight);
    }
    for (size_t s = 0; s < bars_.size(); ++s) {
        const int series = static_cast<int>(s);
        // Qt sets bar series side by side in a category, each on its own value axis.
        bars_[s] = new QBarSeries();
        bars_[s]->setBarWidth(kBarWidth);
        auto* set = new QBarSet(QString());
        set->setPen(Qt::NoPen);  // the theme's white outline would cover narrow bars
        bars_[s]->append(set);
        connect(set, &QBarSet::hovered, this,
                [this, series](bool on, int index) { showPointTip(series, index, on); });
        lines_[s] = new QLineSeries();
        lines_[s]->setPointsVisible(true);
        connect(lines_[s], &QLineSeries::hovered, this, [this, series](const QPointF& p, bool on) {
            showPointTip(series, static_cast<int>(std::lround(p.x())), on);
        });
        // All in at first, so that the theme gives each its own colour.
        for (QAbstractSeries* added :
             {static_cast<QAbstractSeries*>(bars_[s]), static_cast<QAbstractSeries*>(lines_[s])}) {
            chart_->addSeries(added);
            added->attachAxis(categories_);
            added->attachAxis(axes_[axisOf(s)]);
        }
    }
    // Lines take the colours of the bars, kept when a series leaves the chart and comes
    // back; an axis of one series takes its colour, so that it is read by it.
    for (size_t s = 0; s < bars_.size(); ++s) {
        QBarSet* set = bars_[s]->barSets()[0];
        const QColor colour = set->color();
        set->setColor(colour);
        lines_[s]->setColor(colour);
        if (isVolume(s)) continue;
        axes_[s]->setLabelsColor(colour);
        axes_[s]->setTitleBrush(colour);
        axes_[s]->setLinePenColor(colour);
    }
    // The buttons sit beside the chart on its tab.
    for (QWidget* w = parent; w && !saveImage_; w = w->parentWidget()) {
        saveImage_ = w->findChild<QPushButton*>(kSaveImageButton);
        saveData_ = w->findChild<QPushButton*>(kSaveDataButton);
    }
    if (saveImage_) connect(saveImage_, &QPushButton::clicked, this, &ChartView::saveImage);
    if (saveData_) connect(saveData_, &QPushButton::clicked, this, &ChartView::saveData);
    applyNames();

    connect(scroll_, &QScrollBar::valueChanged, this, [this] { fillWindow(); });
    changes_ = model_.subscribeChanges([this](Chart::Change c) {
        switch (c) {
            case Chart::Change::Data:
                rebuild();
                break;
            case Chart::Change::Type:
            case Chart::Change::SeriesVisibility:
                applyType();
                break;
            case Chart::Change::Measure:
                applyMeasure();
                break;
            case Chart::Change::Axes:
                applyAxes();
                break;
            case Chart::Change::Language:
                applyNames();
                break;
        }
    });
    applyMeasure();
    rebuild();
}

ChartView::~ChartView() = default;

int ChartView::firstShown() const {
    return scroll_->value();
}

QString ChartView::inLanguage(const Bilingual& text) const {
    return textIn(language_ ? language_() : kLanguageEnglish, text);
}

void ChartView::applyNames() {
    for (size_t s = 0; s < bars_.size(); ++s) {
        const QString name =
            inLanguage(isVolume(s) ? kVolumeSeries[s - kVolumeAxis] : kChartSeries[s]);
        bars_[s]->barSets()[0]->setLabel(name);
        lines_[s]->setName(name);
        // The left axis is named by the caption beside the chart.
        if (s == 1 || s == 2) axes_[s]->setTitleText(name);
    }
    if (saveImage_)
        saveImage_->setText(withMnemonic(kSaveImageButton, inLanguage(kChartSaveImage)));
    if (saveData_) saveData_->setText(withMnemonic(kSaveDataButton, inLanguage(kChartSaveData)));
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
    std::array<QList<qreal>, Chart::kSeries> values;
    std::array<QList<QPointF>, Chart::kSeries> linePoints;
    for (int i = first; i < last; ++i) {
        const ChartPoint& p = points[static_cast<size_t>(i)];
        labels << p.label;
        for (size_t s = 0; s < values.size(); ++s) {
            const double value = model_.value(p, static_cast<int>(s) + 1);
            values[s] << value;
            linePoints[s] << QPointF(i - first, value);
        }
    }
    shortenLabels(labels);
    categories_->clear();
    categories_->append(labels);
    for (size_t s = 0; s < bars_.size(); ++s) {
        QBarSet* set = bars_[s]->barSets()[0];
        set->remove(0, set->count());
        set->append(values[s]);
        lines_[s]->replace(linePoints[s]);
    }
    applyType();
}

void ChartView::applyMeasure() {
    const Chart::Measure measure = model_.measure();
    if (measureShown_ == measure) return;
    measureShown_ = measure;
    // Qt gives every bar series in the chart a place in each category, drawn or not: the
    // other measure's series leave the chart rather than leave gaps. Out of it they are
    // this view's to delete.
    for (size_t s = 0; s < bars_.size(); ++s)
        for (QAbstractSeries* series :
             {static_cast<QAbstractSeries*>(bars_[s]), static_cast<QAbstractSeries*>(lines_[s])})
            if (series->chart()) {
                chart_->removeSeries(series);
                series->setParent(this);
            }
    for (const size_t s : seriesOrder(measure))
        for (QAbstractSeries* series :
             {static_cast<QAbstractSeries*>(bars_[s]), static_cast<QAbstractSeries*>(lines_[s])}) {
            chart_->addSeries(series);
            series->attachAxis(categories_);
            series->attachAxis(axes_[axisOf(s)]);
        }
    applyType();
}

void ChartView::applyType() {
    const bool barsShown = model_.type() == Chart::Type::Bars;
    QLegend* legend = chart_->legend();
    std::array<bool, 4> axisShown{};
    for (size_t s = 0; s < bars_.size(); ++s) {
        const bool shown = model_.seriesShown(static_cast<int>(s) + 1);
        bars_[s]->setVisible(barsShown && shown);
        lines_[s]->setVisible(!barsShown && shown);
        axisShown[axisOf(s)] = axisShown[axisOf(s)] || shown;
        // Qt shows and hides a series' markers with the series: the legend keeps one entry
        // per series of the measure, of the kind drawn, greyed while the series is off.
        for (QAbstractSeries* series :
             {static_cast<QAbstractSeries*>(bars_[s]), static_cast<QAbstractSeries*>(lines_[s])}) {
            for (QLegendMarker* m : legend->markers(series)) {
                m->setVisible(barsShown == (series == bars_[s]));
                m->setLabelBrush(shown ? legend->labelBrush() : QBrush(Qt::gray));
            }
        }
    }
    // Grids that do not meet are noise: the left axis draws one, or the first cost axis.
    bool gridTaken = false;
    for (const size_t a : {kVolumeAxis, size_t{0}, size_t{1}, size_t{2}}) {
        axes_[a]->setVisible(axisShown[a]);
        axes_[a]->setGridLineVisible(axisShown[a] && !gridTaken);
        gridTaken = gridTaken || axisShown[a];
    }
}

void ChartView::applyAxes() {
    for (size_t a = 0; a < axes_.size(); ++a) {
        const AxisScale& scale =
            model_.axis(a == kVolumeAxis ? Chart::kReceived : static_cast<int>(a) + 1);
        const double step = scale.step > 0 ? scale.step : 1.0;
        const int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
        axes_[a]->setRange(0, scale.max > 0 ? scale.max : step);
        axes_[a]->setTickInterval(step);
        axes_[a]->setLabelFormat(QStringLiteral("%.%1f").arg(decimals));
    }
}

QString ChartView::pointText(int series, int point) const {
    const auto& points = model_.points();
    if (series < 1 || series > Chart::kSeries || point < 0 ||
        point >= static_cast<int>(points.size()))
        return {};
    const ChartPoint& p = points[static_cast<size_t>(point)];
    if (series >= Chart::kReceived) {
        const auto& bytes = series == Chart::kReceived ? p.received : p.sent;
        return inLanguage(kVolumeTip[series - Chart::kReceived])
            .arg(p.label, bytes ? formatBytes(*bytes) : inLanguage(kNotCounted));
    }
    return inLanguage(kChartPointTip[series - 1])
        .arg(p.label, formatValue(model_.value(p, series), series == 1 ? 0 : 2));
}

void ChartView::showPointTip(int series, int shownIndex, bool on) {
    const QString tip = on ? pointText(series + 1, scroll_->value() + shownIndex) : QString();
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(QCursor::pos(), tip, view_);
}

bool ChartView::savePng(const QString& path, QString* error) const {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!view_->grab().save(&buffer, "PNG")) {
        if (error) *error = QStringLiteral("PNG");
        return false;
    }
    return writeFile(path, bytes, error);
}

bool ChartView::saveCsv(const QString& path, QString* error) const {
    // Every column whatever is drawn; bytes whole, empty where not counted. The first
    // four names stay as scripts reading older files know them.
    QString out = QStringLiteral("date,minutes,cost,total_cost,") + inLanguage(kCsvBytes[0]) +
                  QLatin1Char(',') + inLanguage(kCsvBytes[1]) + QLatin1Char('\n');
    for (const ChartPoint& p : model_.points())
        out += csvField(p.date.isEmpty() ? p.label : p.date) + QLatin1Char(',') +
               formatValue(p.minutes, 0) + QLatin1Char(',') + formatValue(p.cost, 2) +
               QLatin1Char(',') + formatValue(p.totalCost, 2) + QLatin1Char(',') +
               bytesField(p.received) + QLatin1Char(',') + bytesField(p.sent) + QLatin1Char('\n');
    return writeFile(path, out.toUtf8(), error);
}

void ChartView::askPathAndSave(const QString& name, const QString& filter,
                               bool (ChartView::*save)(const QString&, QString*) const) {
    // Opened, not run: the program goes on while the user chooses.
    auto* dialog = new QFileDialog(this, QString(), name, filter);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QFileInfo(name).suffix());
    connect(dialog, &QFileDialog::fileSelected, this, [this, save](const QString& path) {
        QString error;
        if ((this->*save)(path, &error)) return;
        auto* box =
            new QMessageBox(QMessageBox::Warning, QString::fromUtf8(kAppTitle),
                            inLanguage(kChartNotSaved).arg(path, error), QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
    dialog->open();
}

void ChartView::saveImage() {
    askPathAndSave(QStringLiteral("linktally.png"), QStringLiteral("PNG (*.png)"),
                   &ChartView::savePng);
}

void ChartView::saveData() {
    askPathAndSave(QStringLiteral("linktally.csv"), QStringLiteral("CSV (*.csv)"),
                   &ChartView::saveCsv);
}

void ChartView::contextMenuEvent(QContextMenuEvent* e) {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(inLanguage(kChartSaveImage), this, &ChartView::saveImage);
    menu->addAction(inLanguage(kChartSaveData), this, &ChartView::saveData);
    menu->popup(e->globalPos());
}

}  // namespace lt
