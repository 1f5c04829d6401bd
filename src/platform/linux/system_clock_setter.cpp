#include "platform/linux/system_clock_setter.h"

#include <time.h>

#include <QDBusMessage>
#include <cerrno>
#include <cstring>
#include <utility>

namespace lt {

namespace {

// timedated answers at once unless polkit asks someone; with interactive off it does not.
constexpr int kTimeoutMs = 5000;

void report(QString* error, const QString& text) {
    if (error) *error = text;
}

}  // namespace

LinuxClockSetter::LinuxClockSetter(LazyBus bus, bool direct)
    : bus_(std::move(bus)), direct_(direct) {}

bool LinuxClockSetter::setUtc(const QDateTime& utc, QString* error) {
    if (!utc.isValid()) {
        report(error, QStringLiteral("invalid time"));
        return false;
    }
    const qint64 msecs = utc.toMSecsSinceEpoch();
    if (msecs < 0) {
        report(error, QStringLiteral("time before 1970"));
        return false;
    }
    if (direct_) {
        timespec ts{};
        ts.tv_sec = static_cast<time_t>(msecs / 1000);
        ts.tv_nsec = static_cast<long>(msecs % 1000) * 1000000L;
        if (clock_settime(CLOCK_REALTIME, &ts) == 0) return true;
        const int err = errno;
        // Only a missing privilege is worth the detour; anything else timedated would
        // refuse as well.
        if (err != EPERM) {
            report(error, QString::fromLocal8Bit(std::strerror(err)));
            return false;
        }
    }
    return setThroughTimedated(msecs * 1000, error);
}

bool LinuxClockSetter::setThroughTimedated(qint64 usecUtc, QString* error) {
    if (!bus_.get().isConnected()) {
        report(error, QStringLiteral("no system bus"));
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("/org/freedesktop/timedate1"),
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("SetTime"));
    call << QVariant::fromValue(usecUtc) << false << false;  // absolute, not interactive
    const QDBusMessage reply = bus_.get().call(call, QDBus::Block, kTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage) return true;
    // An error reply carries timedated's reason, e.g. automatic synchronisation is on,
    // or that no timedated is installed at all.
    report(error, reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage());
    return false;
}

}  // namespace lt
