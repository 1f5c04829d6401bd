#include "platform/linux/linux_connection_cutter.h"

#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QStringList>
#include <cerrno>
#include <utility>

namespace lt {

namespace {

// Each call may wait this long; a hung daemon must not freeze the window for the
// default 25 s.
constexpr int kTimeoutMs = 2000;

const QString kNm = QStringLiteral("org.freedesktop.NetworkManager");
const QString kNmPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kActive = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
const QString kDevice = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

QString pathIn(const QVariant& value) {
    const QString path = value.value<QDBusObjectPath>().path();
    return path == QLatin1String("/") ? QString() : path;  // NetworkManager's "none"
}

QByteArray head(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(64) : QByteArray();
}

// pppd writes its pid on the first line; ppp-<linkname>.pid adds the interface after it.
pid_t pidIn(const QString& pidFile) {
    bool ok = false;
    const long pid = head(pidFile).split('\n').value(0).trimmed().toLong(&ok);
    return ok && pid > 1 && pid <= 0x3fffffff ? static_cast<pid_t>(pid) : -1;
}

}  // namespace

LinuxConnectionCutter::LinuxConnectionCutter(LazyBus bus, QString root)
    : bus_(std::move(bus)), root_(std::move(root)) {}

int LinuxConnectionCutter::hangUp() {
    // A pppd started by hand is none of NetworkManager's business, so it is still looked
    // for when NetworkManager had nothing to end.
    const int ended = networkManagerRuns() ? endDefaultRouteConnections() : 0;
    return ended > 0 ? ended : terminatePppd();
}

bool LinuxConnectionCutter::networkManagerRuns() {
    if (!bus_.get().isConnected()) return false;
    const QDBusMessage reply =
        call(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
             QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"), {kNm});
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().at(0).toBool();
}

int LinuxConnectionCutter::endDefaultRouteConnections() {
    const auto active = qdbus_cast<QList<QDBusObjectPath>>(
        property(kNmPath, kNm, QStringLiteral("ActiveConnections")));
    QStringList vpns;
    QList<std::pair<QString, QList<QDBusObjectPath>>> links;
    for (const QDBusObjectPath& connection : active) {
        const QDBusMessage reply =
            call(kNm, connection.path(), kProperties, QStringLiteral("GetAll"), {kActive});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) continue;
        const auto properties = qdbus_cast<QVariantMap>(reply.arguments().at(0));
        if (!hasDefaultRoute(properties)) continue;
        if (properties.value(QStringLiteral("Vpn")).toBool())
            vpns.append(connection.path());
        else
            links.append({connection.path(), qdbus_cast<QList<QDBusObjectPath>>(
                                                 properties.value(QStringLiteral("Devices")))});
    }
    // A VPN goes down with the link under it; ending it first lets both be counted.
    int ended = 0;
    for (const QString& vpn : vpns) ended += deactivate(vpn) ? 1 : 0;
    for (const auto& [connection, devices] : links) ended += endLink(connection, devices) ? 1 : 0;
    return ended;
}

// NetworkManager brings a merely deactivated connection back at once when it may connect
// on its own; a device the user disconnected stays down until the user connects it.
bool LinuxConnectionCutter::endLink(const QString& connection,
                                    const QList<QDBusObjectPath>& devices) {
    bool anyDown = false, allDown = !devices.isEmpty();
    for (const QDBusObjectPath& device : devices) {
        const bool down = call(kNm, device.path(), kDevice, QStringLiteral("Disconnect")).type() ==
                          QDBusMessage::ReplyMessage;
        anyDown = anyDown || down;
        allDown = allDown && down;
    }
    if (allDown) return true;
    return deactivate(connection) || anyDown;
}

bool LinuxConnectionCutter::deactivate(const QString& connection) {
    return call(kNm, kNmPath, kNm, QStringLiteral("DeactivateConnection"),
                {QVariant::fromValue(QDBusObjectPath(connection))})
               .type() == QDBusMessage::ReplyMessage;
}

// Default/Default6 mark only the single best connection per family. A second link with a
// gateway (Wi-Fi beside a cable, the link under a VPN) would take over the Internet the
// moment the best one ends, so it is ended too.
bool LinuxConnectionCutter::hasDefaultRoute(const QVariantMap& activeConnection) {
    if (activeConnection.value(QStringLiteral("Default")).toBool() ||
        activeConnection.value(QStringLiteral("Default6")).toBool())
        return true;
    const std::pair<const char*, const char*> configs[] = {
        {"Ip4Config", "org.freedesktop.NetworkManager.IP4Config"},
        {"Ip6Config", "org.freedesktop.NetworkManager.IP6Config"},
    };
    for (const auto& [key, interface] : configs) {
        const QString path = pathIn(activeConnection.value(QLatin1String(key)));
        if (!path.isEmpty() && !property(path, QLatin1String(interface), QStringLiteral("Gateway"))
                                    .toString()
                                    .isEmpty())
            return true;
    }
    return false;
}

int LinuxConnectionCutter::terminatePppd() {
    const QDir root(root_);
    const QDir run(root.filePath(QStringLiteral("run")));
    QSet<pid_t> signalled;  // ppp0.pid and ppp-<linkname>.pid name the same daemon
    int sentSignals = 0;
    for (const QString& name : run.entryList({QStringLiteral("ppp*.pid")}, QDir::Files)) {
        const pid_t pid = pidIn(run.filePath(name));
        if (pid < 0 || signalled.contains(pid)) continue;
        // A stale pid file may name any process by now: only a pppd is signalled, and
        // through a pidfd, so that the process checked is the process signalled.
        const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
        if (pidfd < 0 && errno != ENOSYS) continue;
        const QByteArray comm =
            head(root.filePath(QStringLiteral("proc/%1/comm").arg(pid))).trimmed();
        if (comm == "pppd") {
            const long sent = pidfd >= 0
                                  ? ::syscall(SYS_pidfd_send_signal, pidfd, SIGTERM, nullptr, 0)
                                  : ::kill(pid, SIGTERM);
            if (sent == 0) {
                signalled.insert(pid);
                ++sentSignals;
            }
        }
        if (pidfd >= 0) ::close(pidfd);
    }
    // Every signal sent counts: a daemon signalled twice would show here.
    return sentSignals;
}

QDBusMessage LinuxConnectionCutter::call(const QString& service, const QString& path,
                                         const QString& interface, const QString& method,
                                         const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    message.setAutoStartService(false);  // hanging up must not start NetworkManager
    return bus_.get().call(message, QDBus::Block, kTimeoutMs);
}

QVariant LinuxConnectionCutter::property(const QString& path, const QString& interface,
                                         const QString& name) {
    const QDBusMessage reply =
        call(kNm, path, kProperties, QStringLiteral("Get"), {interface, name});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    return reply.arguments().at(0).value<QDBusVariant>().variant();
}

}  // namespace lt
