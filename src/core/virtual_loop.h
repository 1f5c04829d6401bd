#pragma once
// Drives TimerModels in virtual time: advances a FakeClock to the next due timer and
// fires it, so a day of one-second ticks runs in a fraction of a second.
#include <cstdint>
#include <memory>
#include <vector>

#include "core/clock.h"
#include "core/timer_driver.h"

namespace lt {

class VirtualLoop final : public TimerDriver {
  public:
    explicit VirtualLoop(FakeClock& clock) : clock_(clock) {}
    VirtualLoop(const VirtualLoop&) = delete;
    VirtualLoop& operator=(const VirtualLoop&) = delete;

    void add(TimerModel& timer) override;
    // Runs every tick due within the next ms milliseconds, then leaves the clock at
    // exactly now + ms.
    void runFor(std::int64_t ms);
    void runForSeconds(double s) { runFor(static_cast<std::int64_t>(s * 1000.0)); }
    // Fires the next due timer; false when no timer is enabled.
    bool step();
    std::int64_t ticksFired() const { return fired_; }

  private:
    struct Entry {
        TimerModel* timer;
        std::int64_t due;  // monotonic ms of the next tick
        Notifier<>::Subscription watch;
    };
    void reschedule(Entry& e);
    Entry* nextDue();

    FakeClock& clock_;
    std::vector<std::unique_ptr<Entry>> entries_;
    std::int64_t fired_ = 0;
};

}  // namespace lt
