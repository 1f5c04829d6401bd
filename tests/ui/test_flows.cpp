// The program as a user meets it: its real windows, its real composition, a day played
// by the fake clock and the fake line.
#include <sqlite3.h>
#include <QChart>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScrollArea>
#include <QSystemTrayIcon>
#include <QTabWidget>

#include "history/history_store.h"
#include "platform/linux/single_instance.h"
#include "support/app_test.h"
#include "ui/chart_view.h"
#include "ui/grid_view.h"

using namespace lt;

namespace {

using Flows = test::AppTest;

QByteArray with(QByteArray settings, const char* from, const char* to) {
    return settings.replace(from, to);
}

// A word-wrapped label shows all of its text.
void expectWhole(const QLabel* l) {
    ASSERT_NE(l, nullptr);
    EXPECT_FALSE(l->text().isEmpty()) << l->objectName().toStdString();
    EXPECT_GE(l->height(), l->heightForWidth(l->width())) << l->text().toStdString();
}

QStringList column(const Grid& g, int c) {
    QStringList out;
    for (int r = 0; r < g.rowCount(); ++r) out << g.cell(r, c);
    return out;
}

void clickLabel(QWidget* label) {
    ASSERT_NE(label, nullptr);
    QTest::mouseClick(label, Qt::LeftButton);
    QCoreApplication::processEvents();
}

}  // namespace

TEST(CompactWindowGeometry, TwipsFollowTheScreenResolutionAndStayOnAScreen) {
    EXPECT_EQ(CompactWindowView::twipsToPixels(1440, 2880, 144), QPoint(144, 288));
    float left = 0, top = 0;
    CompactWindowView::pixelsToTwips(QPoint(96, 48), 96, left, top);
    EXPECT_FLOAT_EQ(left, 1440);
    EXPECT_FLOAT_EQ(top, 720);
    const QList<QRect> screens = {QRect(0, 0, 1920, 1080)};
    EXPECT_EQ(CompactWindowView::keepOnScreen({100, 100}, {220, 60}, screens, screens[0]),
              QPoint(100, 100));
    // A monitor that was unplugged: back on the primary screen.
    EXPECT_EQ(CompactWindowView::keepOnScreen({2500, 100}, {220, 60}, screens, screens[0]),
              QPoint(20, 20));
}

TEST_F(Flows, PagesAreBuiltWhenFirstShownAndAHiddenWindowCatchesUpWhenShown) {
    start();
    const auto shown = [this](const char* name) {
        return window().findChild<QWidget*>(QString::fromLatin1(name));
    };
    // Only the page on show is built at start.
    EXPECT_NE(shown("MSFlexGrid_Estado"), nullptr);
    EXPECT_EQ(shown("FrRepreciar_Costo"), nullptr);
    EXPECT_EQ(shown("Grafica_Estadisticas"), nullptr);
    // A page built later shows the form as it is by then, and follows it.
    form().LsIdiomas.setListIndex(1);
    // Reached from the grid with Ctrl+Tab, the keyboard lands on a control of the new
    // page, not on the frame that scrolls it.
    shown("MSFlexGrid_Estado")->setFocus();
    QTest::keyClick(shown("MSFlexGrid_Estado"), Qt::Key_Tab, Qt::ControlModifier);
    ASSERT_EQ(window().tabs()->currentIndex(), 1);
    ASSERT_NE(window().focusWidget(), nullptr);
    EXPECT_EQ(qobject_cast<QScrollArea*>(window().focusWidget()), nullptr);
    EXPECT_TRUE(window().tabs()->currentWidget()->isAncestorOf(window().focusWidget()));
    auto* frame = qobject_cast<QGroupBox*>(shown("FrRepreciar_Costo"));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->title(), QStringLiteral("Repreciar el historial"));
    form().LsIdiomas.setListIndex(0);
    EXPECT_EQ(frame->title(), QStringLiteral("Re-price the history"));
    // The form choosing a tab builds it too.
    form().STabTiempos_Estado.setTab(2);
    QCoreApplication::processEvents();
    EXPECT_NE(shown("TxIntervaloTiempoConexion_Configuracion"), nullptr);
    window().buildEveryPage();
    EXPECT_TRUE(window().unboundControls().isEmpty())
        << window().unboundControls().join(", ").toStdString();
    window().tabs()->setCurrentIndex(0);
    // Behind the tray the window lays out nothing once a second...
    window().setWindowState(Qt::WindowMinimized);  // as the window manager does it
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(form().Systray.visible);
    online(3);
    auto* hora = widget<QLineEdit>("TxTAHora_Estado");
    EXPECT_EQ(hora->text(), QString());
    // ...a right click on the icon leaves it there, a left click brings it back up to date.
    emit window().trayIcon()->activated(QSystemTrayIcon::Context);
    EXPECT_FALSE(window().isVisible());
    emit window().trayIcon()->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(window().isVisible());
    EXPECT_FALSE(form().Systray.visible);
    EXPECT_EQ(hora->text(), QStringLiteral("10:00:02"));
}

