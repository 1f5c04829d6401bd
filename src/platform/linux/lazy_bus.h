#pragma once
// A bus connection made when it is first used. Connecting holds the caller up for a
// millisecond or more, and most runs never cut a line or set the clock.
#include <QDBusConnection>
#include <functional>
#include <utility>

namespace lt {

class LazyBus {
  public:
    // e.g. &QDBusConnection::systemBus
    explicit LazyBus(std::function<QDBusConnection()> open) : open_(std::move(open)) {}
    // A connection made already, e.g. to a private bus.
    LazyBus(QDBusConnection bus) : bus_(std::move(bus)) {}  // implicit: a connection is one

    QDBusConnection& get() {
        if (open_) bus_ = std::exchange(open_, nullptr)();
        return bus_;
    }

  private:
    std::function<QDBusConnection()> open_;
    QDBusConnection bus_{QString()};  // not connected
};

}  // namespace lt
