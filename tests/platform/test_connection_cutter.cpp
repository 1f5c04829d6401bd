#include "platform/linux/linux_connection_cutter.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <memory>
#include <vector>

#include "support/private_bus.h"
#include "support/test_support.h"

namespace lt {
namespace {

const QString kNm = QStringLiteral("org.freedesktop.NetworkManager");
const QString kNmPath = QStringLiteral("/org/freedesktop/NetworkManager");

QString activePath(int n) {
    return kNmPath + QStringLiteral("/ActiveConnection/") + QString::number(n);
}
QString ip4Path(int n) {
    return kNmPath + QStringLiteral("/IP4Config/") + QString::number(n);
}

QString devicePath(int n) {
    return kNmPath + QStringLiteral("/Devices/") + QString::number(n);
}

class FakeActiveConnection : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.NetworkManager.Connection.Active")
    Q_PROPERTY(bool Default MEMBER isDefault)
    Q_PROPERTY(bool Default6 MEMBER isDefault6)
    Q_PROPERTY(bool Vpn MEMBER vpn)
    Q_PROPERTY(QDBusObjectPath Ip4Config MEMBER ip4Config)
    Q_PROPERTY(QList<QDBusObjectPath> Devices MEMBER devices)

  public:
    bool isDefault = false, isDefault6 = false, vpn = false;
    QDBusObjectPath ip4Config{QStringLiteral("/")};
    QList<QDBusObjectPath> devices;
    bool autoconnect = false;  // back on its own after a mere deactivation
};

// Like the real daemon, it brings an autoconnect link back after DeactivateConnection
// (on the next query), but not after its device was disconnected.
class FakeNetworkManager : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.NetworkManager")
    Q_PROPERTY(QList<QDBusObjectPath> ActiveConnections READ activeConnections)

  public:
    QList<QDBusObjectPath> active;
    QStringList refused;
    QHash<QString, const FakeActiveConnection*> connections;  // by path, set at start
    // The connections deactivated and the devices disconnected, in order.
    QStringList ended() const {
        QMutexLocker lock(&mutex_);
        return ended_;
    }
    QList<QDBusObjectPath> activeConnections() {
        QMutexLocker lock(&mutex_);
        active += comingBack_;
        comingBack_.clear();
        return active;
    }
    bool disconnectDevice(const QDBusObjectPath& device) {
        QMutexLocker lock(&mutex_);
        const auto carried = active.removeIf([&](const QDBusObjectPath& connection) {
            const FakeActiveConnection* c = connections.value(connection.path());
            return c && c->devices.contains(device);
        });
        if (carried > 0) ended_.append(device.path());
        return carried > 0;
    }

  public slots:
    void DeactivateConnection(const QDBusObjectPath& connection) {
        QMutexLocker lock(&mutex_);
        if (refused.contains(connection.path()) || !active.removeOne(connection)) {
            sendErrorReply(QDBusError::AccessDenied,
                           QStringLiteral("Not authorized or not active"));
            return;
        }
        ended_.append(connection.path());
        const FakeActiveConnection* c = connections.value(connection.path());
        if (c && c->autoconnect) comingBack_.append(connection);
    }

  private:
    mutable QMutex mutex_;
    QStringList ended_;
    QList<QDBusObjectPath> comingBack_;
};

class FakeDevice : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.NetworkManager.Device")

  public:
    FakeNetworkManager* nm = nullptr;
    QDBusObjectPath path;
    bool refuses = false;  // the user may not disconnect it

  public slots:
    void Disconnect() {
        if (refuses || !nm->disconnectDevice(path))
            sendErrorReply(QDBusError::AccessDenied,
                           QStringLiteral("Not authorized or not active"));
    }
};

class FakeIp4Config : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.NetworkManager.IP4Config")
    Q_PROPERTY(QString Gateway MEMBER gateway)

  public:
    QString gateway;
};

class ConnectionCutterTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::coreApplication(); }

    void SetUp() override {
        address_ = test::startPrivateBus(daemon_);
        if (address_.isEmpty()) GTEST_SKIP() << "no private bus: dbus-daemon is not installed";
        service_ = QDBusConnection::connectToBus(address_, QStringLiteral("nm-stand-in"));
        ASSERT_TRUE(service_.isConnected()) << "the private bus did not start";
        serviceThread_.start();
    }

    void TearDown() override {
        QDBusConnection::disconnectFromBus(QStringLiteral("nm-stand-in"));
        QDBusConnection::disconnectFromBus(QStringLiteral("cutter"));
        serviceThread_.quit();
        serviceThread_.wait();
        objects_.clear();
        for (QProcess* p : {&daemon_, &child_}) {
            p->kill();
            p->waitForFinished(5000);
        }
    }

    template <typename T>
    T* serve(const QString& path) {
        objects_.push_back({path, std::make_unique<T>()});
        return static_cast<T*>(objects_.back().second.get());
    }
    // The stand-in answers on its own thread: the cutter blocks the test's thread while
    // it waits for the replies.
    void startNetworkManager() {
        FakeNetworkManager* nm = nullptr;
        for (const auto& [path, object] : objects_)
            if (auto* found = qobject_cast<FakeNetworkManager*>(object.get())) nm = found;
        for (const auto& [path, object] : objects_) {
            if (auto* c = qobject_cast<FakeActiveConnection*>(object.get()))
                nm->connections.insert(path, c);
            if (auto* device = qobject_cast<FakeDevice*>(object.get())) {
                device->nm = nm;
                device->path = QDBusObjectPath(path);
            }
            object->moveToThread(&serviceThread_);
            ASSERT_TRUE(service_.registerObject(
                path, object.get(),
                QDBusConnection::ExportAllProperties | QDBusConnection::ExportAllSlots));
        }
        ASSERT_TRUE(service_.registerService(kNm));
    }

    LinuxConnectionCutter cutter(const QString& root = QStringLiteral("/nonexistent")) {
        return LinuxConnectionCutter(LazyBus([this] {
                                         ++busesOpened_;
                                         return QDBusConnection::connectToBus(
                                             address_, QStringLiteral("cutter"));
                                     }),
                                     root);
    }
    int busesOpened_ = 0;

    QProcess daemon_, child_;
    QString address_;
    QDBusConnection service_{QString()};
    QThread serviceThread_;
    std::vector<std::pair<QString, std::unique_ptr<QObject>>> objects_;
};

TEST_F(ConnectionCutterTest, NetworkManagerEndsEveryLinkThatCouldTakeOverVpnFirst) {
    auto* nm = serve<FakeNetworkManager>(kNmPath);
    auto* cable = serve<FakeActiveConnection>(activePath(1));  // under the VPN
    auto* vpn = serve<FakeActiveConnection>(activePath(2));
    auto* wifi = serve<FakeActiveConnection>(activePath(3));  // IPv6 default only
    auto* loopback = serve<FakeActiveConnection>(activePath(4));
    auto* cableIp = serve<FakeIp4Config>(ip4Path(1));
    serve<FakeIp4Config>(ip4Path(4));
    cable->ip4Config = QDBusObjectPath(ip4Path(1));
    cableIp->gateway = QStringLiteral("192.168.1.1");
    vpn->isDefault = vpn->vpn = true;
    wifi->isDefault6 = true;
    loopback->ip4Config = QDBusObjectPath(ip4Path(4));
    auto* shared = serve<FakeActiveConnection>(activePath(6));  // the user may not end it
    shared->isDefault6 = true;
    nm->refused = {activePath(6)};
    serve<FakeActiveConnection>(activePath(7));  // no route, no gateway: left alone
    for (int n = 1; n <= 7; ++n) nm->active.append(QDBusObjectPath(activePath(n)));  // 5: gone
    startNetworkManager();

    LinuxConnectionCutter made = cutter();
    EXPECT_EQ(busesOpened_, 0);  // the program starts without waiting on the bus
    EXPECT_EQ(made.hangUp(), 3);
    EXPECT_EQ(nm->ended(), (QStringList{activePath(2), activePath(1), activePath(3)}));
    EXPECT_EQ(busesOpened_, 1);
}

TEST_F(ConnectionCutterTest, ADisconnectedLinkStaysDownVpnFirst) {
    auto* nm = serve<FakeNetworkManager>(kNmPath);
    auto* cable = serve<FakeActiveConnection>(activePath(1));
    auto* vpn = serve<FakeActiveConnection>(activePath(2));
    auto* cableIp = serve<FakeIp4Config>(ip4Path(1));
    serve<FakeDevice>(devicePath(1));
    cable->ip4Config = QDBusObjectPath(ip4Path(1));
    cableIp->gateway = QStringLiteral("192.168.1.1");
    cable->devices = {QDBusObjectPath(devicePath(1))};
    cable->autoconnect = true;
    vpn->isDefault = vpn->vpn = true;
    vpn->devices = cable->devices;  // its device is the cable's: deactivated, not disconnected
    nm->active = {QDBusObjectPath(activePath(1)), QDBusObjectPath(activePath(2))};
    startNetworkManager();

    EXPECT_EQ(cutter().hangUp(), 2);
    EXPECT_EQ(nm->ended(), (QStringList{activePath(2), devicePath(1)}));
    EXPECT_EQ(cutter().hangUp(), 0);
    EXPECT_EQ(nm->ended().size(), 2);
}

