#pragma once
// The time-server connection on a plain non-blocking TCP socket, watched by the event
// loop of the thread that owns it, so the client runs on the user-interface thread.
// The host name is looked up on a thread of its own: the lookup may take seconds.
#include <QObject>
#include <QSocketNotifier>
#include <memory>
#include <vector>

#include "platform/time_service.h"

struct sockaddr_storage;

namespace lt {

class TcpTimeSocket final : public QObject, public TimeSocket {
    Q_OBJECT

  public:
    explicit TcpTimeSocket(QObject* parent = nullptr);
    ~TcpTimeSocket() override;

    void setEvents(Events events) override;
    void connectTo(const QString& host, quint16 port) override;
    void close() override;
    bool isOpen() const override;

    struct Lookup;  // shared with the lookup's thread

  private:
    void looked();
    void tryNextAddress();
    void connectDone();
    void readable();
    void fail(const QString& why);

    Events events_;
    std::shared_ptr<Lookup> lookup_;
    std::unique_ptr<QSocketNotifier> lookupDone_;
    std::vector<std::vector<char>> addresses_;  // what the lookup found, to try in turn
    QString lastError_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> writable_, readable_;
};

}  // namespace lt
