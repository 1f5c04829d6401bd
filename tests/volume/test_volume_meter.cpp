#include "volume/volume_meter.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/clock.h"

namespace lt {
namespace {

InterfaceBytes counters(const char* name, std::uint64_t received, std::uint64_t sent) {
    InterfaceBytes bytes;
    std::strncpy(bytes.name, name, sizeof bytes.name - 1);
    bytes.received = received;
    bytes.sent = sent;
    return bytes;
}

// A session driven once a second in virtual time.
struct Session {
    VolumeMeter meter;
    FakeClock clock;

    void start(std::vector<InterfaceBytes> now) { meter.start(now, clock.monotonicMs()); }
    void tick(std::vector<InterfaceBytes> now, std::int64_t afterMs = 1000) {
        clock.advanceMs(afterMs);
        meter.sample(now, clock.monotonicMs());
    }
};

constexpr std::uint64_t k4G = std::uint64_t{1} << 32;

TEST(VolumeMeter, CountsASteadySessionAndItsRatesOverElapsedTime) {
    Session s;
    s.start({counters("eth0", 7'000'000, 900'000)});
    s.tick({counters("eth0", 7'000'000, 900'000)}, 0);
    EXPECT_EQ(s.meter.receivedPerSecond(), 0.0);
    for (std::uint64_t i = 1; i <= 60; ++i)
        s.tick({counters("eth0", 7'000'000 + i * 1'000'000, 900'000 + i * 50'000)});
    EXPECT_EQ(s.meter.received(), 60'000'000u);
    EXPECT_EQ(s.meter.sent(), 3'000'000u);
    EXPECT_DOUBLE_EQ(s.meter.receivedPerSecond(), 1'000'000);
    EXPECT_DOUBLE_EQ(s.meter.sentPerSecond(), 50'000);

    // A tick 3 s late carries 3 s of bytes, and a second one in the same millisecond
    // nothing: neither is a spike.
    s.tick({counters("eth0", 70'000'000, 4'050'000)}, 3000);
    s.tick({counters("eth0", 70'000'000, 4'050'000)}, 0);
    EXPECT_DOUBLE_EQ(s.meter.receivedPerSecond(), 1'000'000);
    EXPECT_DOUBLE_EQ(s.meter.sentPerSecond(), 50'000);

    // Ten minutes without a sample spread their bytes over the ten minutes; the rate is
    // that of the last seconds again on the next tick.
    s.tick({counters("eth0", 70'600'000, 4'050'000)}, 600'000);
    EXPECT_DOUBLE_EQ(s.meter.receivedPerSecond(), 1000);
    s.tick({counters("eth0", 70'700'000, 4'050'000)});
    EXPECT_DOUBLE_EQ(s.meter.receivedPerSecond(), 100'000);
    EXPECT_EQ(s.meter.received(), 63'700'000u);

    s.meter.stop();
    s.tick({counters("eth0", 99'000'000, 9'000'000)});
    EXPECT_EQ(s.meter.received(), 63'700'000u);
    EXPECT_EQ(s.meter.receivedPerSecond(), 0.0);
    s.start({counters("eth0", 99'000'000, 9'000'000)});
    EXPECT_EQ(s.meter.received(), 0u);

    // A burst shows as the rate of the last five seconds, not of the last tick alone.
    s.tick({counters("eth0", 104'000'000, 9'000'000)});
    for (int i = 0; i < 4; ++i) s.tick({counters("eth0", 104'000'000, 9'000'000)});
    EXPECT_DOUBLE_EQ(s.meter.receivedPerSecond(), 1'000'000);
    s.tick({counters("eth0", 104'000'000, 9'000'000)});
    EXPECT_EQ(s.meter.receivedPerSecond(), 0.0);
}

TEST(VolumeMeter, ACounterThatGoesBackCountsFromZeroOrWrapsAt32Bits) {
    Session s;
    s.start({counters("ppp0", 5 * k4G, k4G - 1000)});
    s.tick({counters("ppp0", 5 * k4G + 100, 500)});  // a plausible 32-bit wrap of sent
    EXPECT_EQ(s.meter.received(), 100u);
    EXPECT_EQ(s.meter.sent(), 1500u);

    s.tick({counters("ppp0", 2000, 300)});  // a new device: 64-bit and 32-bit counters restart
    EXPECT_EQ(s.meter.received(), 2100u);
    EXPECT_EQ(s.meter.sent(), 1800u);

    // Going back by a little is a restart, not a wrap of nearly 4 GiB.
    s.tick({counters("ppp0", 3000, 1'000'000)});
    s.tick({counters("ppp0", 3100, 400'000)});
    EXPECT_EQ(s.meter.received(), 3200u);
    EXPECT_EQ(s.meter.sent(), 1800u + 999'700 + 400'000);

    // Nor can a wrap of 1 GB happen in a millisecond; in a second it can.
    s.tick({counters("ppp0", 3100, k4G - 1'000'000'000)});
    const std::uint64_t sent = s.meter.sent();
    s.tick({counters("ppp0", 3100, 100)}, 1);
    EXPECT_EQ(s.meter.sent(), sent + 100);
    s.tick({counters("ppp0", 3100, k4G - 1'000'000'000)});
    s.tick({counters("ppp0", 3100, 100)});
    EXPECT_EQ(s.meter.sent(), sent + 100 + (k4G - 1'000'000'100) + 1'000'000'100);
}

TEST(VolumeMeter, AnInterfaceChangeOrAFailedReadLosesNothingAndInventsNothing) {
    Session s;
    s.start({counters("eth0", 1000, 100)});
    s.tick({counters("eth0", 3000, 200)});
    // The route moves to wlan0: its counters so far are a baseline, eth0 keeps its count.
    s.tick({counters("wlan0", 80'000'000, 9'000'000)});
    EXPECT_EQ(s.meter.received(), 2000u);
    s.tick({counters("wlan0", 80'000'500, 9'000'050)});
    EXPECT_EQ(s.meter.received(), 2500u);
    EXPECT_EQ(s.meter.sent(), 150u);

    // Both carry a default route; eth0 comes back as a baseline.
    s.tick({counters("wlan0", 80'001'000, 9'000'100), counters("eth0", 50'000, 5000)});
    s.tick({counters("wlan0", 80'002'000, 9'000'200), counters("eth0", 51'000, 5100)});
    EXPECT_EQ(s.meter.received(), 5000u);
    EXPECT_EQ(s.meter.sent(), 400u);

    // Unreadable counters change nothing; what moved meanwhile counts on the next reading.
    s.tick({});
    s.tick({});
    EXPECT_EQ(s.meter.received(), 5000u);
    s.tick({counters("wlan0", 80'005'000, 9'000'200), counters("eth0", 54'000, 5100)});
    EXPECT_EQ(s.meter.received(), 11'000u);
}

}  // namespace
}  // namespace lt
