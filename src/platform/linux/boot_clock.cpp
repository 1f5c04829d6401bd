#include "platform/linux/boot_clock.h"

#include <time.h>

namespace lt {

std::int64_t BootClock::monotonicMs() const {
    timespec ts{};
    if (clock_gettime(CLOCK_BOOTTIME, &ts) != 0) return system_.monotonicMs();
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace lt
