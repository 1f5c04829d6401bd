#pragma once
// Drives form timers with QTimer in the running program.
#include <QObject>
#include <QTimer>
#include <memory>
#include <vector>

#include "core/timer_model.h"

namespace lt {

class QtTimerDriver {
  public:
    QtTimerDriver() = default;
    ~QtTimerDriver();
    QtTimerDriver(const QtTimerDriver&) = delete;
    QtTimerDriver& operator=(const QtTimerDriver&) = delete;

    void add(TimerModel& model);

  private:
    struct Entry {
        TimerModel* model;
        std::unique_ptr<QTimer> timer;
    };
    static void sync(Entry& e);
    std::vector<std::unique_ptr<Entry>> entries_;
};

}  // namespace lt
