#include "platform/linux/tcp_time_socket.h"

#include <fcntl.h>
#include <netdb.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>

namespace lt {

// What one lookup found. The thread that looks up holds it too: a socket closed or gone
// meanwhile leaves the answer to nobody, and the last holder closes the event.
struct TcpTimeSocket::Lookup {
    std::mutex mutex;
    std::vector<std::vector<char>> addresses;
    QString error;
    int done = -1;  // an eventfd: written when the answer is there

    Lookup() : done(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~Lookup() {
        if (done >= 0) ::close(done);
    }
};

namespace {

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

void lookUp(const std::shared_ptr<TcpTimeSocket::Lookup>& lookup, const QByteArray& host,
            const QByteArray& port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(host.constData(), port.constData(), &hints, &found);
    {
        const std::lock_guard lock(lookup->mutex);
        if (rc != 0) lookup->error = QString::fromLocal8Bit(::gai_strerror(rc));
        for (const addrinfo* a = found; a; a = a->ai_next) {
            const auto* bytes = reinterpret_cast<const char*>(a->ai_addr);
            lookup->addresses.emplace_back(bytes, bytes + a->ai_addrlen);
        }
    }
    if (found) ::freeaddrinfo(found);
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto n = ::write(lookup->done, &one, sizeof one);
}

}  // namespace

TcpTimeSocket::TcpTimeSocket(QObject* parent) : QObject(parent) {}

TcpTimeSocket::~TcpTimeSocket() {
    close();
}

void TcpTimeSocket::setEvents(Events events) {
    events_ = std::move(events);
}

void TcpTimeSocket::connectTo(const QString& host, quint16 port) {
    close();
    lookup_ = std::make_shared<Lookup>();
    if (lookup_->done < 0) return fail(systemError(errno));
    lookupDone_ = std::make_unique<QSocketNotifier>(lookup_->done, QSocketNotifier::Read);
    connect(lookupDone_.get(), &QSocketNotifier::activated, this, &TcpTimeSocket::looked);
    std::thread(lookUp, lookup_, host.toUtf8(), QByteArray::number(port)).detach();
}

void TcpTimeSocket::looked() {
    {
        const std::lock_guard lock(lookup_->mutex);
        addresses_ = std::move(lookup_->addresses);
        lastError_ = lookup_->error;
    }
    lookupDone_.reset();
    lookup_.reset();
    tryNextAddress();
}

void TcpTimeSocket::tryNextAddress() {
    writable_.reset();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    while (!addresses_.empty()) {
        const std::vector<char> address = std::move(addresses_.front());
        addresses_.erase(addresses_.begin());
        const auto* sa = reinterpret_cast<const sockaddr*>(address.data());
        fd_ = ::socket(sa->sa_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd_ < 0) {
            lastError_ = systemError(errno);
            continue;
        }
        if (::connect(fd_, sa, static_cast<socklen_t>(address.size())) == 0 ||
            errno == EINPROGRESS) {
            writable_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Write);
            connect(writable_.get(), &QSocketNotifier::activated, this,
                    &TcpTimeSocket::connectDone);
            return;
        }
        lastError_ = systemError(errno);
        ::close(fd_);
        fd_ = -1;
    }
    fail(lastError_.isEmpty() ? systemError(EHOSTUNREACH) : lastError_);
}

void TcpTimeSocket::connectDone() {
    int code = 0;
    socklen_t size = sizeof code;
    if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &code, &size) != 0) code = errno;
    if (code != 0) {
        lastError_ = systemError(code);
        return tryNextAddress();
    }
    writable_.reset();
    addresses_.clear();
    // The protocol has the client send nothing: only the reply is read.
    readable_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(readable_.get(), &QSocketNotifier::activated, this, &TcpTimeSocket::readable);
    if (events_.connected) events_.connected();
}

void TcpTimeSocket::readable() {
    QByteArray bytes;
    char buffer[512];
    for (;;) {
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n > 0) {
            bytes.append(buffer, n);
            continue;
        }
        const int code = n < 0 ? errno : 0;
        if (code == EAGAIN || code == EWOULDBLOCK) break;
        if (code == EINTR) continue;
        // The server closing is how the reply ends, reset or not; what came with it is
        // handed on first.
        const Events events = events_;
        close();
        if (!bytes.isEmpty() && events.dataArrived) events.dataArrived(bytes);
        if ((code == 0 || code == ECONNRESET) && events.closed) events.closed();
        if (code != 0 && code != ECONNRESET && events.error) events.error(systemError(code));
        return;
    }
    if (!bytes.isEmpty() && events_.dataArrived) events_.dataArrived(bytes);
}

void TcpTimeSocket::fail(const QString& why) {
    close();
    if (events_.error) events_.error(why);
}

void TcpTimeSocket::close() {
    lookupDone_.reset();
    lookup_.reset();  // a lookup still running answers nobody
    writable_.reset();
    readable_.reset();
    addresses_.clear();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool TcpTimeSocket::isOpen() const {
    return lookup_ != nullptr || fd_ >= 0;
}

}  // namespace lt
