#include "core/clock.h"

#include <QDateTime>
#include <chrono>

namespace lt {

OleDate SystemClock::now() const {
    return oleFromDateTime(QDateTime::currentDateTime());
}

std::int64_t SystemClock::monotonicMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace lt
