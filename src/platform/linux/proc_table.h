#pragma once
// Reading the kernel's procfs tables in place and without allocating, for the readers that
// run every second.
#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QString>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

namespace lt::procfs {

// A file kept open and read again from its start: procfs and sysfs make the content afresh
// on each read from offset 0, and the open is most of the cost of a read.
class KeptFile {
  public:
    KeptFile() = default;
    KeptFile(KeptFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    KeptFile& operator=(KeptFile&& other) noexcept {
        if (this != &other) {
            close();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    ~KeptFile() { close(); }

    // Up to size bytes at offset, the file opened when needed; -1 on failure. A file whose
    // object went away while it was open (an interface removed and made again under its
    // name) fails: it is opened afresh once.
    ssize_t readAt(const char* path, char* out, std::size_t size, off_t offset) {
        const bool wasOpen = fd_ >= 0;
        const ssize_t n = tryReadAt(path, out, size, offset);
        return n >= 0 || !wasOpen ? n : tryReadAt(path, out, size, offset);
    }

  private:
    ssize_t tryReadAt(const char* path, char* out, std::size_t size, off_t offset) {
        if (fd_ < 0) fd_ = ::open(path, O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) return -1;
        ssize_t n;
        do {
            n = ::pread(fd_, out, size, offset);
        } while (n < 0 && errno == EINTR);
        if (n < 0) close();
        return n;
    }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

    int fd_ = -1;
};

// Calls onLine(begin, length) for each line of the table, through a fixed buffer: the
// tables are small, but a long one simply takes several reads. A line longer than the
// buffer is dropped; no valid line comes near that. False when the table could not be
// read to its end.
//
// procfs fills a read with whole lines until the table ends or its own page (at least
// 4 KiB) is full, so a read that stops more than a line short of what was asked met the
// end, as a short read of a plain file does: that saves a read for the small tables, and
// a read is most of the cost.
template <typename OnLine>
bool forEachLine(KeptFile& file, const char* path, OnLine&& onLine) {
    constexpr std::size_t kLongestLine = 1024;
    char buf[4096];
    std::size_t kept = 0;  // an unfinished line moved to the front of buf
    bool skipping = false;
    off_t offset = 0;
    for (bool atEnd = false; !atEnd;) {
        const std::size_t asked = sizeof buf - kept;
        const ssize_t n = file.readAt(path, buf + kept, asked, offset);
        if (n < 0) return false;
        if (n == 0) break;
        atEnd = static_cast<std::size_t>(n) + kLongestLine <= asked;
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
    return true;
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

// An unsigned decimal that fits in 64 bits, and nothing else.
inline bool parseDecimal(const char* s, std::size_t length, std::uint64_t& value) {
    if (length == 0) return false;
    value = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        const auto digit = static_cast<std::uint64_t>(s[i] - '0');
        if (value > (UINT64_MAX - digit) / 10) return false;
        value = value * 10 + digit;
    }
    return true;
}

// The root folder as a path prefix that ends in '/'.
inline std::string withTrailingSlash(const QString& root) {
    std::string s = QFile::encodeName(root.isEmpty() ? QStringLiteral("/") : root).toStdString();
    if (s.back() != '/') s += '/';
    return s;
}

}  // namespace lt::procfs
