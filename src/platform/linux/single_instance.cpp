#include "platform/linux/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QFile>
#include <QLocalSocket>
#include <QSysInfo>
#include <cerrno>
#include <cstring>

namespace lt {

SingleInstance::SingleInstance(const QString& lockPath, QObject* parent)
    : QObject(parent), lockPath_(lockPath) {}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
    // Closing lets the lock go; the file stays, and means nothing without its lock.
    if (fd_ >= 0) ::close(fd_);
}

QString SingleInstance::serverName() const {
    const QByteArray hash =
        QCryptographicHash::hash(lockPath_.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("linktally-") + QString::fromLatin1(hash);
}

bool SingleInstance::askRunningCopy() const {
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(1000)) return false;
    socket.write("show\n");
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return true;
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
    server_ = std::make_unique<QLocalServer>();
    QLocalServer::removeServer(serverName());
    server_->listen(serverName());
    connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = server_->nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            if (onActivate_) onActivate_();
        }
    });
}

}  // namespace lt
