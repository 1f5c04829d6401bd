#include "platform/linux/single_instance.h"

#include <QCryptographicHash>
#include <QLocalSocket>

namespace lt {

SingleInstance::SingleInstance(const QString& lockPath, QObject* parent)
    : QObject(parent), lockPath_(lockPath), lock_(lockPath) {
    // A copy that crashed leaves a stale lock; QLockFile takes it over once its owner
    // process is gone.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
}

QString SingleInstance::serverName() const {
    const QByteArray hash =
        QCryptographicHash::hash(lockPath_.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("linktally-") + QString::fromLatin1(hash);
}

bool SingleInstance::acquire() {
    if (!lock_.tryLock(100)) {
        QLocalSocket socket;
        socket.connectToServer(serverName());
        if (socket.waitForConnected(1000)) {
            socket.write("show\n");
            socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
        }
        return false;
    }
    server_ = std::make_unique<QLocalServer>();
    QLocalServer::removeServer(serverName());
    server_->listen(serverName());
    connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = server_->nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            if (onActivate_) onActivate_();
        }
    });
    return true;
}

}  // namespace lt
