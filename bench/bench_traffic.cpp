// Cost of a connection tick that also counts bytes (route query, counters, meter) on this
// machine's real /proc and /sys, beside its floor: bare reads of /proc/net/route and
// /proc/net/dev through files opened once, read to their end (a pread that returns 0) or
// by one pread each.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "platform/linux/linux_connection_probe.h"
#include "platform/linux/linux_traffic_counters.h"
#include "volume/volume_meter.h"

namespace {

class BareReads {
  public:
    BareReads()
        : route_(::open("/proc/net/route", O_RDONLY | O_CLOEXEC)),
          dev_(::open("/proc/net/dev", O_RDONLY | O_CLOEXEC)) {}
    ~BareReads() {
        ::close(route_);
        ::close(dev_);
    }
    BareReads(const BareReads&) = delete;
    BareReads& operator=(const BareReads&) = delete;

    ssize_t read() { return whole(route_) + whole(dev_); }
    ssize_t readOnce() {
        return ::pread(route_, buf_, sizeof buf_, 0) + ::pread(dev_, buf_, sizeof buf_, 0);
    }

  private:
    ssize_t whole(int fd) {
        ssize_t total = 0;
        for (ssize_t n; (n = ::pread(fd, buf_, sizeof buf_, total)) > 0;) total += n;
        return total;
    }
    int route_, dev_;
    char buf_[4096];
};

class Tick {
  public:
    Tick() : counters_(probe_) {
        bytes_.reserve(8);
        probe_.query();
        counters_.read(bytes_);
        meter_.start(bytes_, ms_);
    }
    void run() {
        probe_.query();
        counters_.read(bytes_);
        meter_.sample(bytes_, ms_ += 1000);
    }
    std::string label() const {
        std::string s = std::to_string(bytes_.size()) + " interface(s):";
        for (const lt::InterfaceBytes& i : bytes_) s += ' ' + std::string(i.name);
        return s + ", " + std::to_string(meter_.received()) + " B received";
    }

  private:
    lt::LinuxConnectionProbe probe_;
    lt::LinuxTrafficCounters counters_;
    lt::VolumeMeter meter_;
    std::vector<lt::InterfaceBytes> bytes_;
    std::int64_t ms_ = 0;
};

void BM_BareReads(benchmark::State& state) {
    BareReads bare;
    for (auto _ : state) benchmark::DoNotOptimize(bare.read());
}
BENCHMARK(BM_BareReads);

void BM_TickWithCounters(benchmark::State& state) {
    Tick tick;
    for (auto _ : state) tick.run();
    state.SetLabel(tick.label());
}
BENCHMARK(BM_TickWithCounters);

// Both in turn within each iteration, so that the ratio holds on a noisy machine.
void BM_TickOverBareReads(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    BareReads bare;
    Tick tick;
    Clock::duration bareTime{}, onceTime{}, tickTime{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(bare.read());
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(bare.readOnce());
        const auto t2 = Clock::now();
        tick.run();
        bareTime += t1 - t0;
        onceTime += t2 - t1;
        tickTime += Clock::now() - t2;
    }
    const auto us = [n = static_cast<double>(state.iterations())](Clock::duration d) {
        return std::chrono::duration<double, std::micro>(d).count() / n;
    };
    const auto over = [](Clock::duration a, Clock::duration b) {
        return static_cast<double>(a.count()) /
               static_cast<double>(std::max<Clock::rep>(b.count(), 1));
    };
    state.counters["bare_us"] = us(bareTime);
    state.counters["bare_once_us"] = us(onceTime);
    state.counters["tick_us"] = us(tickTime);
    state.counters["ratio"] = over(tickTime, bareTime);
    state.counters["ratio_once"] = over(tickTime, onceTime);
    state.SetLabel(tick.label());
}
BENCHMARK(BM_TickOverBareReads);

}  // namespace
