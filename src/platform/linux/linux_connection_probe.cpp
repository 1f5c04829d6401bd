#include "platform/linux/linux_connection_probe.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/linux/proc_table.h"

namespace lt {

namespace {

using procfs::Fields;
using procfs::forEachLine;

constexpr std::uint32_t kRtfUp = 0x0001;
constexpr std::uint32_t kRtfReject = 0x0200;
constexpr std::uint32_t kIffUp = 0x1;
constexpr int kArphrdPpp = 512;

bool parseHex(const char* s, std::size_t length, std::uint32_t& value) {
    if (length > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        s += 2;
        length -= 2;
    }
    if (length == 0 || length > 8) return false;
    value = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const char c = s[i];
        std::uint32_t digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<std::uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        else
            return false;
        value = value << 4 | digit;
    }
    return true;
}

bool allZeros(const char* s, std::size_t length) {
    return length > 0 && std::all_of(s, s + length, [](char c) { return c == '0'; });
}

bool equals(const char* s, std::size_t length, const char* word) {
    return std::strlen(word) == length && std::memcmp(s, word, length) == 0;
}

// A name the kernel could have given, so that it is safe to put in a sysfs path; "lo"
// and the "*" of blackhole routes carry no Internet.
bool usableInterface(const char* name, std::size_t length, std::size_t max) {
    if (length == 0 || length >= max) return false;
    if (equals(name, length, "lo") || equals(name, length, "*") || equals(name, length, ".") ||
        equals(name, length, ".."))
        return false;
    return std::memchr(name, '/', length) == nullptr;
}

bool usableRoute(std::uint32_t flags) {
    return (flags & kRtfUp) != 0 && (flags & kRtfReject) == 0;
}

}  // namespace

LinuxConnectionProbe::LinuxConnectionProbe(const QString& root, bool proxyConfigured)
    : proxyConfigured_(proxyConfigured) {
    const std::string base = procfs::withTrailingSlash(root);
    ipv4Routes_ = base + "proc/net/route";
    ipv6Routes_ = base + "proc/net/ipv6_route";
    sysNet_ = base + "sys/class/net/";
    interfaces_.reserve(8);
}

LinuxConnectionProbe::~LinuxConnectionProbe() = default;

