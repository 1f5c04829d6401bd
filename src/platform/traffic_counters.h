#pragma once
// The operating system's byte counters of the links that carry the Internet connection.
#include <cstdint>
#include <string_view>
#include <vector>

namespace lt {

struct InterfaceBytes {
    char name[16] = {};  // the kernel's limit, with the terminator
    std::uint64_t received = 0;
    std::uint64_t sent = 0;

    std::string_view nameView() const { return name; }
};

class TrafficCounters {
  public:
    virtual ~TrafficCounters() = default;
    // The counters, now, of the interfaces that carry a default route (IPv4 or IPv6).
    // False, and `out` empty, when they cannot be read. Called once a second: `out` keeps
    // its capacity from one call to the next, so a steady tick allocates nothing.
    virtual bool read(std::vector<InterfaceBytes>& out) = 0;
};

// Where no counters can be read: no bytes are counted.
class NoTrafficCounters final : public TrafficCounters {
  public:
    bool read(std::vector<InterfaceBytes>& out) override {
        out.clear();
        return false;
    }
};

}  // namespace lt
