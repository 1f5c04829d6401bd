// Cost of the once-a-second connection check on this machine's real /proc and /sys,
// beside its floor: one bare open-read-close of the IPv4 route table.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "platform/linux/linux_connection_probe.h"

namespace {

ssize_t bareRead() {
    char buf[4096];
    const int fd = ::open("/proc/net/route", O_RDONLY | O_CLOEXEC);
    ssize_t total = 0;
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) total += n;
    ::close(fd);
    return total;
}

void BM_BareRouteTableRead(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(bareRead());
}
BENCHMARK(BM_BareRouteTableRead);

void BM_ProbeQuery(benchmark::State& state) {
    lt::LinuxConnectionProbe probe;
    for (auto _ : state) {
        auto result = probe.query();
        benchmark::DoNotOptimize(result);
    }
    const auto result = probe.query();
    state.SetLabel(std::string(result.online ? "on line" : "off line") + ", flags " +
                   std::to_string(result.flags));
}
BENCHMARK(BM_ProbeQuery);

// Both in turn within each iteration, so that the ratio holds on a noisy machine.
void BM_QueryOverBareRead(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    lt::LinuxConnectionProbe probe;
    Clock::duration bare{}, query{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(bareRead());
        const auto t1 = Clock::now();
        auto result = probe.query();
        benchmark::DoNotOptimize(result);
        bare += t1 - t0;
        query += Clock::now() - t1;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["bare_us"] = std::chrono::duration<double, std::micro>(bare).count() / n;
    state.counters["query_us"] = std::chrono::duration<double, std::micro>(query).count() / n;
    state.counters["ratio"] = static_cast<double>(query.count()) /
                              static_cast<double>(std::max<Clock::rep>(bare.count(), 1));
}
BENCHMARK(BM_QueryOverBareRead);

}  // namespace