bool LinuxConnectionProbe::proxyFromEnvironment() {
    for (const char* name :
         {"http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

ConnectionState LinuxConnectionProbe::query() {
    flags_ = 0;
    for (Interface& i : interfaces_) i.seenThisQuery = i.checkedThisQuery = false;
    readIpv4Routes();
    readIpv6Routes();
    // An interface that lost its default route may come back as another device under
    // the same name; forgetting it makes its type be read afresh.
    std::erase_if(interfaces_, [](const Interface& i) { return !i.seenThisQuery; });

    ConnectionState state;
    state.online = (flags_ & (kFlagModem | kFlagLan)) != 0;
    state.flags = flags_ | (proxyConfigured_ ? kFlagProxy : 0u);
    return state;
}

bool LinuxConnectionProbe::carriesDefaultRoute(std::string_view name) const {
    return std::any_of(interfaces_.begin(), interfaces_.end(),
                       [name](const Interface& i) { return name == i.name; });
}

// Iface Destination Gateway Flags RefCnt Use Metric Mask MTU Window IRTT (hex fields)
void LinuxConnectionProbe::readIpv4Routes() {
    forEachLine(ipv4File_, ipv4Routes_.c_str(), [this](const char* line, std::size_t length) {
        Fields fields(line, length);
        const char *name, *destination, *flags, *mask;
        std::size_t nameLength, destinationLength, flagsLength, maskLength;
        std::uint32_t routeFlags;
        if (!fields.next(name, nameLength) || !fields.next(destination, destinationLength) ||
            !fields.skip(1) || !fields.next(flags, flagsLength) || !fields.skip(3) ||
            !fields.next(mask, maskLength))
            return;
        if (!allZeros(destination, destinationLength) || !allZeros(mask, maskLength) ||
            !parseHex(flags, flagsLength, routeFlags) || !usableRoute(routeFlags))
            return;
        onDefaultRoute(name, nameLength);
    });
}

// Destination PrefixLen Source PrefixLen NextHop Metric RefCnt Use Flags Iface
void LinuxConnectionProbe::readIpv6Routes() {
    forEachLine(ipv6File_, ipv6Routes_.c_str(), [this](const char* line, std::size_t length) {
        Fields fields(line, length);
        const char *destination, *prefix, *flags, *name;
        std::size_t destinationLength, prefixLength, flagsLength, nameLength;
        std::uint32_t prefixBits, routeFlags;
        if (!fields.next(destination, destinationLength) || !fields.next(prefix, prefixLength) ||
            !fields.skip(6) || !fields.next(flags, flagsLength) || !fields.next(name, nameLength))
            return;
        if (destinationLength != 32 || !allZeros(destination, destinationLength) ||
            !parseHex(prefix, prefixLength, prefixBits) || prefixBits != 0 ||
            !parseHex(flags, flagsLength, routeFlags) || !usableRoute(routeFlags))
            return;
        onDefaultRoute(name, nameLength);
    });
}

void LinuxConnectionProbe::onDefaultRoute(const char* name, std::size_t length) {
    if (!usableInterface(name, length, kNameMax)) return;
    Interface& i = interfaceNamed(name, length);
    i.seenThisQuery = true;
    if (i.checkedThisQuery) return;  // its IPv4 and IPv6 routes count once
    i.checkedThisQuery = true;
    if (!interfaceIsUp(i)) return;
    if (i.type < 0) i.type = interfaceType(i.name);
    if (i.type < 0) return;
    flags_ |= i.type == kArphrdPpp ? kFlagModem : kFlagLan;
}

LinuxConnectionProbe::Interface& LinuxConnectionProbe::interfaceNamed(const char* name,
                                                                      std::size_t length) {
    for (Interface& i : interfaces_)
        if (equals(name, length, i.name)) return i;
    Interface& added = interfaces_.emplace_back();
    std::memcpy(added.name, name, length);
    added.name[length] = '\0';
    return added;
}

// Reads a one-line sysfs attribute into out, without its newline.
bool LinuxConnectionProbe::readInterfaceFile(procfs::KeptFile& kept, const char* name,
                                             const char* file, char* out, std::size_t size) const {
    char path[PATH_MAX];
    const std::size_t nameLength = std::strlen(name);
    const std::size_t fileLength = std::strlen(file);
    if (sysNet_.size() + nameLength + 1 + fileLength + 1 > sizeof path) return false;
    char* p = path;
    p = static_cast<char*>(std::memcpy(p, sysNet_.data(), sysNet_.size())) + sysNet_.size();
    p = static_cast<char*>(std::memcpy(p, name, nameLength)) + nameLength;
    *p++ = '/';
    std::memcpy(p, file, fileLength + 1);

    const ssize_t n = kept.readAt(path, out, size - 1, 0);
    if (n < 0) return false;
    std::size_t length = static_cast<std::size_t>(n);
    while (length > 0 && (out[length - 1] == '\n' || out[length - 1] == ' ')) --length;
    out[length] = '\0';
    return true;
}

// "up" is up. Links without carrier detection (PPP, tun) report "unknown": the kernel
// itself treats that as up, so then the administrative IFF_UP flag decides. "dormant"
// (Wi-Fi still authenticating), "lowerlayerdown" and "down" are not up.
bool LinuxConnectionProbe::interfaceIsUp(Interface& i) const {
    char state[32];
    if (!readInterfaceFile(i.operstate, i.name, "operstate", state, sizeof state)) return false;
    if (std::strcmp(state, "up") == 0) return true;
    if (std::strcmp(state, "unknown") != 0) return false;
    char flags[32];
    std::uint32_t value;
    return readInterfaceFile(i.flags, i.name, "flags", flags, sizeof flags) &&
           parseHex(flags, std::strlen(flags), value) && (value & kIffUp) != 0;
}

int LinuxConnectionProbe::interfaceType(const char* name) const {
    char text[16];
    procfs::KeptFile once;  // the type of a device never changes
    if (!readInterfaceFile(once, name, "type", text, sizeof text) || text[0] == '\0') return -1;
    char* end;
    const long type = std::strtol(text, &end, 10);
    if (*end != '\0' || type < 0 || type > 0xffff) return -1;
    return static_cast<int>(type);
}

}  // namespace lt
