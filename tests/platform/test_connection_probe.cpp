#include "platform/linux/linux_connection_probe.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QDir>
#include <QTemporaryDir>

#include "support/test_support.h"

namespace lt {
namespace {

const QByteArray kRouteHeader =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";
const QByteArray kV6Zero = "00000000000000000000000000000000";

// The kernel's own layout of both tables, padding included.
QByteArray route4(const char* iface, const char* destination, const char* flags, const char* mask) {
    return QByteArray(iface) + '\t' + destination + "\t010200C0\t" + flags + "\t0\t0\t0\t" + mask +
           "\t0\t0\t0" + QByteArray(60, ' ') + '\n';
}
QByteArray route6(const QByteArray& destination, const char* prefix, const char* flags,
                  const char* iface) {
    return destination + ' ' + prefix + ' ' + kV6Zero + " 00 " + kV6Zero +
           " 00000400 00000002 00000000 " + flags + ' ' + QByteArray(iface).rightJustified(8) +
           '\n';
}

class FakeSystem {
  public:
    explicit FakeSystem() { QDir(root()).mkpath("proc/net"); }
    QString root() const { return dir_.path(); }
    void routes4(const QByteArray& lines) { write("proc/net/route", kRouteHeader + lines); }
    void routes6(const QByteArray& lines) { write("proc/net/ipv6_route", lines); }
    void interface(const char* name, int type, const char* operstate, const char* flags) {
        const QString base = QStringLiteral("sys/class/net/") + name + '/';
        QDir(root()).mkpath(base);
        write(base + "type", QByteArray::number(type) + '\n');
        write(base + "operstate", QByteArray(operstate) + '\n');
        write(base + "flags", QByteArray(flags) + '\n');
    }
    // In place, as procfs changes: the probe keeps the route tables open.
    void write(const QString& relative, const QByteArray& bytes) {
        test::writeFile(root() + '/' + relative, bytes);
    }
    ConnectionState query(bool proxy = false) const {
        return LinuxConnectionProbe(root(), proxy).query();
    }

  private:
    QTemporaryDir dir_;
};

const QByteArray kEth0Default = route4("eth0", "00000000", "0003", "00000000");
const QByteArray kEth0Subnet = route4("eth0", "000200C0", "0001", "00FFFFFF");

TEST(LinuxConnectionProbe, OnlyAUsableDefaultRouteCountsAsOnLine) {
    FakeSystem sys;
    sys.interface("eth0", 1, "up", "0x1003");
    sys.interface("lo", 772, "unknown", "0x9");
    sys.routes4(kEth0Subnet + route4("eth0", "00000000", "0003", "000000FF") +  // not a default
                route4("lo", "00000000", "0001", "00000000") +
                route4("eth0", "00000000", "0002", "00000000") +  // not RTF_UP
                route4("eth0", "00000000", "0201", "00000000") +  // reject
                route4("*", "00000000", "0001", "00000000"));     // blackhole
    sys.routes6(route6("fe800000000000000000000000000000", "40", "00000001", "eth0") +
                route6(kV6Zero, "00", "00200200", "lo") +  // the kernel's unreachable default
                route6(kV6Zero, "00", "00000201", "eth0") +
                route6(kV6Zero, "08", "00000001", "eth0"));
    EXPECT_EQ(sys.query().flags, 0u);
    EXPECT_FALSE(sys.query().online);

    sys.routes4(kEth0Subnet + kEth0Default);
    EXPECT_EQ(sys.query().flags, kFlagLan);
    sys.routes4(kEth0Subnet);  // IPv6 alone
    sys.routes6(route6(kV6Zero, "00", "00450003", "eth0"));
    EXPECT_TRUE(sys.query().online);
}

TEST(LinuxConnectionProbe, TheLinkKindsOfAllDefaultRoutesThatAreUpCombine) {
    FakeSystem sys;
    sys.interface("ppp0", 512, "unknown", "0x10d1");
    sys.interface("wlan0", 1, "up", "0x1003");
    sys.interface("tun0", 65534, "unknown", "0x1091");
    sys.routes4(route4("ppp0", "00000000", "0001", "00000000"));
    sys.routes6(route6(kV6Zero, "00", "00000003", "wlan0"));
    LinuxConnectionProbe probe(sys.root());  // one probe: the states are read on every query
    EXPECT_EQ(probe.query().flags, kFlagModem | kFlagLan);
    EXPECT_EQ(sys.query(true).flags, kFlagModem | kFlagLan | kFlagProxy);
    for (const char* state : {"down", "dormant", "lowerlayerdown", ""}) {
        sys.interface("wlan0", 1, state, "0x1003");
        EXPECT_EQ(probe.query().flags, kFlagModem) << state;
    }
    sys.interface("ppp0", 512, "unknown", "0x1090");  // IFF_UP clear
    EXPECT_FALSE(probe.query().online);
    EXPECT_FALSE(sys.query(true).online);  // a proxy alone is no connection

    sys.routes4(route4("tun0", "00000000", "0001", "00000000"));  // a VPN is no modem
    EXPECT_EQ(sys.query().flags, kFlagLan);

    for (const char* n :
         {"http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY"})
        unsetenv(n);
    setenv("http_proxy", "", 1);
    EXPECT_FALSE(LinuxConnectionProbe::proxyFromEnvironment());
    setenv("HTTPS_PROXY", "http://proxy:3128", 1);
    EXPECT_TRUE(LinuxConnectionProbe::proxyFromEnvironment());
    unsetenv("HTTPS_PROXY");
}

TEST(LinuxConnectionProbe, MissingUnreadableOrHostileFilesAreOffLine) {
    FakeSystem sys;
    EXPECT_FALSE(LinuxConnectionProbe(sys.root() + "/nowhere").query().online);

    sys.routes4(kEth0Default);  // no sysfs entry for eth0
    EXPECT_FALSE(sys.query().online);
    sys.interface("eth0", 1, "up", "0x1003");
    sys.write("sys/class/net/eth0/type", "ether\n");
    EXPECT_FALSE(sys.query().online);
    sys.interface("../../../etc", 1, "up", "0x1003");  // a path, not a name
    sys.routes4(route4("../../../etc", "00000000", "0003", "00000000") +
                route4("averyveryverylongname", "00000000", "0003", "00000000") +
                "eth0\t00000000\n" + QByteArray(10000, ' ') +
                kEth0Default +  // too long to be real: dropped whole
                "\n\t\t\n" + QByteArray("\0\0\0", 3));
    EXPECT_FALSE(sys.query().online);
}

}  // namespace
}  // namespace lt
