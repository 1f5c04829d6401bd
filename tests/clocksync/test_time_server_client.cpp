// The time-server client in virtual time on a scripted socket, the Qt socket against a
// loopback server, and the clock setter's timedated path on a private bus.
#include "clocksync/time_server_client.h"

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
#include <vector>

#include "core/clock.h"
#include "core/virtual_loop.h"
#include "form/estado_monitor.h"
#include "form/main_form.h"
#include "platform/linux/qt_time_socket.h"
#include "platform/linux/system_clock_setter.h"
#include "support/test_support.h"

namespace lt {
namespace {

QDateTime utc(int y, int mo, int d, int h, int mi, int s) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

TEST(Evaluar, ReadsFourUnsignedBytesInEitherEra) {
    const auto at = [](const char* bytes, double connected) {
        return TimeServerClient::evaluar(QByteArray(bytes, 4), connected);
    };
    EXPECT_EQ(at("\xC8\x9F\x6E\x00", 0.4), utc(2006, 8, 30, 1, 53, 4));
    // The connection time is added and rounded half to even.
    EXPECT_EQ(at("\xC8\x9F\x6E\x00", 0.5), utc(2006, 8, 30, 1, 53, 4));
    EXPECT_EQ(at("\xC8\x9F\x6E\x00", 1.5), utc(2006, 8, 30, 1, 53, 6));
    EXPECT_EQ(at("\xC8\x9F\x6E\x20", 0), utc(2006, 8, 30, 1, 53, 36));  // a blank is a byte
    // After the 32-bit count wraps on 2036-02-07.
    EXPECT_EQ(at("\x00\x00\x00\x0A", 0), utc(2036, 2, 7, 6, 28, 26));
    EXPECT_EQ(at("\xFF\xFF\xFF\xFF", 0), utc(2036, 2, 7, 6, 28, 15));
}

struct Client : ::testing::Test {
    Client() {
        for (const char* s : {"Not servers....", "time.example.test", "other.example.test"})
            form.CbServidoresDeTiempo.addItem(QString::fromLatin1(s));
        form.CbServidoresDeTiempo.setListIndex(1);
        estado.Conectado = true;
        form.TiServerInternet.setHandler([this] { client.TiServerInternet_Timer(); });
        form.TiEsperaServidor.setHandler([this] { client.TiEsperaServidor_Timer(); });
        loop.add(form.TiServerInternet);
        loop.add(form.TiEsperaServidor);
        form.TiServerInternet.setEnabled(true);
    }
    // What the clock guard does: start a query now.
    void query() {
        estado.PasoServidorTiempo = 6;
        client.TiServerInternet_Timer();
    }
    void reply(const QByteArray& bytes) {
        socket.events.connected();
        clock.advanceMs(400);
        socket.events.dataArrived(bytes);
        socket.serverCloses();
    }
    QString label() const { return form.LbEstadoRelojServer_Estado.caption(); }