TEST_F(Flows, SmallWindowAndBackWhileOnLine) {
    start();
    online(3);
    EXPECT_EQ(form().LbTIEStadoE_Estado.caption(), QStringLiteral("CONNECTED"));

    click("CdReducido_Estado");
    CompactWindowView* chico = app->compactWindow();
    ASSERT_NE(chico, nullptr);
    EXPECT_TRUE(chico->isVisible());
    EXPECT_FALSE(window().isVisible());
    run(2);
    // The previous tick's time and cost, as the main window showed them.
    EXPECT_EQ(chico->findChild<QLabel*>(QStringLiteral("LbTiempo"))->text(),
              QStringLiteral("00:00:03"));
    EXPECT_EQ(chico->findChild<QLabel*>(QStringLiteral("LbCosto"))->text(),
              form().TxCOCostoConexionActual_Estado.text());
    EXPECT_TRUE(form().FrChico.GifAnim2.playing());

    chico->move(300, 200);
    const QPoint placed = chico->pos();
    chico->close();
    EXPECT_FALSE(chico->isVisible());
    EXPECT_TRUE(window().isVisible());
    EXPECT_FALSE(ini("UbicacionInicio", "Izquierda").isEmpty());

    // The same window comes back where it was left, and Escape closes it.
    click("CdReducido_Estado");
    EXPECT_EQ(app->compactWindow(), chico);
    EXPECT_EQ(chico->pos(), placed);
    QTest::keyClick(chico, Qt::Key_Escape);
    EXPECT_FALSE(chico->isVisible());
    EXPECT_TRUE(window().isVisible());
}

TEST_F(Flows, StartSmallThenASessionIsCountedAndStored) {
    start(with(test::kAppSettings, "FormatoInicio=0", "FormatoInicio=1"));
    ASSERT_NE(app->compactWindow(), nullptr);
    EXPECT_TRUE(app->compactWindow()->isVisible());
    EXPECT_FALSE(window().isVisible());

    online(20);
    EXPECT_EQ(app->compactWindow()->findChild<QLabel*>(QStringLiteral("LbTiempo"))->text(),
              QStringLiteral("00:00:18"));
    EXPECT_TRUE(form().FrChico.GifAnim2.playing());
    offline(2);
    const auto rows = stored();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].mid(0, 4), (QStringList{"05/12/2026", "10:00:00", "10:00:19", "00:00:19"}));
    EXPECT_TRUE(app->compactWindow()->isVisible());
}

TEST_F(Flows, AnAllowanceCutShowsTheWholeMessageAndEndsTheSession) {
    cutter.probe = &probe;
    start(with(test::kAppSettings, "QueDia=N", "QueDia=D\nDespuesDe=0\nImpDespues=1"));
    online(3600 + 3);
    EXPECT_EQ(cutter.calls, 1);
    MessageWindowView* dialogo = app->messageWindow();
    ASSERT_NE(dialogo, nullptr);
    EXPECT_TRUE(dialogo->isVisible());
    const auto* expired = dialogo->findChild<QLabel*>(QStringLiteral("LbExpired"));
    const auto* texto = dialogo->findChild<QLabel*>(QStringLiteral("LbDialogo"));
    EXPECT_EQ(expired->text(), QStringLiteral("The time programmed to finalized."));
    EXPECT_EQ(texto->text(), QStringLiteral("It was programmed 01 hours daily."));
    expectWhole(expired);
    expectWhole(texto);

    // The line the cut ended closed the session at the cut.
    const auto rows = stored();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][3], QStringLiteral("01:00:00"));
    EXPECT_EQ(form().LbTIEStadoE_Estado.caption(), QStringLiteral("DISCONNECTED"));

    QTest::mouseClick(dialogo, Qt::LeftButton);
    EXPECT_FALSE(dialogo->isVisible());
    EXPECT_FALSE(form().Dialogo.window.visible);
}

TEST_F(Flows, AWindowCutThatCannotEndTheLineSaysSoOnceAndTheSessionGoesOn) {
    cutter.ends = 0;
    start(with(test::kAppSettings, "QueDia=N",
               "QueDia=D\nDespuesDe=1\nImpDesde=10:00:30\nImpDurante=00:10:00"));
    online(60);
    MessageWindowView* dialogo = app->messageWindow();
    ASSERT_NE(dialogo, nullptr);
    EXPECT_EQ(dialogo->findChild<QLabel*>(QStringLiteral("LbDialogo"))->text(),
              QStringLiteral("It was programmed from 10:00:30 and during 00:10:00 hours."));
    expectWhole(dialogo->findChild<QLabel*>(QStringLiteral("LbDialogo")));
    QTest::keyClick(dialogo, Qt::Key_Escape);
    EXPECT_FALSE(dialogo->isVisible());

    // Tried on every tick, said once: no window again, the notice stays on the tab.
    online(60);
    EXPECT_GT(cutter.calls, 30);
    EXPECT_FALSE(dialogo->isVisible());
    EXPECT_TRUE(stored().empty());
    auto* aviso = widget<QLabel>("LbAvisoCorte_Estado");
    EXPECT_TRUE(aviso->isVisible());
    EXPECT_TRUE(aviso->text().startsWith(QStringLiteral("The scheduled cut could not")));
    EXPECT_EQ(aviso->palette().color(QPalette::WindowText), QColor(170, 60, 0));

    // The line goes down on its own: the session is stored and the notice goes.
    offline(2);
    EXPECT_EQ(stored().size(), 1u);
    EXPECT_FALSE(aviso->isVisible());
}

