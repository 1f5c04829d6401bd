#include "core/virtual_loop.h"

namespace lt {

void VirtualLoop::add(TimerModel& timer) {
    auto entry = std::make_unique<Entry>(Entry{&timer, 0, {}});
    Entry* e = entry.get();
    reschedule(*e);
    e->watch = timer.subscribe([this, e] { reschedule(*e); });
    entries_.push_back(std::move(entry));
}

void VirtualLoop::reschedule(Entry& e) {
    // A zero interval never ticks, like a form timer.
    const int interval = e.timer->interval();
    e.due = interval > 0 ? clock_.monotonicMs() + interval : INT64_MAX;
}

VirtualLoop::Entry* VirtualLoop::nextDue() {
    Entry* best = nullptr;
    for (auto& e : entries_) {
        if (!e->timer->enabled() || e->due == INT64_MAX) continue;
        if (!best || e->due < best->due) best = e.get();
    }
    return best;
}

bool VirtualLoop::step() {
    Entry* e = nextDue();
    if (!e) return false;
    if (e->due > clock_.monotonicMs()) clock_.advanceMs(e->due - clock_.monotonicMs());
    // Ticks missed while time jumped (a sleep) come as one late tick, as a system timer's do.
    if (e->due < clock_.monotonicMs()) e->due = clock_.monotonicMs();
    const int interval = e->timer->interval();
    e->due = interval > 0 ? e->due + interval : INT64_MAX;
    ++fired_;
    e->timer->fire();
    return true;
}

void VirtualLoop::runFor(std::int64_t ms) {
    const std::int64_t end = clock_.monotonicMs() + ms;
    for (Entry* e = nextDue(); e && e->due <= end; e = nextDue()) step();
    if (clock_.monotonicMs() < end) clock_.advanceMs(end - clock_.monotonicMs());
}

}  // namespace lt
