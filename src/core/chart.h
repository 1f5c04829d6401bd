#pragma once
// The statistics chart: a table of labelled points with three series (time in minutes,
// cost and total cost), each on a value axis of its own, drawn as bars or lines. The
// view is told what changed, so hiding a series or switching bars and lines never
// rebuilds the data.
#include <QString>
#include <array>
#include <functional>
#include <vector>

#include "core/controls.h"

namespace lt {

struct ChartPoint {
    QString label;  // on the axis: "dd/MM hh:mm" of a session, the group's label
    double minutes = 0;
    double cost = 0;
    double totalCost = 0;
    // In exports, where the year must be there: "dd/MM/yyyy hh:mm:ss" of a session, the
    // group's own label; the label stands in when empty.
    QString date;
};

// A value axis from 0 to max with a tick every step; max is a whole number of steps.
struct AxisScale {
    double max = 1;
    double step = 1;
    bool operator==(const AxisScale&) const = default;
};

class Chart final : public Control {
  public:
    enum class Type { Bars = 1, Lines = 3 };
    enum class Change { Data, Type, SeriesVisibility, Axes, Language };

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
    bool seriesVisible(int series) const { return visible_.at(index(series)); }
    void setSeriesVisible(int series, bool on) {
        auto& v = visible_.at(index(series));
        if (v == on) return;
        v = on;
        changed(Change::SeriesVisibility);
    }
    const AxisScale& axis(int series) const { return axes_.at(index(series)); }
    void setAxes(const std::array<AxisScale, 3>& axes) {
        axes_ = axes;
        changed(Change::Axes);
    }
    // The language changed: the view writes its own texts again.
    void languageChanged() { changed(Change::Language); }

    [[nodiscard]] Notifier<Change>::Subscription subscribeChanges(std::function<void(Change)> f) {
        return chartChanged_.subscribe(std::move(f));
    }

  private:
    static size_t index(int series) { return static_cast<size_t>(series - 1); }
    void changed(Change c) { chartChanged_.notify(c); }
    std::vector<ChartPoint> points_;
    Type type_ = Type::Bars;
    std::array<bool, 3> visible_{true, true, true};
    std::array<AxisScale, 3> axes_{};
    Notifier<Change> chartChanged_;
};

}  // namespace lt
