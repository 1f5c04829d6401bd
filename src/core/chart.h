#pragma once
// The statistics chart: a table of labelled points with five series (time in minutes,
// cost, total cost, bytes received and sent), drawn as bars or lines. Cost and total cost
// each have a value axis of their own on the right; the left axis shows either time or
// the two volume series, whichever measure is chosen. The view is told what changed, so
// hiding a series or switching bars and lines never rebuilds the data.
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
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
    // None where no session behind the point had its bytes counted.
    std::optional<std::int64_t> received{};
    std::optional<std::int64_t> sent{};
};

// A value axis from 0 to max with a tick every step; max is a whole number of steps.
struct AxisScale {
    double max = 1;
    double step = 1;
    bool operator==(const AxisScale&) const = default;
};

// An SI unit of bytes (1 kB = 1000 B) for the volume axis.
struct VolumeUnit {
    int power = 2;  // of 1000: 0 B, 1 kB, 2 MB, 3 GB, 4 TB

    static constexpr int kLargestPower = 4;
    double bytes() const {
        double b = 1;
        for (int i = 0; i < power; ++i) b *= 1000;
        return b;
    }
    QString symbol() const {
        static constexpr const char* kSymbols[] = {"B", "kB", "MB", "GB", "TB"};
        return QString::fromLatin1(kSymbols[power < 0 || power > kLargestPower ? 2 : power]);
    }
    // The largest unit the value reaches, so that the axis reads from 1 to 999 of it;
    // megabytes when there is nothing to show.
    static VolumeUnit fitting(double largestBytes) {
        if (!(largestBytes >= 1)) return {};
        VolumeUnit unit{0};
        while (unit.power < kLargestPower && largestBytes >= unit.bytes() * 1000) ++unit.power;
        return unit;
    }
    bool operator==(const VolumeUnit&) const = default;
};

class Chart final : public Control {
  public:
    enum class Type { Bars = 1, Lines = 3 };
    // What the left axis shows: time, or the bytes received and sent.
    enum class Measure { Time, Volume };
    enum class Change { Data, Type, SeriesVisibility, Measure, Axes, Language };

    // Series 1 time, 2 cost, 3 total cost, 4 received, 5 sent.
    static constexpr int kSeries = 5;
    static constexpr int kReceived = 4;
    static constexpr int kSent = 5;

    Chart(ControlRegistry& r, QString name) : Control(r, std::move(name), Kind::Chart) {}

    const std::vector<ChartPoint>& points() const {
        settle();
        return points_;
    }
    void setPoints(std::vector<ChartPoint> points) {
        pending_ = nullptr;
        points_ = std::move(points);
        changed(Change::Data);
    }
    // Points, and the axes that fit them, worked out by `fill` when the chart is first
    // read: a chart no one looks at costs nothing.
    void setPointsWhenRead(std::function<void()> fill) {
        pending_ = std::move(fill);
        changed(Change::Data);
    }
    Type type() const { return type_; }
    void setType(Type t) {
        if (t == type_) return;
        type_ = t;
        changed(Change::Type);
    }
    Measure measure() const { return measure_; }
    void setMeasure(Measure m) {
        if (m == measure_) return;
        measure_ = m;
        changed(Change::Measure);
    }
    // Whether the series belongs to the measure shown; cost and total cost always do.
    bool seriesInMeasure(int series) const {
        if (series == 1) return measure_ == Measure::Time;
        if (series == kReceived || series == kSent) return measure_ == Measure::Volume;
        return true;
    }
    // Ticked by the user, whatever the measure.
    bool seriesVisible(int series) const { return visible_.at(index(series)); }
    void setSeriesVisible(int series, bool on) {
        auto& v = visible_.at(index(series));
        if (v == on) return;
        v = on;
        changed(Change::SeriesVisibility);
    }
    // Drawn: ticked and of the measure shown.
    bool seriesShown(int series) const { return seriesVisible(series) && seriesInMeasure(series); }
    // The axis a series is drawn against; received and sent share the volume axis.
    const AxisScale& axis(int series) const {
        settle();
        return axes_.at(axisIndex(series));
    }
    // Time, cost and total cost; the volume axis counted in unit.
    void setAxes(const std::array<AxisScale, 3>& axes, const AxisScale& volume = {},
                 VolumeUnit unit = {}) {
        for (size_t i = 0; i < axes.size(); ++i) axes_[i] = axes[i];
        axes_[3] = volume;
        volumeUnit_ = unit;
        changed(Change::Axes);
    }
    VolumeUnit volumeUnit() const {
        settle();
        return volumeUnit_;
    }
    // What a point measures on a series' axis: minutes, money, or bytes in the volume
    // unit (0 where not counted).
    double value(const ChartPoint& p, int series) const {
        switch (series) {
            case 1:
                return p.minutes;
            case 2:
                return p.cost;
            case 3:
                return p.totalCost;
            default: {
                const auto& bytes = series == kReceived ? p.received : p.sent;
                return bytes ? static_cast<double>(*bytes) / volumeUnit_.bytes() : 0.0;
            }
        }
    }
    // The language changed: the view writes its own texts again.
    void languageChanged() { changed(Change::Language); }

    [[nodiscard]] Notifier<Change>::Subscription subscribeChanges(std::function<void(Change)> f) {
        return chartChanged_.subscribe(std::move(f));
    }

  private:
    void settle() const {
        if (!pending_) return;
        const std::function<void()> fill = std::move(pending_);
        pending_ = nullptr;
        fill();
    }
    mutable std::function<void()> pending_;
    static size_t index(int series) { return static_cast<size_t>(series - 1); }
    static size_t axisIndex(int series) { return series >= kReceived ? 3 : index(series); }
    void changed(Change c) { chartChanged_.notify(c); }
    std::vector<ChartPoint> points_;
    Type type_ = Type::Bars;
    Measure measure_ = Measure::Time;
    std::array<bool, kSeries> visible_{true, true, true, true, true};
    std::array<AxisScale, 4> axes_{};
    VolumeUnit volumeUnit_{};
    Notifier<Change> chartChanged_;
};

}  // namespace lt
