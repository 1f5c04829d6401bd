#include "volume/volume_meter.h"

#include <algorithm>

namespace lt {

namespace {

constexpr std::uint64_t k32BitRange = std::uint64_t{1} << 32;
// A wrap longer than half the range, or faster than 10 Gbit/s, is a counter that restarted.
constexpr std::uint64_t kLongestWrap = k32BitRange / 2;
constexpr std::uint64_t kFastestBytesPerMs = 1'250'000;

bool plausibleWrap(std::uint64_t distance, std::int64_t elapsedMs) {
    const auto ms = static_cast<std::uint64_t>(std::max<std::int64_t>(elapsedMs, 1));
    return distance <= kLongestWrap && distance <= ms * kFastestBytesPerMs;
}

// What a counter moved between two readings. A counter that went back either wrapped at
// 32 bits (some drivers keep no more) or started again from zero with a new device.
std::uint64_t moved(std::uint64_t before, std::uint64_t now, std::int64_t elapsedMs) {
    if (now >= before) return now - before;
    if (before < k32BitRange) {
        const std::uint64_t wrapped = now + k32BitRange - before;
        if (plausibleWrap(wrapped, elapsedMs)) return wrapped;
    }
    return now;
}

double perSecond(std::uint64_t later, std::uint64_t earlier, std::int64_t ms) {
    return static_cast<double>(later - earlier) * 1000.0 / static_cast<double>(ms);
}

}  // namespace

void RecentRate::clear() {
    count_ = next_ = 0;
    receivedPerSecond_ = sentPerSecond_ = 0;
}

void RecentRate::add(std::int64_t monotonicMs, std::uint64_t received, std::uint64_t sent) {
    if (count_ > 0 && monotonicMs <= at(0).ms) {  // same instant: the newer totals stand
        Point& newest = points_[slot(0)];
        newest.received = received;
        newest.sent = sent;
    } else {
        points_[next_] = {monotonicMs, received, sent};
        next_ = (next_ + 1) % kPoints;
        count_ = std::min(count_ + 1, kPoints);
    }
    update();
}

std::size_t RecentRate::slot(std::size_t age) const {
    return (next_ + kPoints - 1 - age) % kPoints;
}

const RecentRate::Point& RecentRate::at(std::size_t age) const {
    return points_[slot(age)];
}

// The oldest point within the window; after a gap, the point before it, so that what
// moved across the gap is spread over the gap.
const RecentRate::Point& RecentRate::reference() const {
    std::size_t age = 1;
    while (age + 1 < count_ && at(0).ms - at(age + 1).ms <= kWindowMs) ++age;
    return at(age);
}

void RecentRate::update() {
    if (count_ < 2) {
        receivedPerSecond_ = sentPerSecond_ = 0;
        return;
    }
    const Point& newest = at(0);
    const Point& earlier = reference();
    const std::int64_t ms = newest.ms - earlier.ms;
    receivedPerSecond_ = perSecond(newest.received, earlier.received, ms);
    sentPerSecond_ = perSecond(newest.sent, earlier.sent, ms);
}

VolumeMeter::VolumeMeter() {
    baselines_.reserve(8);
}

void VolumeMeter::start(const std::vector<InterfaceBytes>& now, std::int64_t monotonicMs) {
    running_ = true;
    received_ = sent_ = 0;
    baselines_.clear();
    for (const InterfaceBytes& bytes : now) baselines_.push_back({bytes, true});
    lastSampleMs_ = monotonicMs;
    rate_.clear();
    rate_.add(monotonicMs, 0, 0);
}

void VolumeMeter::sample(const std::vector<InterfaceBytes>& now, std::int64_t monotonicMs) {
    if (!running_ || now.empty()) return;
    addMoved(now, monotonicMs - lastSampleMs_);
    lastSampleMs_ = monotonicMs;
    rate_.add(monotonicMs, received_, sent_);
}

void VolumeMeter::stop() {
    running_ = false;
    baselines_.clear();
    rate_.clear();
}

void VolumeMeter::addMoved(const std::vector<InterfaceBytes>& now, std::int64_t elapsedMs) {
    for (Baseline& b : baselines_) b.seen = false;
    for (const InterfaceBytes& bytes : now) {
        Baseline* b = baselineOf(bytes);
        if (b == nullptr) {
            baselines_.push_back({bytes, true});
            continue;
        }
        received_ += moved(b->bytes.received, bytes.received, elapsedMs);
        sent_ += moved(b->bytes.sent, bytes.sent, elapsedMs);
        b->bytes = bytes;
        b->seen = true;
    }
    std::erase_if(baselines_, [](const Baseline& b) { return !b.seen; });
}

VolumeMeter::Baseline* VolumeMeter::baselineOf(const InterfaceBytes& bytes) {
    for (Baseline& b : baselines_)
        if (b.bytes.nameView() == bytes.nameView()) return &b;
    return nullptr;
}

}  // namespace lt
