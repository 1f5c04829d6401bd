// The time-server client in virtual time on a scripted socket.
#include "clocksync/time_server_client.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/clock.h"
#include "core/virtual_loop.h"
#include "form/estado_monitor.h"
#include "form/main_form.h"
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
    // The first entry of the list means no server.
    form.CbServidoresDeTiempo.setListIndex(0);
    query();
    loop.runFor(3600000);
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
}

TEST_F(Client, AnythingButFourBytesOrAFailingServerLeavesTheClockAlone) {
    for (const QByteArray& bytes :
         {QByteArray("\xC8\x9F\x6E", 3), QByteArray("\xC8\x9F\x6E\x00\x00", 5),
          QByteArray(100000, 'x')}) {
        query();
        reply(bytes);
        EXPECT_EQ(label(), QStringLiteral("Time Server unavailability")) << bytes.size();
    }
    EXPECT_TRUE(setter.set.empty());
    setter.accept = false;
    query();
    reply(QByteArray("\xC8\x9F\x6E\x00", 4));
    EXPECT_EQ(label(), QStringLiteral("PC Clock not synchronised"));
    EXPECT_TRUE(steps.empty());

    // A silent server is a problem with the server.
    setter.accept = true;
    query();
    socket.events.connected();
    loop.runFor(9999);
    EXPECT_EQ(label(), QStringLiteral("PC Clock not synchronised"));  // still the last one's
    loop.runFor(1);
    EXPECT_EQ(label(), QStringLiteral("PC Clock not synchronised. Problem with Server"));
    EXPECT_FALSE(socket.open);
    // Bytes and a close that come after giving up are not used.
    socket.events.dataArrived(QByteArray("\xC8\x9F\x6E\x00", 4));
    socket.events.closed();
    EXPECT_TRUE(steps.empty());

    // Refused, in Spanish.
    estado.CodigoIdioma = 1;
    query();
    socket.events.error(QStringLiteral("Connection refused"));
    EXPECT_EQ(label(), QStringLiteral("Reloj PC no sincronizado. Problemas con el servidor"));
    EXPECT_FALSE(form.TiEsperaServidor.enabled());

    // A new query closes a connection that is still open.
    query();
    const int closes = socket.closes;
    query();
    EXPECT_EQ(socket.closes, closes + 1);
}

}  // namespace
}  // namespace lt