TEST_F(Flows, AStartUpMessageWaitsForNobodyWhileASessionEndsAndTheProgramIsTerminated) {
    start(with(test::kAppSettings, "TimerCosto=1", "TimerCosto=0"));
    // Shown after the load, and the load went on without waiting for OK.
    EXPECT_EQ(messageText(), QStringLiteral("Nonvalid value, to enter values between 1 and 15"));
    online(5);
    offline(2);
    EXPECT_EQ(stored().size(), 1u);
    ASSERT_NE(message(), nullptr);  // nobody has pressed OK yet

    ASSERT_TRUE(terminatedBySignalWithin(SIGTERM, 2000));
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(stored().size(), 1u);
    // The record was whole when it was saved: nothing blanked, the fix kept.
    EXPECT_EQ(ini("tiempos y costos semanales", "CostoDesdeHasta"), QStringLiteral("2"));
    EXPECT_EQ(ini("Interrupciones", "Clave"), QStringLiteral("0003097098099"));
    EXPECT_EQ(ini("Intervalos timers", "TimerConexion"), QStringLiteral("1"));
    EXPECT_EQ(ini("Intervalos timers", "TimerCosto"), QStringLiteral("5"));
    EXPECT_EQ(ini("Flags", "ServerTime"), QStringLiteral("0"));
}

TEST_F(Flows, TerminationDuringASessionStoresItOnce) {
    start();
    online(10);
    app->terminate();  // the session manager's request
    ASSERT_TRUE(app->isFinished());
    EXPECT_TRUE(terminatedBySignalWithin(SIGTERM, 200));
    app->terminate();
    const auto rows = stored();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][2], QStringLiteral("10:00:09"));
    EXPECT_EQ(exitCode, 0);
}

TEST_F(Flows, ThePasswordUnlocksAndIsChanged) {
    start();
    window().tabs()->setCurrentIndex(2);
    EXPECT_FALSE(widget("CkAbadonaAplicacion_Configuracion")->isEnabled());

    type("TxClaveActual_Configuracion", QStringLiteral("wrong"));
    click("CdAceptarClaveActual_Configuracion");
    EXPECT_EQ(messageText(), QStringLiteral("Password not valid"));
    EXPECT_EQ(message()->icon(), QMessageBox::Critical);
    dismissMessage();
    EXPECT_EQ(window().focusWidget(), widget("TxClaveActual_Configuracion"));
    EXPECT_FALSE(widget("CkAbadonaAplicacion_Configuracion")->isEnabled());

    EXPECT_EQ(widget<QLabel>("LbEstadoClave_Configuracion")->text(),
              QStringLiteral("Protected settings: locked"));
    // Enter in the box acts as the button.
    type("TxClaveActual_Configuracion", QStringLiteral(" abc "));
    QTest::keyClick(widget("TxClaveActual_Configuracion"), Qt::Key_Return);
    EXPECT_EQ(message(), nullptr);
    EXPECT_TRUE(widget("CkAbadonaAplicacion_Configuracion")->isEnabled());
    EXPECT_TRUE(widget<QLineEdit>("TxClaveActual_Configuracion")->text().isEmpty());
    EXPECT_EQ(widget<QLabel>("LbEstadoClave_Configuracion")->text(),
              QStringLiteral("Protected settings: unlocked"));

    // A new password typed twice, the same both times, or nothing changes.
    click("CkNuevaClave_Configuracion");
    EXPECT_TRUE(widget("TxConfirmarClave_Configuracion")->isVisible());
    EXPECT_EQ(widget<QLabel>("LbClaveActual_Configuracion")->text(),
              QStringLiteral("Enter previous password:"));
    type("TxClaveActual_Configuracion", QStringLiteral("abc"));
    type("TxNuevaClave_Configuracion", QStringLiteral("xyz"));
    type("TxConfirmarClave_Configuracion", QStringLiteral("xzy"));
    QTest::keyClick(widget("TxConfirmarClave_Configuracion"), Qt::Key_Return);
    EXPECT_TRUE(messageText().startsWith(QStringLiteral("The two new passwords are not the same")));
    dismissMessage();
    EXPECT_EQ(ini("Interrupciones", "Clave"), QStringLiteral("0003097098099"));
    type("TxClaveActual_Configuracion", QStringLiteral("abc"));
    type("TxConfirmarClave_Configuracion", QStringLiteral("xyz"));
    click("CdAceptarClaveNueva_Configuracion");
    EXPECT_EQ(messageText(), QStringLiteral("Password changed"));
    dismissMessage();
    EXPECT_EQ(ini("Interrupciones", "Clave"), QStringLiteral("0003120121122"));
    EXPECT_FALSE(widget("TxNuevaClave_Configuracion")->isVisible());

    // Locked again at once with the button beside the state.
    click("CdBloquear_Configuracion");
    EXPECT_FALSE(widget("CkAbadonaAplicacion_Configuracion")->isEnabled());
    EXPECT_FALSE(widget("CdBloquear_Configuracion")->isVisible());
    EXPECT_TRUE(widget("CkAbadonaAplicacion_Configuracion")
                    ->toolTip()
                    .startsWith(QStringLiteral("Protected: enter the password")));
}

