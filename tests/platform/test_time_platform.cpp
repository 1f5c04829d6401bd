// The time server's socket against a loopback server, and the clock setter's
// timedated path on a private bus: nothing reaches a real server or moves this clock.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <atomic>

#include "platform/linux/system_clock_setter.h"
#include "platform/linux/tcp_time_socket.h"
#include "support/private_bus.h"
#include "support/test_support.h"

namespace lt {
namespace {

QDateTime utc(int y, int mo, int d, int h, int mi, int s) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

// ---- The socket on loopback -------------------------------------------------------

struct Loopback : ::testing::Test {
    static void SetUpTestSuite() { test::coreApplication(); }
    void SetUp() override {
        socket.setEvents({[this] { log << "connected"; },
                          [this](const QByteArray& b) { data += b; }, [this] { log << "closed"; },
                          [this](const QString&) { log << "error"; }});
    }
    bool waitFor(const QString& event) {
        const QDeadlineTimer deadline(5000);
        while (!log.contains(event) && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        return log.contains(event);
    }
    TcpTimeSocket socket;
    QStringList log;
    QByteArray data;
};

TEST_F(Loopback, ReplyCloseOurOwnSilentCloseAndRefusal) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    bool answer = true;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket* peer = server.nextPendingConnection();
        if (!answer) return;
        peer->write(QByteArray("\xC8\x9F\x6E\x00", 4));
        peer->disconnectFromHost();
    });
    socket.connectTo(QStringLiteral("127.0.0.1"), server.serverPort());
    ASSERT_TRUE(waitFor(QStringLiteral("closed")));
    EXPECT_EQ(log, (QStringList{"connected", "closed"}));
    EXPECT_EQ(data, QByteArray("\xC8\x9F\x6E\x00", 4));
    EXPECT_FALSE(socket.isOpen());

    answer = false;
    log.clear();
    socket.connectTo(QStringLiteral("127.0.0.1"), server.serverPort());
    ASSERT_TRUE(waitFor(QStringLiteral("connected")));
    EXPECT_TRUE(socket.isOpen());
    socket.close();
    EXPECT_FALSE(socket.isOpen());
    QCoreApplication::processEvents();
    EXPECT_EQ(log, QStringList{"connected"});

    // A refused port is an error, not a close.
    const quint16 port = server.serverPort();
    server.close();
    log.clear();
    socket.connectTo(QStringLiteral("127.0.0.1"), port);
    ASSERT_TRUE(waitFor(QStringLiteral("error")));
    EXPECT_EQ(log, QStringList{"error"});
    EXPECT_FALSE(socket.isOpen());
}

// ---- The clock setter's timedated path -------------------------------------------------

class FakeTimedated : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.timedate1")

  public:
    std::atomic<bool> automatic{false};
    std::atomic<qlonglong> usec{0};

  public slots:
    void SetTime(qlonglong usecUtc, bool relative, bool interactive) {
        if (automatic || relative || interactive) {
            sendErrorReply(QStringLiteral("org.freedesktop.timedate1.AutomaticTimeSyncEnabled"),
                           QStringLiteral("Automatic time synchronization is enabled"));
            return;
        }
        usec = usecUtc;
    }
};

TEST_F(Loopback, ClockSetterAsksTimedatedAndReportsItsRefusal) {
    QProcess daemon;
    const QString address = test::startPrivateBus(daemon);
    if (address.isEmpty()) GTEST_SKIP() << "no private bus: dbus-daemon is not installed";
    QThread thread;
    {
        QDBusConnection service = QDBusConnection::connectToBus(address, "timedated");
        QDBusConnection user = QDBusConnection::connectToBus(address, "setter");
        // Never the direct path: that would move this machine's clock.
        LinuxClockSetter setter(user, false);
        QString error;
        const QDateTime at = utc(2006, 8, 30, 1, 53, 4);
        EXPECT_FALSE(setter.setUtc(at, &error));  // nobody serves timedate1
        EXPECT_FALSE(error.isEmpty());

        FakeTimedated timedated;
        timedated.moveToThread(&thread);
        thread.start();
        ASSERT_TRUE(service.registerObject("/org/freedesktop/timedate1", &timedated,
                                           QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(service.registerService("org.freedesktop.timedate1"));
        error.clear();
        EXPECT_TRUE(setter.setUtc(at, &error)) << error.toStdString();
        EXPECT_EQ(timedated.usec.load(), at.toMSecsSinceEpoch() * 1000);

        timedated.automatic = true;
        EXPECT_FALSE(setter.setUtc(at, &error));
        EXPECT_EQ(error, QStringLiteral("Automatic time synchronization is enabled"));
        QDBusConnection::disconnectFromBus("timedated");
        QDBusConnection::disconnectFromBus("setter");
        thread.quit();
        thread.wait();
    }
    daemon.kill();
    daemon.waitForFinished(5000);
}

}  // namespace
}  // namespace lt

#include "test_time_platform.moc"
