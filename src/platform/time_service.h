#pragma once
// What the time-server client needs of the system: a TCP connection and a way to set
// the PC clock.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>

namespace lt {

class TimeSocket {
  public:
    struct Events {
        std::function<void()> connected;
        std::function<void(const QByteArray&)> dataArrived;  // the bytes that came in
        std::function<void()> closed;                        // closed by the server
        std::function<void(const QString&)> error;           // refused, no such host, ...
    };
    virtual ~TimeSocket() = default;
    virtual void setEvents(Events events) = 0;
    virtual void connectTo(const QString& host, quint16 port) = 0;
    // Closes without raising `closed`; nothing happens when nothing is open.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

class SystemClockSetter {
  public:
    virtual ~SystemClockSetter() = default;
    // Sets the PC clock to this UTC instant; false with the reason when the system
    // refuses (no privilege, automatic time synchronisation on, no service).
    virtual bool setUtc(const QDateTime& utc, QString* error) = 0;
};

}  // namespace lt
