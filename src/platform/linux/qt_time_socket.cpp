#include "platform/linux/qt_time_socket.h"

#include <utility>

namespace lt {

QtTimeSocket::QtTimeSocket(QObject* parent) : QObject(parent) {
    connect(&socket_, &QTcpSocket::connected, this, [this] {
        if (events_.connected) events_.connected();
    });
    connect(&socket_, &QTcpSocket::readyRead, this, &QtTimeSocket::onReadyRead);
    connect(&socket_, &QTcpSocket::disconnected, this, &QtTimeSocket::onDisconnected);
    connect(&socket_, &QTcpSocket::errorOccurred, this, &QtTimeSocket::onError);
}

void QtTimeSocket::setEvents(Events events) {
    events_ = std::move(events);
}

void QtTimeSocket::connectTo(const QString& host, quint16 port) {
    close();
    // Read-only: the protocol has the client send nothing.
    socket_.connectToHost(host, port, QIODevice::ReadOnly);
}

void QtTimeSocket::close() {
    if (socket_.state() == QAbstractSocket::UnconnectedState) return;
    closing_ = true;
    socket_.abort();
    closing_ = false;
}

bool QtTimeSocket::isOpen() const {
    return socket_.state() != QAbstractSocket::UnconnectedState;
}

void QtTimeSocket::onReadyRead() {
    const QByteArray bytes = socket_.readAll();
    if (!bytes.isEmpty() && events_.dataArrived) events_.dataArrived(bytes);
}

void QtTimeSocket::onDisconnected() {
    if (closing_) return;
    // Whatever came with the server's close is still waiting to be read.
    onReadyRead();
    if (events_.closed) events_.closed();
}

void QtTimeSocket::onError(QAbstractSocket::SocketError error) {
    // The server closing is how the reply ends, not a fault; `disconnected` reports it.
    if (closing_ || error == QAbstractSocket::RemoteHostClosedError) return;
    if (events_.error) events_.error(socket_.errorString());
}

}  // namespace lt
