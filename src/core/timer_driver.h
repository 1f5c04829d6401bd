#pragma once
// What runs the form's timers: QTimer in the program, virtual time in tests.
#include "core/timer_model.h"

namespace lt {

class TimerDriver {
  public:
    virtual ~TimerDriver() = default;
    // Follows the timer's enabled flag and interval from now on.
    virtual void add(TimerModel& timer) = 0;
};

}  // namespace lt
