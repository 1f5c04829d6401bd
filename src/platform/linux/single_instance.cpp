#include "platform/linux/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <cerrno>
#include <cstring>

namespace lt {

SingleInstance::SingleInstance(const QString& lockPath, QObject* parent)
    : QObject(parent), lockPath_(lockPath) {}

namespace {

// A Unix socket's address, or none when the path is too long for one.
bool socketAddress(const QString& path, sockaddr_un& address) {
    const QByteArray bytes = QFile::encodeName(path);
    address = {};
    address.sun_family = AF_UNIX;
    if (static_cast<size_t>(bytes.size()) >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, bytes.constData(), static_cast<size_t>(bytes.size()));
    return true;
}

}  // namespace

SingleInstance::~SingleInstance() {
    calls_.reset();
    if (server_ >= 0) {
        ::close(server_);
        ::unlink(QFile::encodeName(socketPath()).constData());
    }
    // Closing lets the lock go; the file stays, and means nothing without its lock.
    if (fd_ >= 0) ::close(fd_);
}

QString SingleInstance::socketPath() const {
    // Where earlier versions listened too, so that either asks the other to show.
    const QByteArray hash =
        QCryptographicHash::hash(lockPath_.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QDir::tempPath() + QStringLiteral("/linktally-") + QString::fromLatin1(hash);
}

bool SingleInstance::askRunningCopy() const {
    sockaddr_un address;
    if (!socketAddress(socketPath(), address)) return false;
    // Never waits: a copy too busy to take the call is asked again, or left running.
    const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (s < 0) return false;
    const bool reached =
        ::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (reached) {
        // The running copy may close first: no SIGPIPE for that.
        [[maybe_unused]] const auto n = ::send(s, "show\n", 5, MSG_NOSIGNAL);
    }
    ::close(s);
    return reached;
}

SingleInstance::Result SingleInstance::acquire() {
    if (askRunningCopy()) return Result::AnotherRuns;
    // The kernel lets the lock go with the process that held it, so a file that is
    // empty, unreadable, left by a copy that crashed or written on another PC (a folder
    // on a USB stick) holds nobody back.
    fd_ = ::open(QFile::encodeName(lockPath_).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        error_ = QStringLiteral("cannot make %1: %2")
                     .arg(lockPath_, QString::fromLocal8Bit(std::strerror(errno)));
        listen();
        return Result::RunsUnguarded;
    }
    const int failure = ::flock(fd_, LOCK_EX | LOCK_NB) == 0 ? 0 : errno;
    if (failure != 0 && failure != EWOULDBLOCK) {
        // A file system without locks: run, as a copy that cannot tell.
        error_ = QStringLiteral("cannot lock %1: %2")
                     .arg(lockPath_, QString::fromLocal8Bit(std::strerror(failure)));
        listen();
        return Result::RunsUnguarded;
    }
    if (failure == EWOULDBLOCK) {
        // Another copy holds it and is still starting: it answers once it has loaded.
        for (int i = 0; i < 5; ++i)
            if (askRunningCopy()) return Result::AnotherRuns;
        ::close(fd_);
        fd_ = -1;
        return Result::AnotherRuns;
    }
    // For people who look: who holds the lock. Not read by the program.
    const QByteArray who =
        QByteArray::number(::getpid()) + '\n' + QSysInfo::machineHostName().toUtf8() + '\n';
    if (::ftruncate(fd_, 0) == 0) {
        [[maybe_unused]] const auto n = ::pwrite(fd_, who.constData(), who.size(), 0);
    }
    listen();
    return Result::Runs;
}

void SingleInstance::listen() {
    sockaddr_un address;
    if (!socketAddress(socketPath(), address)) return;
    server_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (server_ < 0) return;
    // One left by a copy that crashed answers nobody.
    ::unlink(address.sun_path);
    if (::bind(server_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(server_, 8) != 0) {
        ::close(server_);
        server_ = -1;
        return;
    }
    calls_ = std::make_unique<QSocketNotifier>(server_, QSocketNotifier::Read);
    connect(calls_.get(), &QSocketNotifier::activated, this, &SingleInstance::answer);
}

void SingleInstance::answer() {
    // Each call is a request to show the window; what it says does not matter.
    for (int s; (s = ::accept4(server_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
        ::close(s);
        if (onActivate_) onActivate_();
    }
}

}  // namespace lt
