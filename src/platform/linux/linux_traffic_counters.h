#pragma once
// Byte counters from /proc/net/dev, for the interfaces the connection probe found on a
// default route in the same tick: the route tables are read once, by the probe.
#include <QString>
#include <string>
#include <vector>

#include "platform/linux/proc_table.h"
#include "platform/traffic_counters.h"

namespace lt {

class LinuxConnectionProbe;

class LinuxTrafficCounters final : public TrafficCounters {
  public:
    // root: where proc/ is found ("/" on a real system). The probe is queried by its owner
    // before each read; its last answer says which interfaces count.
    explicit LinuxTrafficCounters(const LinuxConnectionProbe& probe,
                                  const QString& root = QStringLiteral("/"));
    LinuxTrafficCounters(const LinuxTrafficCounters&) = delete;
    LinuxTrafficCounters& operator=(const LinuxTrafficCounters&) = delete;

    bool read(std::vector<InterfaceBytes>& out) override;

  private:
    const LinuxConnectionProbe& probe_;
    std::string path_;
    procfs::KeptFile dev_;
};

}  // namespace lt
