#pragma once
// A form timer: enabled flag, interval and handler. A driver (QTimer in the program,
// VirtualLoop in tests) watches it; enabling it or changing its interval restarts the
// countdown, as a form timer does.
#include <QString>
#include <functional>

#include "core/notifier.h"

namespace lt {

class TimerModel {
  public:
    explicit TimerModel(QString name, int intervalMs = 1000, bool enabled = false)
        : name_(std::move(name)), interval_(intervalMs), enabled_(enabled) {}
    TimerModel(const TimerModel&) = delete;
    TimerModel& operator=(const TimerModel&) = delete;

    const QString& name() const { return name_; }
    bool enabled() const { return enabled_; }
    int interval() const { return interval_; }

    void setEnabled(bool on) {
        if (on == enabled_) return;
        enabled_ = on;
        changed();
    }
    void setInterval(int ms) {
        if (ms < 0) ms = 0;
        if (ms == interval_) return;
        interval_ = ms;
        changed();
    }
    // The tick handler (the form's *_Timer method).
    void setHandler(std::function<void()> h) { handler_ = std::move(h); }
    void fire() {
        if (handler_) handler_();
    }
    // The driver that schedules the ticks watches it.
    [[nodiscard]] Notifier<>::Subscription subscribe(std::function<void()> f) {
        return changed_.subscribe(std::move(f));
    }

  private:
    void changed() { changed_.notify(); }
    QString name_;
    int interval_;
    bool enabled_;
    std::function<void()> handler_;
    Notifier<> changed_;
};

}  // namespace lt
