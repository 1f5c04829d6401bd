#pragma once
// The system clock with a monotonic count that goes on while the PC sleeps, so that a
// sleep shows as a gap between two ticks rather than as a change of the PC clock.
#include "core/clock.h"

namespace lt {

class BootClock final : public Clock {
  public:
    OleDate now() const override { return system_.now(); }
    std::int64_t monotonicMs() const override;

  private:
    SystemClock system_;
};

}  // namespace lt