    FakeClock clock;
    MainForm form;
    VirtualLoop loop{clock};
    EstadoMonitor estado;
    test::FakeTimeSocket socket;
    test::FakeClockSetter setter;
    std::vector<double> steps;
    TimeServerClient client{form,   estado, clock,
                            socket, setter, [this](double s) { steps.push_back(s); }};
};

TEST_F(Client, AsksOnTicksOneSixThirteenTwentyAndNotOffLine) {
    std::vector<int> asked;
    for (int tick = 1; tick <= 21; ++tick) {
        const auto before = socket.hosts.size();
        loop.runFor(tick == 1 ? 1000 : 60000);
        if (socket.hosts.size() > before) asked.push_back(tick);
    }
    EXPECT_EQ(asked, (std::vector<int>{1, 6, 13, 20}));
    EXPECT_EQ(socket.hosts.first(), QStringLiteral("time.example.test:37"));
    EXPECT_EQ(form.TiServerInternet.interval(), 60000);

    // The session end calls the tick off line: nothing, but the next run asks at once.
    estado.Conectado = false;
    estado.PasoServidorTiempo = 6;
    client.TiServerInternet_Timer();
    loop.runFor(600000);
    EXPECT_EQ(socket.hosts.size(), 4);
    EXPECT_EQ(estado.PasoServidorTiempo, 6);
    estado.Conectado = true;
    loop.runFor(60000);
    EXPECT_EQ(socket.hosts.size(), 5);
}

TEST_F(Client, FourBytesSetTheClockAndReportTheStep) {
    const QDateTime server = utc(2006, 8, 30, 1, 53, 4);
    clock.setWall(oleFromDateTime(server.toLocalTime()) - 100 / kSecondsPerDay);
    loop.runFor(1000);
    ASSERT_EQ(socket.hosts.size(), 1);
    socket.events.connected();
    clock.advanceMs(400);
    socket.events.dataArrived(QByteArray("\xC8\x9F", 2));
    socket.events.dataArrived(QByteArray("\x6E\x00", 2));
    socket.serverCloses();

    EXPECT_EQ(setter.set, std::vector<QDateTime>{server});
    EXPECT_EQ(label(), QStringLiteral("PC Clock synchronised"));
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_NEAR(steps[0], 98.6, 0.01);  // 100 s behind, 1.4 s of it spent asking
    EXPECT_FALSE(form.TiEsperaServidor.enabled());
    // A late error from the finished query changes nothing.
    socket.events.error(QStringLiteral("reset"));
    EXPECT_EQ(label(), QStringLiteral("PC Clock synchronised"));
}

TEST_F(Client, AnythingButFourBytesLeavesTheClockAlone) {
    for (const QByteArray& bytes :
         {QByteArray("\xC8\x9F\x6E", 3), QByteArray("\xC8\x9F\x6E\x00\x00", 5), QByteArray(),
          QByteArray(100000, 'x')}) {
        form.LbEstadoRelojServer_Estado.setCaption(QString());
        query();
        reply(bytes);
        EXPECT_EQ(label(), QStringLiteral("Time Server unavailability")) << bytes.size();
    }
    EXPECT_TRUE(setter.set.empty());
    EXPECT_TRUE(steps.empty());
}

TEST_F(Client, SilentOrFailingServerIsAProblemWithTheServer) {
    query();
    socket.events.connected();
    loop.runFor(9999);
    EXPECT_EQ(label(), QString());
    EXPECT_TRUE(socket.open);
    loop.runFor(1);
    EXPECT_EQ(label(), QStringLiteral("PC Clock not synchronised. Problem with Server"));
    EXPECT_FALSE(socket.open);
    EXPECT_FALSE(form.TiEsperaServidor.enabled());
    // Bytes and a close that come after giving up are not used.
    socket.events.dataArrived(QByteArray("\xC8\x9F\x6E\x00", 4));
    socket.events.closed();
    EXPECT_TRUE(setter.set.empty());
    EXPECT_EQ(label(), QStringLiteral("PC Clock not synchronised. Problem with Server"));

    form.LbEstadoRelojServer_Estado.setCaption(QString());
    query();
    socket.events.error(QStringLiteral("Connection refused"));
    EXPECT_EQ(label(), QStringLiteral("PC Clock not synchronised. Problem with Server"));
    EXPECT_FALSE(form.TiEsperaServidor.enabled());

    // A new query closes a connection that is still open.
    query();
    const int closes = socket.closes;
    query();
    EXPECT_EQ(socket.closes, closes + 1);
}

TEST_F(Client, ARefusedSetIsToldAndTheLabelFollowsTheLanguage) {
    const QByteArray good("\xC8\x9F\x6E\x00", 4);
    setter.accept = false;
    query();
    reply(good);
    EXPECT_EQ(label(), QStringLiteral("PC Clock not synchronised"));
    EXPECT_TRUE(steps.empty());

    setter.accept = true;
    estado.CodigoIdioma = 1;
    query();
    reply(good);
    EXPECT_EQ(label(), QStringLiteral("Reloj PC sincronizado"));

    estado.CodigoIdioma = 2;  // unknown: the label stays as it was
    query();
    socket.events.error(QString());
    EXPECT_EQ(label(), QStringLiteral("Reloj PC sincronizado"));
    EXPECT_EQ(steps.size(), 1u);
}

TEST_F(Client, FirstEntryMeansNoServer) {
    form.CbServidoresDeTiempo.setListIndex(0);
    loop.runFor(1000);
    query();
    loop.runFor(3600000);
    EXPECT_TRUE(socket.hosts.empty());
    EXPECT_FALSE(form.TiEsperaServidor.enabled());
    EXPECT_EQ(label(), QString());
    EXPECT_TRUE(setter.set.empty());
}

// ---- The Qt socket on loopback -------------------------------------------------------

int argc = 1;
char arg0[] = "test";
char* argv[] = {arg0, nullptr};

struct Loopback : ::testing::Test {
    static void SetUpTestSuite() {
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    }
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
    QtTimeSocket socket;
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
    const QString exe = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (exe.isEmpty()) GTEST_SKIP() << "dbus-daemon is not installed";
    QProcess daemon;
    daemon.start(exe, {"--session", "--print-address", "--nofork"});
    while (daemon.waitForReadyRead(5000) && !daemon.canReadLine()) {
    }
    const QString address = QString::fromUtf8(daemon.readLine().trimmed());
    ASSERT_FALSE(address.isEmpty());
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

#include "test_time_server_client.moc"