TEST_F(Flows, ALanguageSwitchWithTheCompactWindowOpen) {
    start();
    click("CdReducido_Estado");
    CompactWindowView* chico = app->compactWindow();
    ASSERT_NE(chico, nullptr);
    // A second start brings the main window forward; the compact one stays.
    SingleInstance second(app->logic().files().lockPath());
    EXPECT_EQ(second.acquire(), SingleInstance::Result::AnotherRuns);
    for (int i = 0; i < 50 && !window().isVisible(); ++i)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    ASSERT_TRUE(window().isVisible());
    EXPECT_TRUE(chico->isVisible());

    auto* idiomas = widget<QListWidget>("LsIdiomas");
    window().tabs()->setCurrentIndex(2);
    QTest::mouseClick(idiomas->viewport(), Qt::LeftButton, {},
                      idiomas->visualItemRect(idiomas->item(1)).center());
    EXPECT_EQ(window().tabs()->tabText(0), QStringLiteral("&Estados"));
    EXPECT_EQ(widget<QAbstractButton>("CdReducido_Estado")->text(), QStringLiteral("&Reducido"));
    EXPECT_EQ(chico->windowTitle(), QStringLiteral("LinkTally V1.06 (b)"));
    EXPECT_EQ(widget<QLabel>("LbTiempos_Estadisticas")->text(), QStringLiteral("Tiempos [min]"));
    EXPECT_TRUE(chico->isVisible());
    online(3);
    EXPECT_EQ(chico->findChild<QLabel*>(QStringLiteral("LbTiempo"))->text(),
              QStringLiteral("00:00:01"));
    EXPECT_EQ(widget<QLabel>("LbTIEStadoE_Estado")->text(), QStringLiteral("CONECTADO"));
}

