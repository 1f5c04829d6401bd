#pragma once
// The time-server connection on a QTcpSocket; its events arrive on the thread that
// owns the socket, so the client runs on the user-interface thread.
#include <QObject>
#include <QTcpSocket>

#include "platform/time_service.h"

namespace lt {

class QtTimeSocket final : public QObject, public TimeSocket {
    Q_OBJECT

  public:
    explicit QtTimeSocket(QObject* parent = nullptr);

    void setEvents(Events events) override;
    void connectTo(const QString& host, quint16 port) override;
    void close() override;
    bool isOpen() const override;

  private:
    void onReadyRead();
    void onDisconnected();
    void onError(QAbstractSocket::SocketError error);

    QTcpSocket socket_;
    Events events_;
    bool closing_ = false;  // our own close(): no `closed` for it
};

}  // namespace lt
