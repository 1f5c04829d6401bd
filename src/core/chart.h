#pragma once
// The statistics chart: a table of labelled points with three series (time in minutes
// on the primary axis, cost and total cost on the secondary one), drawn as bars or
// lines. The view is told what changed, so hiding a series or switching bars and lines
// never rebuilds the data.
#include <QString>
#include <array>
#include <functional>
#include <vector>

#include "core/controls.h"

namespace lt {

struct ChartPoint {
    QString label;
    double minutes = 0;
    double cost = 0;
    double totalCost = 0;
};

class Chart final : public Control {
  public:
    enum class Type { Bars = 1, Lines = 3 };
    enum class Change { Data, Type, SeriesVisibility, Axes };

    Chart(ControlRegistry& r, QString name) : Control(r, std::move(name), Kind::Chart) {}

    const std::vector<ChartPoint>& points() const { return points_; }
    void setPoints(std::vector<ChartPoint> points) {
        points_ = std::move(points);
        changed(Change::Data);
    }
    Type type() const { return type_; }
    void setType(Type t) {
        if (t == type_) return;
        type_ = t;
        changed(Change::Type);
    }
    // Series 1 time, 2 cost, 3 total cost.
    bool seriesVisible(int series) const { return visible_.at(static_cast<size_t>(series - 1)); }
    void setSeriesVisible(int series, bool on) {
        auto& v = visible_.at(static_cast<size_t>(series - 1));
        if (v == on) return;
        v = on;
        changed(Change::SeriesVisibility);
    }
    double primaryMax() const { return primaryMax_; }
    double secondaryMax() const { return secondaryMax_; }
    void setAxisMaxima(double primary, double secondary) {
        primaryMax_ = primary;
        secondaryMax_ = secondary;
        changed(Change::Axes);
    }

    [[nodiscard]] Notifier<Change>::Subscription subscribeChanges(std::function<void(Change)> f) {
        return chartChanged_.subscribe(std::move(f));
    }

  private:
    void changed(Change c) { chartChanged_.notify(c); }
    std::vector<ChartPoint> points_;
    Type type_ = Type::Bars;
    std::array<bool, 3> visible_{true, true, true};
    double primaryMax_ = 0, secondaryMax_ = 0;
    Notifier<Change> chartChanged_;
};

}  // namespace lt