TEST_F(Flows, StatisticsShowStoredOrderBeforeAndAfterAGridSort) {
    {
        HistoryStore store(path(QStringLiteral("LinkTally.db")));
        store.open();
        std::uint64_t id = 1;
        for (const QStringList& r : std::vector<QStringList>{
                 {"28/11/2026", "20:00:00", "20:05:00", "00:05:00", "000.10", "000.10"},
                 {"03/12/2026", "09:00:00", "09:30:00", "00:30:00", "001.00", "001.10"},
                 {"04/12/2026", "10:00:00", "12:00:00", "02:00:00", "004.00", "005.10"},
                 {"04/12/2026", "15:00:00", "15:10:00", "00:10:00", "000.33", "005.43"}})
            store.store({{id++, SessionRecord::fromRow(r)}});
    }
    start();
    const Grid& grid = form().MSFlexGrid_Estado;
    const Chart& chart = form().Grafica_Estadisticas;
    // The chart is built when its tab is first shown, and reads the history then: a grid
    // sorted before that changes neither the chart nor its own order.
    window().grid()->horizontalHeader()->sectionClicked(3);
    EXPECT_EQ(window().chartView(), nullptr);
    window().tabs()->setCurrentIndex(3);
    EXPECT_EQ(column(grid, 3).first(), QStringLiteral("02:00:00"));
    ASSERT_NE(window().chartView(), nullptr);
    EXPECT_EQ(window().chartView()->chart()->axes(Qt::Horizontal).size(), 1);
    auto labels = [&chart] {
        QStringList out;
        for (const ChartPoint& p : chart.points()) out << p.label;
        return out;
    };
    const QStringList inOrder = {"28/11 20:00", "03/12 09:00", "04/12 10:00", "04/12 15:00"};
    EXPECT_EQ(labels(), inOrder);

    // The period shown is the one in red; the others take the page's colour.
    const auto textColor = [this](const char* label) {
        return widget<QLabel>(label)->palette().color(QPalette::WindowText);
    };
    const QColor pageText = window().tabs()->palette().color(QPalette::WindowText);
    EXPECT_EQ(textColor("LbSesion_Estadisticas"), QColor(Qt::red));
    clickLabel(widget("LbDia_Estadisticas"));
    EXPECT_EQ(textColor("LbDia_Estadisticas"), QColor(Qt::red));
    EXPECT_EQ(textColor("LbSesion_Estadisticas"), pageText);
    EXPECT_EQ(column(grid, 0), (QStringList{"28/11/2026", "03/12/2026", "04/12/2026"}));
    EXPECT_EQ(column(grid, 3), (QStringList{"00:05:00", "00:30:00", "02:10:00"}));

    // Sorting the grid reorders what it shows, never what the charts and stores follow.
    clickLabel(widget("LbSesion_Estadisticas"));
    widget<GridView>("MSFlexGrid_Estado")->horizontalHeader()->sectionClicked(3);
    EXPECT_EQ(column(grid, 3).first(), QStringLiteral("02:00:00"));
    clickLabel(widget("LbSesion_Estadisticas"));
    EXPECT_EQ(labels(), inOrder);
    EXPECT_EQ(column(grid, 3).first(), QStringLiteral("00:05:00"));

    widget<GridView>("MSFlexGrid_Estado")->horizontalHeader()->sectionClicked(4);
    window().tabs()->setCurrentIndex(0);
    online(5);
    offline(2);
    EXPECT_EQ(column(grid, 0),
              (QStringList{"28/11/2026", "03/12/2026", "04/12/2026", "04/12/2026", "05/12/2026"}));
    EXPECT_EQ(labels().last(), QStringLiteral("05/12 10:00"));

    // Sessions the history cannot take wait in the ledger and still count in their day,
    // added to the day's stored ones.
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path(QStringLiteral("LinkTally.db")).toUtf8().constData(), &db), 0);
        EXPECT_EQ(sqlite3_exec(db,
                               "CREATE TRIGGER Lleno BEFORE INSERT ON Historial BEGIN "
                               "SELECT RAISE(ABORT, 'full'); END",
                               nullptr, nullptr, nullptr),
                  0);
        sqlite3_close(db);
    }
    online(7);
    offline(2);
    EXPECT_EQ(stored().size(), 5u);
    window().tabs()->setCurrentIndex(3);
    clickLabel(widget("LbDia_Estadisticas"));
    EXPECT_EQ(column(grid, 0).last(), QStringLiteral("05/12/2026"));
    EXPECT_EQ(column(grid, 3).last(), QStringLiteral("00:00:11"));  // 4 s stored, 7 waiting

    // Month rows sort by their month on a click on the date caption.
    window().tabs()->setCurrentIndex(3);
    clickLabel(widget("LbMes_Estadisticas"));
    EXPECT_EQ(column(grid, 0), (QStringList{"11/2026", "12/2026"}));
    widget<GridView>("MSFlexGrid_Estado")->horizontalHeader()->sectionClicked(0);
    EXPECT_EQ(column(grid, 0), (QStringList{"12/2026", "11/2026"}));
}

TEST_F(Flows, RepricingShowsARangeUnderTheTariffAndRewritesItOnlyWhenConfirmed) {
    const std::vector<QStringList> history = {
        {"28/11/2026", "20:00:00", "20:05:00", "00:05:00", "000.10", "000.10"},
        {"03/12/2026", "09:00:00", "09:30:00", "00:30:00", "001.00", "001.10"},
        {"04/12/2026", "18:30:00", "20:30:00", "02:00:00", "004.00", "005.10"}};
    {
        HistoryStore store(path(QStringLiteral("LinkTally.db")));
        store.open();
        std::uint64_t id = 1;
        for (const QStringList& r : history) store.store({{id++, SessionRecord::fromRow(r)}});
    }
    QByteArray settings = test::kAppSettings;
    settings.replace("CostoIVA=0", "CostoIVA=21");
    start(settings +
          "[Reduccion costos]\nCkReduccion=1\nReduccionCada=60\n"
          "PorcentajeCostoReducido=10\n");
    window().tabs()->setCurrentIndex(1);
    EXPECT_FALSE(widget("CdAplicarPrecios_Costo")->isEnabled());
    type("TxRepreciarDesde_Costo", QStringLiteral("05/12/2026"));
    type("TxRepreciarHasta_Costo", QStringLiteral("01/12/2026"));
    click("CdRepreciar_Costo");
    EXPECT_TRUE(widget<QLabel>("LbRepreciarResultado_Costo")->text().startsWith("Write both"));

    // 2/h from 08:00 to 20:00, 1/h after, 21 % tax. Thursday 09:00 for 30 min: 1.00.
    // Friday 18:30 for 2 h: the first hour (2.00) a finished period charged 10 %, then
    // half an hour at 2/h and half an hour at 1/h.
    type("TxRepreciarDesde_Costo", QStringLiteral("01/12/2026"));
    type("TxRepreciarHasta_Costo", QStringLiteral("04/12/2026"));
    click("CdRepreciar_Costo");
    EXPECT_EQ(widget<QLabel>("LbRepreciarResultado_Costo")->text(),
              QStringLiteral("2 sessions: 005.00 as stored, 003.27 under this tariff."));
    ASSERT_TRUE(widget("CdAplicarPrecios_Costo")->isEnabled());

    click("CdAplicarPrecios_Costo");
    ASSERT_NE(message(), nullptr);
    message()->button(QMessageBox::No)->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(stored()[2][4], QStringLiteral("004.00"));

    click("CdAplicarPrecios_Costo");
    message()->button(QMessageBox::Yes)->click();
    QCoreApplication::processEvents();
    const auto after = stored();
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[0].mid(0, 6), history[0]);
    EXPECT_EQ(after[1].mid(4, 2), (QStringList{"001.21", "001.31"}));
    EXPECT_EQ(after[2].mid(4, 2), (QStringList{"002.06", "003.37"}));
    const QStringList copies =
        QDir(dir.path()).entryList({QStringLiteral("LinkTally.db.repriced-*")});
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(test::storedSessions(path(copies[0]))[2][4], QStringLiteral("004.00"));
    EXPECT_TRUE(messageText().contains(copies[0]));
    EXPECT_EQ(column(form().MSFlexGrid_Estado, 4).last(), QStringLiteral("002.06"));
    EXPECT_FALSE(widget("CdAplicarPrecios_Costo")->isEnabled());
}

