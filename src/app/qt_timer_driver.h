#pragma once
// Drives form timers with QTimer in the running program.
#include <QObject>
#include <QTimer>
#include <memory>
#include <vector>

#include "core/timer_driver.h"

namespace lt {

class QtTimerDriver final : public TimerDriver {
  public:
    QtTimerDriver() = default;
    QtTimerDriver(const QtTimerDriver&) = delete;
    QtTimerDriver& operator=(const QtTimerDriver&) = delete;

    void add(TimerModel& model) override;

  private:
    struct Entry {
        TimerModel* model;
        std::unique_ptr<QTimer> timer;
        Notifier<>::Subscription watch;
    };
    static void sync(Entry& e);
    std::vector<std::unique_ptr<Entry>> entries_;
};

}  // namespace lt
