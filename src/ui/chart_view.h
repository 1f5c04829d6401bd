#pragma once
// Draws the statistics chart with Qt Charts: bars or lines, time on the left axis and
// cost on the right. With years of history it shows the points that fit, the newest at
// the right, and a scroll bar goes back through the rest. A right click saves the
// picture as PNG or the table behind it as CSV.
#include <QWidget>
#include <functional>

#include "core/chart.h"

class QChart;
class QChartView;
class QScrollBar;
class QBarSeries;
class QLineSeries;
class QBarCategoryAxis;
class QValueAxis;

namespace lt {

class ChartView : public QWidget {
    Q_OBJECT
  public:
    // language: the current language code (0 English, 1 Spanish) for the menu.
    ChartView(Chart& model, std::function<int()> language, QWidget* parent = nullptr);
    ~ChartView() override;

    static constexpr int kPointsShown = 40;

    bool savePng(const QString& path) const;
    bool saveCsv(const QString& path) const;
    // The first point shown (the window of points that fit).
    int firstShown() const;
    QChart* chart() const { return chart_; }

  protected:
    void contextMenuEvent(QContextMenuEvent* e) override;

  private:
    void applyNames();  // series names in the current language
    void rebuild();     // new data: the window goes to the newest points
    void fillWindow();  // the points of the current window into the series
    void applyType();
    void applyVisibility();
    void applyAxes();

    Chart& model_;
    Notifier<Chart::Change>::Subscription changes_;
    std::function<int()> language_;
    QChart* chart_ = nullptr;
    QChartView* view_ = nullptr;
    QScrollBar* scroll_ = nullptr;
    QBarCategoryAxis* categories_ = nullptr;
    QValueAxis* timeAxis_ = nullptr;
    QValueAxis* costAxis_ = nullptr;
    QBarSeries* bars_[3] = {};
    QLineSeries* lines_[3] = {};
};

}  // namespace lt