TEST_F(Flows, ClearingTheHistoryEmptiesGridTableAndAccumulatedCost) {
    start();
    online(30);
    offline(2);
    ASSERT_EQ(stored().size(), 1u);
    EXPECT_TRUE(window().tabs()->isTabEnabled(3));
    window().tabs()->setCurrentIndex(2);
    EXPECT_FALSE(widget("CdLimpiarBase_Configuracion")->isEnabled());
    type("TxClaveActual_Configuracion", QStringLiteral("abc"));
    click("CdAceptarClaveActual_Configuracion");

    // Asked first: a No keeps everything.
    click("CdLimpiarBase_Configuracion");
    ASSERT_NE(message(), nullptr);
    EXPECT_TRUE(messageText().startsWith(QStringLiteral("Clear the whole history")));
    message()->button(QMessageBox::No)->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(stored().size(), 1u);

    // A Yes keeps a dated copy beside it, then clears.
    clock.setWall(clock.now() + oleFromTime(1, 0, 0));
    click("CdLimpiarBase_Configuracion");
    message()->button(QMessageBox::Yes)->click();
    QCoreApplication::processEvents();
    const QStringList copies =
        QDir(dir.path()).entryList({QStringLiteral("LinkTally.db.cleared-20261205-11*")});
    ASSERT_EQ(copies.size(), 1);
    const QString copy = path(copies[0]);
    EXPECT_TRUE(messageText().contains(copy)) << messageText().toStdString();
    EXPECT_EQ(test::storedSessions(copy).size(), 1u);
    EXPECT_TRUE(stored().empty());
    EXPECT_EQ(widget<GridView>("MSFlexGrid_Estado")->model()->rowCount(), 0);
    EXPECT_FALSE(window().tabs()->isTabEnabled(3));
    EXPECT_EQ(ini("Costos", "CostoAcumuladoPorSesion"), QStringLiteral("000.00"));
    EXPECT_EQ(widget<QLineEdit>("TxCOCostoAcumuladoDesde")->text(), QStringLiteral("000.00"));
}

TEST_F(Flows, ClosingTheWindowFollowsTheLineAndNotExitApplication) {
    start(with(test::kAppSettings, "AbandonaAplicacion=0", "AbandonaAplicacion=1"));
    online(3);
    // While on line a close puts the window away in the tray and the session goes on.
    window().close();
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(form().Systray.visible);
    EXPECT_FALSE(app->isFinished());
    // The tray's Quit follows "Not exit application", ticked here.
    window().trayIcon()->contextMenu()->actions().at(1)->trigger();
    EXPECT_FALSE(app->isFinished());
    emit window().trayIcon()->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(window().isVisible());
    offline(2);

    // Off line with "Not exit application" ticked: the settings are saved, the program stays.
    QFile::remove(path(QStringLiteral("Linktally.ini")));
    window().close();
    EXPECT_TRUE(window().isVisible());
    EXPECT_FALSE(app->isFinished());
    EXPECT_EQ(ini("Intervalos timers", "AbandonaAplicacion"), QStringLiteral("1"));

    window().tabs()->setCurrentIndex(2);
    type("TxClaveActual_Configuracion", QStringLiteral("abc"));
    click("CdAceptarClaveActual_Configuracion");
    EXPECT_EQ(messageText(), QString());
    EXPECT_TRUE(widget("CkAbadonaAplicacion_Configuracion")->isEnabled());
    click("CkAbadonaAplicacion_Configuracion");
    EXPECT_EQ(form().CkAbadonaAplicacion_Configuracion.value(), 0);
    window().close();
    EXPECT_TRUE(app->isFinished());
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(ini("Intervalos timers", "AbandonaAplicacion"), QStringLiteral("0"));
    EXPECT_EQ(stored().size(), 1u);
}

