#include "app/qt_timer_driver.h"

namespace lt {

void QtTimerDriver::add(TimerModel& model) {
    auto entry = std::make_unique<Entry>(Entry{&model, std::make_unique<QTimer>(), {}});
    Entry* e = entry.get();
    // Coarse timers let the system batch wake-ups; a second's tick needs no precision.
    e->timer->setTimerType(Qt::CoarseTimer);
    QObject::connect(e->timer.get(), &QTimer::timeout, [e] { e->model->fire(); });
    e->watch = model.subscribe([e] { sync(*e); });
    sync(*e);
    entries_.push_back(std::move(entry));
}

void QtTimerDriver::sync(Entry& e) {
    if (e.model->enabled() && e.model->interval() > 0)
        e.timer->start(e.model->interval());
    else
        e.timer->stop();
}

}  // namespace lt
