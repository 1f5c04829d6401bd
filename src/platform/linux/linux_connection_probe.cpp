#include "platform/linux/linux_connection_probe.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace lt {

namespace {

constexpr std::uint32_t kRtfUp = 0x0001;
constexpr std::uint32_t kRtfReject = 0x0200;
constexpr std::uint32_t kIffUp = 0x1;
constexpr int kArphrdPpp = 512;

// Calls onLine(begin, length) for each line of the table, through a fixed buffer: the
// tables are small, but one with many routes simply takes several reads. A line longer
// than the buffer is dropped; no valid route line comes near that. The file stays open:
// procfs regenerates a table on each read from offset 0, and the open is most of the cost.
template <typename OnLine>
void forEachLine(int& fd, const char* path, OnLine&& onLine) {
    if (fd < 0) fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    char buf[4096];
    std::size_t kept = 0;  // an unfinished line moved to the front of buf
    bool skipping = false;
    off_t offset = 0;
    for (;;) {
        const ssize_t n = ::pread(fd, buf + kept, sizeof buf - kept, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {  // opened afresh next time
            ::close(fd);
            fd = -1;
            return;
        }
        if (n == 0) break;
        offset += n;
        const char* p = buf;
        const char* const end = buf + kept + static_cast<std::size_t>(n);
        while (const char* nl = static_cast<const char*>(
                   std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) {
            if (!skipping) onLine(p, static_cast<std::size_t>(nl - p));
            skipping = false;
            p = nl + 1;
        }
        kept = static_cast<std::size_t>(end - p);
        if (kept == sizeof buf) {
            skipping = true;
            kept = 0;
        } else if (kept > 0 && p != buf) {
            std::memmove(buf, p, kept);
        }
    }
    if (kept > 0 && !skipping) onLine(buf, kept);
}

// Whitespace-separated fields of one line, without copying.
class Fields {
  public:
    Fields(const char* p, std::size_t length) : p_(p), end_(p + length) {}
    bool next(const char*& field, std::size_t& length) {
        while (p_ < end_ && (*p_ == ' ' || *p_ == '\t')) ++p_;
        if (p_ == end_) return false;
        field = p_;
        while (p_ < end_ && *p_ != ' ' && *p_ != '\t') ++p_;
        length = static_cast<std::size_t>(p_ - field);
        return true;
    }
    bool skip(int count) {
        const char* f;
        std::size_t n;
        for (int i = 0; i < count; ++i)
            if (!next(f, n)) return false;
        return true;
    }

  private:
    const char* p_;
    const char* end_;
};

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

std::string withTrailingSlash(const QString& root) {
    std::string s = QFile::encodeName(root.isEmpty() ? QStringLiteral("/") : root).toStdString();
    if (s.back() != '/') s += '/';
    return s;
}

}  // namespace

LinuxConnectionProbe::LinuxConnectionProbe(const QString& root, bool proxyConfigured)
    : proxyConfigured_(proxyConfigured) {
    const std::string base = withTrailingSlash(root);
    ipv4Routes_ = base + "proc/net/route";
    ipv6Routes_ = base + "proc/net/ipv6_route";
    sysNet_ = base + "sys/class/net/";
    interfaces_.reserve(8);
}

LinuxConnectionProbe::~LinuxConnectionProbe() {
    for (int fd : {ipv4Fd_, ipv6Fd_})
        if (fd >= 0) ::close(fd);
}

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

// Iface Destination Gateway Flags RefCnt Use Metric Mask MTU Window IRTT (hex fields)
void LinuxConnectionProbe::readIpv4Routes() {
    forEachLine(ipv4Fd_, ipv4Routes_.c_str(), [this](const char* line, std::size_t length) {
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
    forEachLine(ipv6Fd_, ipv6Routes_.c_str(), [this](const char* line, std::size_t length) {
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
    if (!interfaceIsUp(i.name)) return;
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
bool LinuxConnectionProbe::readInterfaceFile(const char* name, const char* file, char* out,
                                             std::size_t size) const {
    char path[PATH_MAX];
    const std::size_t nameLength = std::strlen(name);
    const std::size_t fileLength = std::strlen(file);
    if (sysNet_.size() + nameLength + 1 + fileLength + 1 > sizeof path) return false;
    char* p = path;
    p = static_cast<char*>(std::memcpy(p, sysNet_.data(), sysNet_.size())) + sysNet_.size();
    p = static_cast<char*>(std::memcpy(p, name, nameLength)) + nameLength;
    *p++ = '/';
    std::memcpy(p, file, fileLength + 1);

    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    ssize_t n;
    do {
        n = ::read(fd, out, size - 1);
    } while (n < 0 && errno == EINTR);
    ::close(fd);
    if (n < 0) return false;
    std::size_t length = static_cast<std::size_t>(n);
    while (length > 0 && (out[length - 1] == '\n' || out[length - 1] == ' ')) --length;
    out[length] = '\0';
    return true;
}

// "up" is up. Links without carrier detection (PPP, tun) report "unknown": the kernel
// itself treats that as up, so then the administrative IFF_UP flag decides. "dormant"
// (Wi-Fi still authenticating), "lowerlayerdown" and "down" are not up.
bool LinuxConnectionProbe::interfaceIsUp(const char* name) const {
    char state[32];
    if (!readInterfaceFile(name, "operstate", state, sizeof state)) return false;
    if (std::strcmp(state, "up") == 0) return true;
    if (std::strcmp(state, "unknown") != 0) return false;
    char flags[32];
    std::uint32_t value;
    return readInterfaceFile(name, "flags", flags, sizeof flags) &&
           parseHex(flags, std::strlen(flags), value) && (value & kIffUp) != 0;
}

int LinuxConnectionProbe::interfaceType(const char* name) const {
    char text[16];
    if (!readInterfaceFile(name, "type", text, sizeof text) || text[0] == '\0') return -1;
    char* end;
    const long type = std::strtol(text, &end, 10);
    if (*end != '\0' || type < 0 || type > 0xffff) return -1;
    return static_cast<int>(type);
}

}  // namespace lt