TEST_F(Flows, ASettingsFileThatCannotBeReadGivesTheDefaultsAndIsNeverWrittenOver) {
    const QString ini = path(QStringLiteral("Linktally.ini"));
    const QByteArray randomBytes = [] {
        QByteArray b;
        for (int i = 0; i < 4096; ++i) b += static_cast<char>((i * 7919 + 13) % 256);
        return b;
    }();
    const std::pair<const char*, QByteArray> ways[] = {
        {"empty", QByteArray()},
        {"NULs", QByteArray(8192, '\0')},
        {"random bytes", randomBytes},
        {"far too large", "[Costos]\nCostoIVA=21\n" + QByteArray(2 << 20, ';')},
        {"a folder", QByteArray()},
    };
    for (const auto& [way, bytes] : ways) {
        SCOPED_TRACE(way);
        app.reset();
        QFile::remove(ini);
        QDir(ini).removeRecursively();
        if (QByteArrayView(way) == "a folder") QDir().mkpath(ini + QStringLiteral("/inside"));
        start(bytes);
        EXPECT_TRUE(messageText().startsWith(QStringLiteral("The settings file could not be read")))
            << messageText().toStdString();
        dismissMessage();
        // The shipped values, not blanks: a tariff, an interval that ticks, a password.
        EXPECT_EQ(form().Tarifas[0].TxCostoHs.text(), QStringLiteral("1.60"));
        EXPECT_EQ(form().TxIntervaloTiempoConexion_Configuracion.text(), QStringLiteral("1"));
        online(5);
        offline(2);
        EXPECT_EQ(stored().size(), 1u);
        if (QByteArrayView(way) == "a folder")
            EXPECT_TRUE(QFileInfo(ini).isDir());
        else
            EXPECT_TRUE([&] {
                QFile f(ini);
                return f.open(QIODevice::ReadOnly) && f.readAll() == bytes;
            }()) << "the file was written over";
        QDir(path(QStringLiteral("LinkTally.db"))).removeRecursively();
        QFile::remove(path(QStringLiteral("LinkTally.db")));
    }
}

TEST_F(Flows, WithoutATrayAClosedWindowMinimisesAndTheTraysQuitStoresTheSession) {
    trayAvailable = false;
    start();
    online(10);
    window().close();
    EXPECT_TRUE(window().isMinimized());
    EXPECT_FALSE(app->isFinished());
    // Where there is a tray, its Quit is allowed during a session: stored as at a logout.
    window().trayIcon()->contextMenu()->actions().at(1)->trigger();
    EXPECT_TRUE(app->isFinished());
    ASSERT_EQ(stored().size(), 1u);
    EXPECT_EQ(stored()[0][2], QStringLiteral("10:00:09"));
}

TEST_F(Flows, LockedSettingsSayWhyAndTheGridSortsBothWays) {
    start();
    online(3);
    window().tabs()->setCurrentIndex(1);
    auto* linea = widget<QLabel>("LbBloqueo");
    EXPECT_TRUE(linea->isVisible());
    EXPECT_TRUE(linea->text().startsWith(QStringLiteral("Locked while connected")));
    EXPECT_FALSE(widget("TxImpuestos_Costo")->isEnabled());
    EXPECT_TRUE(widget("TxImpuestos_Costo")->toolTip().startsWith(QStringLiteral("Locked while")));
    EXPECT_FALSE(widget("DTPicker")->toolTip().isEmpty());
    window().tabs()->setCurrentIndex(0);
    EXPECT_FALSE(linea->isVisible());  // nothing to change on the Status tab
    EXPECT_EQ(widget("CdConectar")->toolTip(),
              QStringLiteral("Show the connection and time-server status lines"));
    offline(2);
    online(5);
    offline(2);
    window().tabs()->setCurrentIndex(1);
    EXPECT_FALSE(linea->isVisible());
    EXPECT_TRUE(widget("TxImpuestos_Costo")->toolTip().isEmpty());

    // A second click on a caption turns the order round, and the arrow says which way.
    auto* header = widget<GridView>("MSFlexGrid_Estado")->horizontalHeader();
    const Grid& grid = form().MSFlexGrid_Estado;
    header->sectionClicked(3);
    EXPECT_EQ(column(grid, 3), (QStringList{"00:00:05", "00:00:02"}));
    EXPECT_TRUE(header->isSortIndicatorShown());
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    header->sectionClicked(3);
    EXPECT_EQ(column(grid, 3), (QStringList{"00:00:02", "00:00:05"}));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    EXPECT_EQ(stored()[0][3], QStringLiteral("00:00:02"));  // what is stored stays
}

