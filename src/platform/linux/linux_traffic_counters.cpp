#include "platform/linux/linux_traffic_counters.h"

#include <cstring>

#include "platform/linux/linux_connection_probe.h"

namespace lt {

namespace {

constexpr int kHeaderLines = 2;
constexpr int kReceiveFields = 8;

// The name ends at the first colon (a colon is never part of one) and is padded on the
// left; old kernels put the first counter right after the colon.
bool splitName(const char* line, std::size_t length, const char*& name, std::size_t& nameLength,
               const char*& rest) {
    const char* const end = line + length;
    const char* p = line;
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    const auto* colon =
        static_cast<const char*>(std::memchr(p, ':', static_cast<std::size_t>(end - p)));
    if (colon == nullptr) return false;
    name = p;
    nameLength = static_cast<std::size_t>(colon - p);
    rest = colon + 1;
    return nameLength > 0 && nameLength < sizeof InterfaceBytes::name;
}

// Received bytes, seven more receive fields, then sent bytes.
bool parseCounters(const char* p, std::size_t length, InterfaceBytes& bytes) {
    procfs::Fields fields(p, length);
    const char *received, *sent;
    std::size_t receivedLength, sentLength;
    return fields.next(received, receivedLength) && fields.skip(kReceiveFields - 1) &&
           fields.next(sent, sentLength) &&
           procfs::parseDecimal(received, receivedLength, bytes.received) &&
           procfs::parseDecimal(sent, sentLength, bytes.sent);
}

}  // namespace

LinuxTrafficCounters::LinuxTrafficCounters(const LinuxConnectionProbe& probe, const QString& root)
    : probe_(probe), path_(procfs::withTrailingSlash(root) + "proc/net/dev") {}

bool LinuxTrafficCounters::read(std::vector<InterfaceBytes>& out) {
    out.clear();
    int lines = 0;
    const bool whole =
        procfs::forEachLine(dev_, path_.c_str(), [&](const char* line, std::size_t length) {
            if (++lines <= kHeaderLines) return;
            const char *name, *rest;
            std::size_t nameLength;
            if (!splitName(line, length, name, nameLength, rest) ||
                !probe_.carriesDefaultRoute({name, nameLength}))
                return;
            InterfaceBytes bytes;
            std::memcpy(bytes.name, name, nameLength);
            if (parseCounters(rest, static_cast<std::size_t>(line + length - rest), bytes))
                out.push_back(bytes);
        });
    if (whole && lines >= kHeaderLines) return true;
    out.clear();
    return false;
}

}  // namespace lt
