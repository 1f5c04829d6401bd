#pragma once
// Sets the PC clock: directly when the process holds CAP_SYS_TIME, otherwise by asking
// systemd-timedated, which applies its own policy (polkit, automatic synchronisation).
#include "platform/linux/lazy_bus.h"
#include "platform/time_service.h"

namespace lt {

class LinuxClockSetter final : public SystemClockSetter {
  public:
    // bus: the system bus in the program. direct: try clock_settime first; tests turn
    // it off so that nothing they run can move this machine's clock.
    explicit LinuxClockSetter(LazyBus bus, bool direct = true);

    bool setUtc(const QDateTime& utc, QString* error) override;

  private:
    bool setThroughTimedated(qint64 usecUtc, QString* error);

    LazyBus bus_;
    bool direct_;
};

}  // namespace lt