TEST_F(Flows, TheDayAndMonthAtAGlanceWithTheCurrencyOnScreenOnly) {
    {
        HistoryStore store(path(QStringLiteral("LinkTally.db")));
        store.open();
        store.store({{1, SessionRecord::fromRow({"05/12/2026", "08:00:00", "09:00:00", "01:00:00",
                                                 "002.00", "002.00"})},
                     {2, SessionRecord::fromRow({"01/12/2026", "08:00:00", "08:30:00", "00:30:00",
                                                 "001.00", "003.00"})},
                     {3, SessionRecord::fromRow({"30/11/2026", "08:00:00", "10:00:00", "02:00:00",
                                                 "004.00", "007.00"})}});
    }
    start(with(test::kAppSettings, "[Flags]", "[Vista]\nMoneda=€\n[Flags]"));
    EXPECT_EQ(widget<QLabel>("LbHoy_Estado")->text(),
              QString::fromUtf8("Today: 01:00:00   002.00 €"));
    EXPECT_EQ(widget<QLabel>("LbMes_Estado")->text(),
              QString::fromUtf8("This month: 01:30:00   003.00 €"));
    online(1 + 1800);  // half an hour at 2: the running session counts too
    EXPECT_TRUE(
        widget<QLabel>("LbHoy_Estado")->text().startsWith(QStringLiteral("Today: 01:30:00")));
    EXPECT_TRUE(widget<QLineEdit>("TxCOCostoConexionActual_Estado")
                    ->text()
                    .endsWith(QString::fromUtf8(" €")));
    offline(2);
    EXPECT_EQ(widget<QLabel>("LbMes_Estado")->text(),
              QString::fromUtf8("This month: 02:00:00   004.00 €"));
    const QAbstractItemModel* rows = widget<GridView>("MSFlexGrid_Estado")->model();
    EXPECT_EQ(rows->index(3, 4).data().toString(), QString::fromUtf8("001.00 €"));
    // Never in what is stored.
    EXPECT_EQ(stored().back()[4], QStringLiteral("001.00"));
    EXPECT_EQ(ini("Costos", "CostoAcumuladoPorSesion"), QStringLiteral("001.00"));
}

TEST_F(Flows, TheWindowFitsSmallScreensAndOpensWhereItWasLeft) {
    // Where it was left; onto a screen that has become smaller, all of it on it.
    const QRect primary(0, 0, 1280, 800);
    EXPECT_EQ(MainWindow::placement({}, {480, 320}, {primary}, primary), QRect(250, 110, 780, 580));
    EXPECT_EQ(MainWindow::placement({100, 50, 900, 700}, {480, 320}, {primary}, primary),
              QRect(100, 50, 900, 700));
    const QRect small(0, 0, 800, 600);
    EXPECT_EQ(MainWindow::placement({700, 500, 900, 700}, {480, 320}, {small}, small),
              QRect(0, 0, 800, 600));
    EXPECT_EQ(MainWindow::placement({3000, 100, 600, 400}, {480, 320}, {small}, small),
              QRect(200, 100, 600, 400));
    // Twice the scale on 1280 x 800 leaves 640 x 400 to fit in.
    const QRect scaled(0, 0, 640, 400);
    EXPECT_TRUE(scaled.contains(MainWindow::placement({}, {480, 320}, {scaled}, scaled)));

    start();
    EXPECT_LE(window().minimumSizeHint().width(), 640);
    EXPECT_LE(window().minimumSizeHint().height(), 400);
    window().tabs()->setCurrentIndex(2);
    window().resize(700, 450);
    window().move(40, 30);
    app->terminate();
    EXPECT_EQ(ini("Vista", "Ancho"), QStringLiteral("700"));
    EXPECT_EQ(ini("Vista", "Pestana"), QStringLiteral("2"));
    start(test::readFile(path(QStringLiteral("Linktally.ini"))).toUtf8());
    EXPECT_EQ(window().size(), QSize(700, 450));
    EXPECT_EQ(window().tabs()->currentIndex(), 2);
}

TEST_F(Flows, EveryLetterIsOnePageOnlyAndTheKeyboardReachesEveryTab) {
    start();
    online(3);
    offline(2);
    window().tabs()->setCurrentIndex(3);  // the chart, and its buttons, come with the tab
    window().tabs()->setCurrentIndex(0);
    for (int language : {0, 1}) {
        form().LsIdiomas.setListIndex(language);
        for (int tab = 0; tab < window().tabs()->count(); ++tab) {
            QStringList letters;
            for (int t = 0; t < window().tabs()->count(); ++t)
                letters << QKeySequence::mnemonic(window().tabs()->tabText(t)).toString();
            QWidget* page = window().tabs()->widget(tab);
            for (QAbstractButton* b : page->findChildren<QAbstractButton*>())
                if (b->isVisibleTo(page) && b->text().size() > 1)
                    letters << QKeySequence::mnemonic(b->text()).toString();
            for (const QString& l : letters) {
                EXPECT_FALSE(l.isEmpty()) << "tab " << tab << ": a caption without a letter";
                EXPECT_EQ(letters.count(l), 1) << l.toStdString() << " twice on tab " << tab;
            }
        }
    }
    // From the grid, Ctrl+Tab goes on to the next tab that can be shown.
    auto* grid = widget<GridView>("MSFlexGrid_Estado");
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(window().tabs()->currentIndex(), 1);
    QTest::keyClick(window().tabs()->currentWidget(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(window().tabs()->currentIndex(), 2);
    // Boxes that only show a value take no Tab stop.
    EXPECT_EQ(widget("TxTITiempoConexion_Estado")->focusPolicy(), Qt::ClickFocus);
}
