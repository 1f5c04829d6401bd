#pragma once
// Every reading of the wall clock goes through Clock, so that tests can move time.
#include <cstdint>

#include "core/ole_date.h"

namespace lt {

class Clock {
  public:
    virtual ~Clock() = default;
    // Local date and time now.
    virtual OleDate now() const = 0;
    // Milliseconds on a clock that no change of the wall clock moves.
    virtual std::int64_t monotonicMs() const = 0;

    OleDate date() const { return oleDatePart(now()); }
    OleDate time() const { return oleTimePart(now()); }
    // Seconds since midnight, single precision.
    float timer() const { return static_cast<float>(oleTimePart(now()) * kSecondsPerDay); }
};

class SystemClock final : public Clock {
  public:
    OleDate now() const override;
    std::int64_t monotonicMs() const override;
};

// A clock that moves only when told: both clocks together, or the wall clock alone
// (a user setting the PC clock).
class FakeClock final : public Clock {
  public:
    explicit FakeClock(OleDate start = oleFromParts(2026, 12, 5) + oleFromTime(10, 0, 0))
        : now_(start) {}
    OleDate now() const override { return now_; }
    std::int64_t monotonicMs() const override { return mono_; }

    void advanceMs(std::int64_t ms) {
        mono_ += ms;
        now_ += static_cast<double>(ms) / (kSecondsPerDay * 1000.0);
    }
    void advanceSeconds(double s) { advanceMs(static_cast<std::int64_t>(s * 1000.0)); }
    void setWall(OleDate v) { now_ = v; }
    void jumpWallSeconds(double s) { now_ += s / kSecondsPerDay; }

  private:
    OleDate now_;
    std::int64_t mono_ = 1'000'000;
};

}  // namespace lt
