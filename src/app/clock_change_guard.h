#pragma once
// Notices a change of the PC clock during a session: the wall clock's advance since the
// previous tick against the monotonic clock's. Midnight is no change, and neither is the
// step our own time synchronisation makes.
#include <cstdint>
#include <functional>

#include "core/ole_date.h"

namespace lt {

struct MainForm;
struct EstadoMonitor;
class Clock;

class ClockChangeGuard {
  public:
    static constexpr double kToleranceSeconds = 30;

    ClockChangeGuard(MainForm& form, EstadoMonitor& estado, const Clock& clock,
                     std::function<void()> tiServerInternet)
        : form_(form),
          estado_(estado),
          clock_(clock),
          tiServerInternet_(std::move(tiServerInternet)) {}

    void CheckViolacionTiempoPC();
    // Records the instant of a connected tick, the reference of the next check.
    void observarTick();
    // Our own synchronisation moved the clock by this many seconds.
    void pasoPropio(double seconds) { pasoPropio_ += seconds; }

  private:
    MainForm& form_;
    EstadoMonitor& estado_;
    const Clock& clock_;
    std::function<void()> tiServerInternet_;
    OleDate prevWall_ = 0;
    std::int64_t prevMono_ = 0;
    double pasoPropio_ = 0;
};

}  // namespace lt
