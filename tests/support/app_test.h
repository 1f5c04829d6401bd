#pragma once
// The whole program, as main() puts it together, on fake platform parts: its real
// windows on the offscreen platform, its timers in virtual time. Tests act as a user
// would (clicks, keys, the tray, closing windows) and look at what the user sees and
// at what reached the disk.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>
#include <optional>

#include "core/clock.h"
#include "core/virtual_loop.h"
#include "settings/ini_file.h"
#include "support/test_support.h"
#include "support/widget_application.h"
#include "ui/application.h"
#include "ui/compact_window_view.h"
#include "ui/main_window.h"
#include "ui/message_window_view.h"
#include "ui/qt_message_box.h"

namespace lt::test {

// Tariff 2 an hour from 08:00 to 20:00 and 1 outside it, no tax; ticks every second.
inline const QByteArray kAppSettings =
    "[tiempos y costos semanales]\nDesdeSemanaHH=08\nDesdeSemanaMM=00\nDesdeSemanaSS=00\n"
    "HastaSemanaHH=20\nHastaSemanaMM=00\nHastaSemanaSS=00\nCostoDesdeHasta=2\nCostoResto=1\n"
    "[Intervalos timers]\nTimerConexion=1\nTimerCosto=1\nAbandonaAplicacion=0\n"
    "[Idiomas]\nCodigoIdioma=0\n[Costos]\nAjusteCosto=S\nCostoIVA=0\n"
    "CostoAcumuladoPorSesion=000.00\n"
    "[Interrupciones]\nClave=0003097098099\nCosAcumConex=Cost add from 01/12/2026:\n"
    "[Flags]\nQueDia=N\nServerTime=0\nFormatoInicio=0\n";

class AppTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::widgetApplication(); }
    void TearDown() override {
        app.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The first tick comes a second later: 10:00:00 on 5 December 2026 by default.
    void start(const QByteArray& settings = kAppSettings,
               OleDate at = oleFromParts(2026, 12, 5) + oleFromTime(9, 59, 59)) {
        clock.setWall(at);
        writeFile(path(QStringLiteral("Linktally.ini")), settings);
        // A start after another: the timers of the run before are gone with it.
        app.reset();
        loop.emplace(clock);
        app = std::make_unique<Application>(PlatformParts{
            clock, probe, cutter, socket, setter, autostart, *loop,
            AppFiles{dir.path(), dir.path()}, QStringLiteral("/opt/linktally/linktally"),
            QStringLiteral("en_US"), trayAvailable, &counters, &notifier});
        QObject::connect(app.get(), &Application::finished, [this](int code) { exitCode = code; });
        ASSERT_TRUE(app->start());
        QApplication::setActiveWindow(&window());
        QCoreApplication::processEvents();
    }
    // Virtual time passes; the window's own events are handled after it.
    void run(double seconds) {
        loop->runForSeconds(seconds);
        QCoreApplication::processEvents();
    }
    void online(double seconds) {
        probe.setOnline(true);
        run(seconds);
    }
    void offline(double seconds) {
        probe.setOnline(false);
        run(seconds);
    }

    QString path(const QString& name) const { return dir.filePath(name); }
    QString ini(const char* section, const char* key) const {
        return LeerValorINI(path(QStringLiteral("Linktally.ini")), QString::fromLatin1(section),
                            QString::fromLatin1(key));
    }
    std::vector<QStringList> stored() const {
        return storedSessions(path(QStringLiteral("LinkTally.db")));
    }

    MainForm& form() { return app->logic().form(); }
    MainWindow& window() { return app->window(); }
    // A control on any page: the pages not shown yet are built for it.
    template <class W = QWidget>
    W* widget(const char* name) {
        window().buildEveryPage();
        return window().findChild<W*>(QString::fromLatin1(name));
    }
    void click(const char* name) {
        auto* b = widget<QAbstractButton>(name);
        ASSERT_NE(b, nullptr) << name;
        // A check box takes a click on its box or text only, not in the middle of its row.
        if (b->isCheckable())
            b->click();
        else
            QTest::mouseClick(b, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    void type(const char* name, const QString& text) {
        auto* e = widget<QLineEdit>(name);
        ASSERT_NE(e, nullptr) << name;
        e->clear();
        QTest::keyClicks(e, text);
    }
    // The message box on screen, if any.
    QMessageBox* message() { return app->messageBox().current(); }
    QString messageText() { return message() ? message()->text() : QString(); }
    void dismissMessage() {
        if (QMessageBox* box = message()) {
            box->button(QMessageBox::Ok)->click();
            QCoreApplication::processEvents();
        }
    }
    // A termination signal as the session manager or `kill` sends it, handled by the
    // event loop within the given real time.
    bool terminatedBySignalWithin(int sig, int ms) {
        ::raise(sig);
        QElapsedTimer waited;
        waited.start();
        while (!app->isFinished() && waited.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        return app->isFinished();
    }

    QTemporaryDir dir;
    FakeClock clock;
    std::optional<VirtualLoop> loop;
    FakeProbe probe;
    FakeCutter cutter;
    FakeTimeSocket socket;
    FakeClockSetter setter;
    FakeAutostart autostart;
    FakeTrafficCounters counters;
    FakeNotifier notifier;
    bool trayAvailable = true;
    std::unique_ptr<Application> app;
    int exitCode = -1;
};

}  // namespace lt::test
