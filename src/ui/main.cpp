// LinkTally: watches the Internet connection, times and prices each session.
#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QLocale>
#include <QScopeGuard>
#include <QSystemTrayIcon>
#include <clocale>

#include "app/qt_timer_driver.h"
#include "platform/file_locations.h"
#include "platform/linux/boot_clock.h"
#include "platform/linux/display_platform.h"
#include "platform/linux/font_warmup.h"
#include "platform/linux/freedesktop_notifier.h"
#include "platform/linux/linux_connection_cutter.h"
#include "platform/linux/linux_connection_probe.h"
#include "platform/linux/linux_traffic_counters.h"
#include "platform/linux/system_clock_setter.h"
#include "platform/linux/tcp_time_socket.h"
#include "platform/linux/xdg_autostart.h"
#include "report/report_command.h"
#include "ui/application.h"
#include "ui/grid_accessible.h"

int main(int argc, char* argv[]) {
    // A long option asks for the terminal (a report, help, the version): no window, no
    // display.
    if (const QStringList args = lt::programArguments(argc, argv); lt::wantsReportCommand(args)) {
        QCoreApplication core(argc, argv);
        QTextStream out(stdout), err(stderr);
        const auto history = [] {
            return lt::chooseFileLocations(
                       lt::gatherLocationInputs(QCoreApplication::applicationDirPath()))
                .historyPath();
        };
        return lt::runReportCommand(args, history, out, err);
    }
    lt::preferXWayland();
    // Set here as Qt would set it, so that nothing changes the environment or the locale
    // under the font thread while it reads.
    std::setlocale(LC_ALL, "");
    lt::FontWarmup fonts;  // while Qt reaches the display
    QApplication qapp(argc, argv);
    const auto fontsFirst = qScopeGuard([&fonts] { fonts.wait(); });
    QApplication::setApplicationName(QStringLiteral("LinkTally"));
    QApplication::setApplicationVersion(QStringLiteral("1.06"));
    QApplication::setDesktopFileName(QStringLiteral("org.linktally.LinkTally"));
    // The tray keeps the program alive while its window is hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    lt::installGridAccessibility();

    const lt::AppFiles files =
        lt::chooseFileLocations(lt::gatherLocationInputs(QCoreApplication::applicationDirPath()));
    QDir().mkpath(files.settingsDir);
    QDir().mkpath(files.dataDir);

    lt::BootClock clock;
    lt::LinuxConnectionProbe probe(QStringLiteral("/"),
                                   lt::LinuxConnectionProbe::proxyFromEnvironment());
    lt::LinuxConnectionCutter cutter(lt::LazyBus(&QDBusConnection::systemBus));
    lt::TcpTimeSocket timeSocket;
    lt::LinuxClockSetter clockSetter(lt::LazyBus(&QDBusConnection::systemBus));
    lt::XdgAutostart autostart;
    lt::QtTimerDriver timers;
    lt::LinuxTrafficCounters counters(probe);
    lt::FreedesktopNotifier notifier(lt::LazyBus(&QDBusConnection::sessionBus));
    lt::Application app({clock, probe, cutter, timeSocket, clockSetter, autostart, timers, files,
                         QCoreApplication::applicationFilePath(), QLocale::system().name(),
                         QSystemTrayIcon::isSystemTrayAvailable(), &counters, &notifier});
    QObject::connect(&app, &lt::Application::finished, &qapp, &QCoreApplication::exit);
    if (!app.start()) return 0;
    return QApplication::exec();
}
