#pragma once
// Bytes received and sent during one connection session, from the counters of the
// interfaces that carried the default route, sampled once a second.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/traffic_counters.h"

namespace lt {

// Transfer rates over the last few seconds of a running total, measured on the monotonic
// clock: a late tick, two in the same millisecond or a long gap give no spike.
class RecentRate {
  public:
    void clear();
    void add(std::int64_t monotonicMs, std::uint64_t received, std::uint64_t sent);
    double receivedPerSecond() const { return receivedPerSecond_; }
    double sentPerSecond() const { return sentPerSecond_; }

  private:
    struct Point {
        std::int64_t ms = 0;
        std::uint64_t received = 0, sent = 0;
    };
    static constexpr std::size_t kPoints = 16;
    static constexpr std::int64_t kWindowMs = 5000;

    std::size_t slot(std::size_t age) const;  // age 0: the newest
    const Point& at(std::size_t age) const;
    const Point& reference() const;
    void update();

    std::array<Point, kPoints> points_{};
    std::size_t count_ = 0;
    std::size_t next_ = 0;
    double receivedPerSecond_ = 0;
    double sentPerSecond_ = 0;
};

class VolumeMeter {
  public:
    VolumeMeter();

    // A session at zero, with these counters as the baseline.
    void start(const std::vector<InterfaceBytes>& now, std::int64_t monotonicMs);
    // Adds what moved since the last sample. An interface seen for the first time is a
    // baseline; one that is gone keeps what it counted. An empty reading (the counters
    // could not be read: a running session always has a default route) changes nothing.
    void sample(const std::vector<InterfaceBytes>& now, std::int64_t monotonicMs);
    // The totals stay readable until the next start.
    void stop();

    bool running() const { return running_; }
    std::uint64_t received() const { return received_; }
    std::uint64_t sent() const { return sent_; }
    double receivedPerSecond() const { return rate_.receivedPerSecond(); }
    double sentPerSecond() const { return rate_.sentPerSecond(); }

  private:
    struct Baseline {
        InterfaceBytes bytes;
        bool seen = false;
    };

    void addMoved(const std::vector<InterfaceBytes>& now, std::int64_t elapsedMs);
    Baseline* baselineOf(const InterfaceBytes& bytes);

    bool running_ = false;
    std::uint64_t received_ = 0;
    std::uint64_t sent_ = 0;
    std::vector<Baseline> baselines_;  // reserved: a steady tick allocates nothing
    std::int64_t lastSampleMs_ = 0;
    RecentRate rate_;
};

}  // namespace lt
