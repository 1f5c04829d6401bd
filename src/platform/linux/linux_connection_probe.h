#pragma once
// On line = a default route (IPv4 or IPv6) on an interface that is up. Read straight
// from procfs and sysfs, since it runs every second.
#include <QString>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/connection.h"
#include "platform/linux/proc_table.h"

namespace lt {

class LinuxConnectionProbe final : public ConnectionProbe {
  public:
    // root: where proc/ and sys/ are found ("/" on a real system).
    explicit LinuxConnectionProbe(const QString& root = QStringLiteral("/"),
                                  bool proxyConfigured = false);
    ~LinuxConnectionProbe() override;
    LinuxConnectionProbe(const LinuxConnectionProbe&) = delete;
    LinuxConnectionProbe& operator=(const LinuxConnectionProbe&) = delete;

    // True when http_proxy, https_proxy or all_proxy (either case) is set to something.
    static bool proxyFromEnvironment();

    // Flags: modem for a PPP link, LAN for any other link, combined when several links
    // carry a default route; proxy whenever one is configured, on line or not.
    ConnectionState query() override;

    // Whether the interface carried a default route (IPv4 or IPv6) at the last query, up
    // or not: the interfaces whose traffic is the connection's.
    bool carriesDefaultRoute(std::string_view name) const;

  private:
    static constexpr std::size_t kNameMax = 16;  // IFNAMSIZ, with its terminator

    struct Interface {
        char name[kNameMax] = {};
        int type = -1;               // ARPHRD_*; -1 until read
        bool seenThisQuery = false;  // kept in the cache only while it has a default route
        bool checkedThisQuery = false;
        procfs::KeptFile operstate, flags;  // read every second
    };

    void readIpv4Routes();
    void readIpv6Routes();
    void onDefaultRoute(const char* name, std::size_t length);
    Interface& interfaceNamed(const char* name, std::size_t length);
    bool readInterfaceFile(procfs::KeptFile& kept, const char* name, const char* file, char* out,
                           std::size_t size) const;
    bool interfaceIsUp(Interface& i) const;
    int interfaceType(const char* name) const;

    std::string ipv4Routes_;
    std::string ipv6Routes_;
    procfs::KeptFile ipv4File_;
    procfs::KeptFile ipv6File_;
    std::string sysNet_;  // ".../sys/class/net/"
    bool proxyConfigured_;
    std::vector<Interface> interfaces_;  // few entries; reserved, so no allocation per tick
    std::uint32_t flags_ = 0;
};

}  // namespace lt
