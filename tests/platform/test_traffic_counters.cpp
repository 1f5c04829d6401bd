#include "platform/linux/linux_traffic_counters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <string>

#include "platform/linux/linux_connection_probe.h"
#include "support/test_support.h"

namespace lt {
namespace {

const QByteArray kDevHeader =
    "Inter-|   Receive                                                |  Transmit\n"
    " face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets errs "
    "drop fifo colls carrier compressed\n";

// One line as the kernel prints it: the name right-aligned in six columns.
QByteArray devLine(const char* name, unsigned long long received, unsigned long long sent) {
    char line[256];
    std::snprintf(line, sizeof line,
                  "%6s: %7llu %7llu %4llu %4llu %4llu %5llu %10llu %9llu "
                  "%8llu %7llu %4llu %4llu %4llu %5llu %7llu %10llu\n",
                  name, received, 2107ull, 0ull, 0ull, 0ull, 0ull, 0ull, 0ull, sent, 1396ull, 0ull,
                  0ull, 0ull, 0ull, 0ull, 0ull);
    return line;
}

QByteArray ipv4Default(const char* iface) {
    return QByteArray(iface) + "\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n";
}

QByteArray ipv6Default(const char* iface) {
    const QByteArray zero(32, '0');
    return zero + " 00 " + zero + " 00 " + zero + " 00000400 00000003 00000000 00000003 " +
           QByteArray(iface).rightJustified(8) + '\n';
}

// A root with proc/net, and a probe and counters reading it.
class FakeProc {
  public:
    FakeProc() {
        QDir(dir_.path()).mkpath("proc/net");
        routes("", "");
    }
    void routes(const QByteArray& ipv4, const QByteArray& ipv6) {
        write("route",
              "Iface\tDestination\tGateway "
              "\tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n" +
                  ipv4);
        write("ipv6_route", ipv6);
    }
    void dev(const QByteArray& lines) { write("dev", kDevHeader + lines); }
    void write(const char* file, const QByteArray& bytes) {
        test::writeFile(dir_.path() + "/proc/net/" + file, bytes);
    }
    // One tick: the route first, then the counters of its interfaces.
    bool read(std::vector<InterfaceBytes>& out) {
        probe.query();
        return counters.read(out);
    }
    QString root() const { return dir_.path(); }

  private:
    QTemporaryDir dir_;

  public:
    LinuxConnectionProbe probe{dir_.path()};
    LinuxTrafficCounters counters{probe, dir_.path()};
};

std::string names(const std::vector<InterfaceBytes>& out) {
    std::string s;
    for (const InterfaceBytes& i : out) s += std::string(i.name) + ' ';
    return s;
}

TEST(LinuxTrafficCounters, ReadsTheInterfacesOnADefaultRouteInTheKernelsLayout) {
    FakeProc proc;
    proc.dev(devLine("lo", 28478, 28478) + devLine("ifb0", 0, 0) +
             devLine("eth0", 62063052, 108840) +
             devLine("enx00e04c680001", 18446744073709551615ull, 4294967296ull) +
             devLine("docker0", 555, 666));
    proc.routes(
        ipv4Default("eth0") + "docker0\t000011AC\t00000000\t0001\t0\t0\t0\t0000FFFF\t0\t0\t0\n",
        ipv6Default("enx00e04c680001") + ipv6Default("eth0"));
    std::vector<InterfaceBytes> out;
    ASSERT_TRUE(proc.read(out));
    ASSERT_EQ(names(out), "eth0 enx00e04c680001 ");
    EXPECT_EQ(out[0].received, 62063052u);
    EXPECT_EQ(out[0].sent, 108840u);
    EXPECT_EQ(out[1].received, 18446744073709551615u);
    EXPECT_EQ(out[1].sent, 4294967296u);

    // The file stays open and is read again as it is now; an IPv6 default route alone
    // counts, and old kernels put the counter right after the colon.
    proc.routes("", ipv6Default("wlan0"));
    proc.dev(devLine("eth0", 62063999, 108999) + "wlan0:1234 5 0 0 0 0 0 0 678 9 0 0 0 0 0 0\n");
    ASSERT_TRUE(proc.read(out));
    ASSERT_EQ(names(out), "wlan0 ");
    EXPECT_EQ(out[0].received, 1234u);
    EXPECT_EQ(out[0].sent, 678u);

    // A table longer than one read.
    QByteArray many;
    for (int i = 0; i < 60; ++i) many += devLine(("veth" + std::to_string(i)).c_str(), 1, 1);
    proc.dev(many + devLine("wlan0", 5555, 6666));
    ASSERT_TRUE(proc.read(out));
    ASSERT_EQ(names(out), "wlan0 ");
    EXPECT_EQ(out[0].sent, 6666u);

    proc.routes("", "");
    EXPECT_TRUE(proc.read(out));
    EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace lt
