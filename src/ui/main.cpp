// LinkTally: watches the Internet connection, times and prices each session.
#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSessionManager>
#include <memory>

#include "app/configuracion.h"
#include "app/qt_timer_driver.h"
#include "core/clock.h"
#include "i18n/captions.h"
#include "platform/file_locations.h"
#include "platform/linux/boot_clock.h"
#include "platform/linux/display_platform.h"
#include "platform/linux/linux_connection_cutter.h"
#include "platform/linux/linux_connection_probe.h"
#include "platform/linux/qt_time_socket.h"
#include "platform/linux/single_instance.h"
#include "platform/linux/system_clock_setter.h"
#include "platform/linux/termination_signals.h"
#include "platform/linux/xdg_autostart.h"
#include "settings/default_settings.h"
#include "ui/compact_window_view.h"
#include "ui/main_window.h"
#include "ui/message_window_view.h"
#include "ui/qt_message_box.h"

namespace {

QByteArray shippedDefaults() {
    QFile f(QStringLiteral(":/Linktally.ini"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

int main(int argc, char* argv[]) {
    lt::preferXWayland();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("LinkTally"));
    QApplication::setApplicationVersion(QStringLiteral("1.06"));
    QApplication::setDesktopFileName(QStringLiteral("org.linktally.LinkTally"));
    // The tray keeps the program alive while its window is hidden.
    QApplication::setQuitOnLastWindowClosed(false);

    const lt::AppFiles files =
        lt::chooseFileLocations(lt::gatherLocationInputs(QCoreApplication::applicationDirPath()));
    QDir().mkpath(files.settingsDir);
    QDir().mkpath(files.dataDir);

    lt::SingleInstance instance(files.lockPath());
    if (!instance.acquire()) return 0;

    lt::BootClock clock;
    lt::QtMessageBox messages;
    QString error;
    if (!lt::installDefaultSettings(files.settingsPath(), shippedDefaults(),
                                    QLocale::system().name(), clock.date(), &error)) {
        const int code = lt::defaultLanguageFor(QLocale::system().name());
        const auto& m = lt::kMsgSettingsNotWritten;
        messages.show(lt::MessageBox::Icon::Warning, QStringLiteral("LinkTally"),
                      QString::fromUtf8(code == 1 ? m.spanish : m.english).arg(error));
    }

    lt::LinuxConnectionProbe probe(QStringLiteral("/"),
                                   lt::LinuxConnectionProbe::proxyFromEnvironment());
    lt::LinuxConnectionCutter cutter(QDBusConnection::systemBus());
    lt::Configuracion logic(clock, messages, files, probe, cutter);
    lt::QtTimeSocket timeSocket;
    lt::LinuxClockSetter clockSetter(QDBusConnection::systemBus());
    logic.setTimeService(timeSocket, clockSetter);
    lt::XdgAutostart autostart;
    logic.setAutostart(autostart, QCoreApplication::applicationFilePath());
    lt::MainWindow window(logic);
    // The compact and message windows are built the first time they are shown; the view
    // then takes over following its window's state.
    std::unique_ptr<lt::CompactWindowView> compact;
    std::unique_ptr<lt::MessageWindowView> dialogo;
    logic.form().FrChico.window.observer = [&compact, &logic] {
        if (!compact) compact = std::make_unique<lt::CompactWindowView>(logic);
    };
    logic.form().Dialogo.window.observer = [&dialogo, &logic] {
        if (!dialogo) dialogo = std::make_unique<lt::MessageWindowView>(logic.form().Dialogo);
    };
    messages.setParent(&window);
    instance.setActivationHandler([&window] { window.restore(); });

    lt::QtTimerDriver timers;
    lt::MainForm& form = logic.form();
    for (lt::TimerModel* t :
         {&form.TiConexion, &form.TiTiempoConexion, &form.TiCostos, &form.TiServerInternet,
          &form.TiGuardarAjustes, &form.TiEsperaServidor})
        timers.add(*t);

    // Logout, shutdown and SIGTERM end the program cleanly, never refused.
    bool closed = false;
    auto shutdown = [&logic, &closed] {
        if (closed) return;
        closed = true;
        logic.shutdown();
        // exit(), not quit(): quit() asks the windows first, and the main window refuses
        // while a session runs or leaving is forbidden.
        QCoreApplication::exit(0);
    };
    lt::TerminationSignals termination;
    QObject::connect(&termination, &lt::TerminationSignals::terminationRequested, &app, shutdown);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app,
                     [&logic](QSessionManager&) { logic.shutdown(); });

    logic.Form_Load();
    return QApplication::exec();
}
