// Bytes, data allowances, warnings and the forecast through the whole program: its real
// windows offscreen, a link whose counters the test moves, in virtual time.
#include <QComboBox>
#include <QLabel>

#include "support/app_test.h"
#include "ui/grid_view.h"

namespace lt::test {
namespace {

QByteArray withVolume(const QByteArray& volumen, const QByteArray& base = kAppSettings) {
    return base + "[Volumen]\n" + volumen;
}

class VolumeFlows : public AppTest {
  protected:
    // On line for `seconds`, the link moving `down` and `up` bytes a second.
    void traffic(int seconds, std::uint64_t down, std::uint64_t up = 0) {
        probe.setOnline(true);
        for (int s = 0; s < seconds && probe.state.online; ++s) {
            counters.received += down;
            counters.sent += up;
            run(1);
        }
    }
    QStringList titles() const {
        QStringList out;
        for (const auto& n : notifier.shown) out << n.title;
        return out;
    }
    QString label(const char* name) { return widget<QLabel>(name)->text(); }
    QStringList storedRow(int i) { return form().MSFlexGrid_Estado.row(i); }
};

TEST_F(VolumeFlows, ASessionsBytesAreCountedShownStoredAndTheirOldRowsStillRead) {
    start();
    traffic(1, 0);  // the first tick opens the session on the counters as they are
    traffic(5, 2'000'000, 100'000);
    EXPECT_EQ(app->logic().estado().BytesRecibidos, 10'000'000u);
    EXPECT_TRUE(
        label("LbVolumen_Estado").startsWith(QStringLiteral("Received: 10.0 MB   Sent: 500.0 kB")))
        << label("LbVolumen_Estado").toStdString();
    // A driver reload mid-session: counting goes on from the new zero.
    counters.received = 0;
    traffic(2, 1'000'000);
    offline(2);
    ASSERT_EQ(form().MSFlexGrid_Estado.rowCount(), 1);
    EXPECT_EQ(storedRow(0).mid(6), (QStringList{"12000000", "500000"}));
    ASSERT_EQ(stored().size(), 1u);
    EXPECT_EQ(label("LbVolumen_Estado"), QString());

    // The grid shows them in units; a row of an earlier version shows nothing.
    auto* grid = widget<GridView>("MSFlexGrid_Estado");
    ASSERT_EQ(grid->model()->columnCount(), 8);
    EXPECT_EQ(grid->model()->headerData(6, Qt::Horizontal).toString(), QStringLiteral("Received"));
    EXPECT_EQ(grid->model()->index(0, 6).data().toString(), QStringLiteral("12.0 MB"));
    form().MSFlexGrid_Estado.appendRow({"01/12/2026", "08:00:00", "09:00:00", "01:00:00", "002.00",
                                        "002.00", QString(), QString()});
    EXPECT_EQ(grid->model()->index(1, 7).data().toString(), QString());

    // No counters at all: the session is stored without counts, never as zero bytes.
    counters.readable = false;
    traffic(3, 1'000'000);
    offline(2);
    const QStringList last = storedRow(form().MSFlexGrid_Estado.rowCount() - 1);
    EXPECT_EQ(last[0], QStringLiteral("05/12/2026"));
    EXPECT_EQ(last.mid(6), (QStringList{QString(), QString()}));
}

TEST_F(VolumeFlows, ADailyCapReachedMidSessionWarnsAtEachShareOnceAndCutsOnce) {
    cutter.probe = &probe;
    start(withVolume("Periodo=1\nCantidad=10\nUnidad=MB\nAvisos=50,90\n"));
    EXPECT_EQ(label("LbCuota_Estado"), QStringLiteral("Data today: 0 B of 10.0 MB, 10.0 MB left"));
    traffic(1, 0);
    traffic(30, 1'000'000);
    EXPECT_EQ(cutter.calls, 1);
    EXPECT_FALSE(probe.state.online);
    EXPECT_EQ(titles(), (QStringList{"LinkTally: the connection will be cut soon",
                                     "LinkTally: 50 % of your data allowance used",
                                     "LinkTally: 90 % of your data allowance used",
                                     "LinkTally: 100 % of your data allowance used"}));
    EXPECT_TRUE(messageText().startsWith(QStringLiteral("The data allowance is used up (10.0 MB)")))
        << messageText().toStdString();
    dismissMessage();
    offline(3);
    ASSERT_EQ(stored().size(), 1u);
    EXPECT_EQ(storedRow(0)[6], QStringLiteral("10000000"));
    // The warnings given are remembered: a restart the same day says none again.
    EXPECT_FALSE(ini("Volumen", "AvisosDados").isEmpty());
    start(withVolume("Periodo=1\nCantidad=10\nUnidad=MB\nAvisos=50,90\nAvisosDados=" +
                     ini("Volumen", "AvisosDados").toUtf8() + "\n"));
    EXPECT_TRUE(
        label("LbCuota_Estado").startsWith(QStringLiteral("Data today: 10.0 MB of 10.0 MB")));
    notifier.shown.clear();
    traffic(1, 0);
    traffic(2, 100'000);
    EXPECT_EQ(titles(), QStringList());
    EXPECT_EQ(cutter.calls, 2);  // used up already: the new session is cut at once
}

TEST_F(VolumeFlows, WarnOnlyNeverCutsAndALinkThatCannotBeCutIsSaidOnceAndTriedOnceAMinute) {
    start(withVolume("Periodo=3\nCantidad=0.005\nUnidad=GB\nSoloAviso=1\nAvisos=\n"));
    traffic(1, 0);
    traffic(10, 1'000'000);
    EXPECT_EQ(cutter.calls, 0);
    EXPECT_EQ(titles(), QStringList{"LinkTally: 100 % of your data allowance used"});
    EXPECT_TRUE(probe.state.online);
    offline(2);

    cutter.ends = 0;  // nothing here can end this link
    start(withVolume("Periodo=3\nCantidad=5\nUnidad=MB\n"));
    traffic(1, 0);
    traffic(10, 1'000'000);
    EXPECT_EQ(cutter.calls, 1);
    EXPECT_TRUE(messageText().contains(QStringLiteral("no connection could be ended")));
    dismissMessage();
    traffic(30, 0);
    EXPECT_EQ(cutter.calls, 1);  // no churn: once a minute at most
    traffic(31, 0);
    EXPECT_EQ(cutter.calls, 2);
    EXPECT_EQ(message(), nullptr);                      // said once in the period
    EXPECT_EQ(form().MSFlexGrid_Estado.rowCount(), 1);  // the session goes on
}

TEST_F(VolumeFlows, ABillingMonthFromThe15thAcrossTheYearEndCountsItsOwnDaysInSpanish) {
    {
        HistoryStore store(path(QStringLiteral("LinkTally.db")));
        ASSERT_TRUE(store.open());
        auto row = [](const char* fecha, const char* bytes, const char* costo) {
            return SessionRecord::fromRow(
                {fecha, "10:00:00", "11:00:00", "01:00:00", costo, costo, bytes, "0"});
        };
        ASSERT_TRUE(store.store({{1, row("14/12/2026", "9000000000", "009.00")},
                                 {2, row("20/12/2026", "2000000000", "004.00")},
                                 {3, row("02/01/2027", "1000000000", "002.00")}}));
    }
    QByteArray spanish = kAppSettings;
    spanish.replace("CodigoIdioma=0", "CodigoIdioma=1");
    start(withVolume("Periodo=3\nCantidad=5\nUnidad=GB\nDiaFacturacion=15\nPresupuesto=10\n",
                     spanish),
          oleFromParts(2027, 1, 3) + oleFromTime(9, 59, 59));
    EXPECT_EQ(label("LbCuota_Estado"),
              QStringLiteral("Datos este mes: 3.0 GB de 5.0 GB, quedan 2.0 GB\n"
                             "Gastado este mes: 006.00 de 010.00, quedan 004.00"));
    EXPECT_TRUE(
        label("LbPronostico_Estado").contains(QStringLiteral("por día de aquí en adelante")))
        << label("LbPronostico_Estado").toStdString();
    EXPECT_TRUE(form().Systray.extra.contains(QStringLiteral("quedan 2.0 GB")));
    EXPECT_DOUBLE_EQ(form().Systray.ring, 0.6);
    // A session that passes 80 % says so in Spanish.
    traffic(1, 0);
    traffic(2, 500'000'000);
    EXPECT_EQ(titles(), (QStringList{"LinkTally: la conexión se cortará pronto",
                                     "LinkTally: se usó el 80 % de su cuota de datos"}));
}

TEST_F(VolumeFlows, TheAllowanceIsCheckedLockedWhileOnLineAndSavedWhenAccepted) {
    start();
    window().tabs()->setCurrentIndex(2);
    auto* period = widget<QComboBox>("CbPeriodoVolumen_Configuracion");
    EXPECT_EQ(period->itemText(3), QStringLiteral("a month"));
    EXPECT_FALSE(widget("FrVolumen_Configuracion")->isEnabled());  // behind the password
    type("TxClaveActual_Configuracion", QStringLiteral("abc"));
    click("CdAceptarClaveActual_Configuracion");
    dismissMessage();
    ASSERT_TRUE(widget("FrVolumen_Configuracion")->isEnabled());

    period->setCurrentIndex(2);
    emit period->activated(2);
    type("TxVolumen_Configuracion", QStringLiteral("2,5"));
    click("CdAceptarVolumen_Configuracion");
    EXPECT_TRUE(messageText().contains(QStringLiteral("with a point before the decimals")));
    dismissMessage();
    type("TxVolumen_Configuracion", QStringLiteral("2.5"));
    type("TxDiaFacturacion_Configuracion", QStringLiteral("31"));
    click("CdAceptarVolumen_Configuracion");
    EXPECT_TRUE(messageText().contains(QStringLiteral("days 1 to 28")));
    dismissMessage();
    type("TxDiaFacturacion_Configuracion", QStringLiteral("15"));
    type("TxAvisos_Configuracion", QStringLiteral("95, 80"));
    click("CdAceptarVolumen_Configuracion");
    EXPECT_EQ(messageText(), QStringLiteral("Completed all data"));
    dismissMessage();
    run(10);
    EXPECT_EQ(ini("Volumen", "Periodo"), QStringLiteral("2"));
    EXPECT_EQ(ini("Volumen", "Cantidad"), QStringLiteral("2.5"));
    EXPECT_EQ(ini("Volumen", "Avisos"), QStringLiteral("80,95"));
    EXPECT_EQ(ini("Volumen", "DiaFacturacion"), QStringLiteral("15"));
    EXPECT_TRUE(
        label("LbCuota_Estado").startsWith(QStringLiteral("Data this week: 0 B of 2.5 GB")));

    online(2);
    EXPECT_FALSE(widget("FrVolumen_Configuracion")->isEnabled());
}

}  // namespace
}  // namespace lt::test