TEST_F(ConnectionCutterTest, ARefusedDisconnectFallsBackToDeactivation) {
    auto* nm = serve<FakeNetworkManager>(kNmPath);
    auto* wifi = serve<FakeActiveConnection>(activePath(3));
    serve<FakeDevice>(devicePath(3))->refuses = true;
    wifi->isDefault = wifi->autoconnect = true;
    wifi->devices = {QDBusObjectPath(devicePath(3))};
    nm->active = {QDBusObjectPath(activePath(3))};
    startNetworkManager();

    EXPECT_EQ(cutter().hangUp(), 1);
    EXPECT_EQ(nm->ended(), QStringList{activePath(3)});
    // Deactivated only, it comes back, and the next cut ends it again.
    EXPECT_EQ(cutter().hangUp(), 1);
    EXPECT_EQ(nm->ended(), (QStringList{activePath(3), activePath(3)}));
}

class FakeRoot {
  public:
    explicit FakeRoot(bool realProc = false) {
        QDir(path()).mkpath(QStringLiteral("run"));
        if (realProc) QFile::link(QStringLiteral("/proc"), path() + QStringLiteral("/proc"));
    }
    QString path() const { return dir_.path(); }
    void pidFile(const QString& name, const QByteArray& content) {
        test::writeFile(path() + QStringLiteral("/run/") + name, content);
    }
    void comm(qint64 pid, const QByteArray& name) {
        const QString dir = QStringLiteral("proc/%1").arg(pid);
        QDir(path()).mkpath(dir);
        test::writeFile(path() + '/' + dir + QStringLiteral("/comm"), name + '\n');
    }

  private:
    QTemporaryDir dir_;
};

TEST_F(ConnectionCutterTest, OnlyARealPppdIsStoppedAndOnlyWhenNetworkManagerEndsNothing) {
    // Reports each SIGTERM and lives on, so that a signal sent twice would show.
    child_.start("sh",
                 {"-c", "trap 'echo stopped' TERM; echo ready; while :; do sleep 0.05; done"});
    ASSERT_TRUE(child_.waitForReadyRead(5000));
    ASSERT_EQ(child_.readLine(), "ready\n");
    const QByteArray daemon = QByteArray::number(child_.processId());

    // Pid files gone stale, read against this machine's real process table.
    FakeRoot stale(true);
    stale.pidFile("ppp0.pid", daemon + '\n');
    stale.pidFile("ppp-isp.pid", "1\nppp0\n");
    int n = 10;
    for (const char* junk : {"0", "-1", "", "pppd", "99999999999999"})
        stale.pidFile(QStringLiteral("ppp%1.pid").arg(n++), junk);
    EXPECT_EQ(cutter(stale.path()).hangUp(), 0);
    EXPECT_EQ(child_.state(), QProcess::Running);

    // The same process, now claiming to be pppd, under two pid files: one signal.
    FakeRoot dialled;
    dialled.comm(child_.processId(), "pppd");
    dialled.pidFile("ppp0.pid", daemon + '\n');
    dialled.pidFile("ppp-isp.pid", daemon + "\nppp0\n");
    EXPECT_EQ(cutter(dialled.path()).hangUp(), 1);
    ASSERT_TRUE(child_.waitForReadyRead(5000));
    EXPECT_EQ(child_.readLine(), "stopped\n");
    EXPECT_EQ(cutter(QStringLiteral("/nonexistent")).hangUp(), 0);

    // NetworkManager runs but has nothing to end: pppd is still stopped.
    auto* nm = serve<FakeNetworkManager>(kNmPath);
    serve<FakeActiveConnection>(activePath(1));
    nm->active = {QDBusObjectPath(activePath(1))};
    startNetworkManager();
    EXPECT_EQ(cutter(dialled.path()).hangUp(), 1);
    EXPECT_TRUE(nm->ended().isEmpty());
    ASSERT_TRUE(child_.waitForReadyRead(5000));
    EXPECT_EQ(child_.readLine(), "stopped\n");
}

}  // namespace
}  // namespace lt

#include "test_connection_cutter.moc"
