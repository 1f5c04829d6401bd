#pragma once
// Draws the statistics chart with Qt Charts: bars or lines, time or the bytes received
// and sent on the left axis, cost and total cost each on an axis of its own on the right.
// With years of history it shows the points that fit, the newest at the right, and a
// scroll bar goes back through the rest. The tab's save buttons (or a right click) save
// the picture as PNG or the table behind it as CSV.
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "core/chart.h"

class QChart;
class QChartView;
class QScrollBar;
class QBarSeries;
class QLineSeries;
class QBarCategoryAxis;
class QValueAxis;
class QPushButton;

namespace lt {

struct Bilingual;

class ChartView : public QWidget {
    Q_OBJECT
  public:
    // language: the current language code (0 English, 1 Spanish). The save buttons are
    // looked for by name among the widgets around parent.
    ChartView(Chart& model, std::function<int()> language, QWidget* parent = nullptr);
    ~ChartView() override;

    static constexpr int kPointsShown = 30;  // three bars each, a few pixels wide
    static inline const QString kSaveImageButton = QStringLiteral("CdGuardarImagen_Estadisticas");
    static inline const QString kSaveDataButton = QStringLiteral("CdGuardarDatos_Estadisticas");

    // false with the reason in *error when the file could not be written.
    bool savePng(const QString& path, QString* error = nullptr) const;
    bool saveCsv(const QString& path, QString* error = nullptr) const;
    // Ask where, then save; a failure is told in a message box.
    void saveImage();
    void saveData();
    // The first point shown (the window of points that fit).
    int firstShown() const;
    // What the pointer over a point of a series (1 time, 2 cost, 3 total cost, 4 received,
    // 5 sent) shows.
    QString pointText(int series, int point) const;
    QChart* chart() const { return chart_; }

  protected:
    void contextMenuEvent(QContextMenuEvent* e) override;

  private:
    QString inLanguage(const Bilingual& text) const;
    void applyNames();    // series, axes and buttons in the current language
    void rebuild();       // new data: the window goes to the newest points
    void fillWindow();    // the points of the current window into the series
    void applyMeasure();  // the series of the measure into the chart, the others out
    void applyType();     // also the series shown, their axes and the legend
    void applyAxes();
    void showPointTip(int series, int shownIndex, bool on);
    void askPathAndSave(const QString& name, const QString& filter,
                        bool (ChartView::*save)(const QString&, QString*) const);

    Chart& model_;
    Notifier<Chart::Change>::Subscription changes_;
    std::function<int()> language_;
    QChart* chart_ = nullptr;
    QChartView* view_ = nullptr;
    QScrollBar* scroll_ = nullptr;
    QBarCategoryAxis* categories_ = nullptr;
    // Time, cost, total cost, volume; received and sent share the last.
    std::array<QValueAxis*, 4> axes_{};
    std::array<QBarSeries*, Chart::kSeries> bars_{};
    std::array<QLineSeries*, Chart::kSeries> lines_{};
    std::optional<Chart::Measure> measureShown_;
    QPushButton* saveImage_ = nullptr;
    QPushButton* saveData_ = nullptr;
};

}  // namespace lt
