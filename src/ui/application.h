#pragma once
// The whole program put together: the form's logic on the platform parts it is given,
// the windows, the tray, the timers, the termination signals and the hand-over from a
// second start. The program's main() gives it the real parts; tests give it fakes and
// drive it through its real windows.
#include <QObject>
#include <QString>
#include <memory>

#include "app/configuracion.h"
#include "platform/file_locations.h"

namespace lt {

class Autostart;
class Clock;
class CompactWindowView;
class ConnectionCutter;
class ConnectionProbe;
class DesktopNotifier;
class TrafficCounters;
class MainWindow;
class MessageWindowView;
class QtMessageBox;
class SingleInstance;
class SystemClockSetter;
class TerminationSignals;
class TimeSocket;
class TimerDriver;

struct PlatformParts {
    const Clock& clock;
    ConnectionProbe& probe;
    ConnectionCutter& cutter;
    TimeSocket& timeSocket;
    SystemClockSetter& clockSetter;
    Autostart& autostart;
    TimerDriver& timers;
    AppFiles files;
    QString executablePath;
    // The desktop's locale: the language of a new settings file.
    QString localeName;
    // A tray shows the program's icon (minimising hides the window behind it).
    bool trayAvailable = false;
    // The byte counters of the links, and the desktop's notifications; none counts no
    // bytes and warns through the tray.
    TrafficCounters* counters = nullptr;
    DesktopNotifier* notifier = nullptr;
};

class Application : public QObject {
    Q_OBJECT
  public:
    explicit Application(PlatformParts parts, QObject* parent = nullptr);
    ~Application() override;

    // Loads the settings and the history, shows the window, and only then starts the
    // timers. False when another copy runs for these files (it has been asked to come
    // to the front) or the program has already been asked to end.
    bool start();
    // Logout, shutdown or a termination signal: never refused. The running session is
    // stored, the settings are saved and finished() is emitted, once.
    void terminate();
    bool isFinished() const { return finished_; }

    Configuracion& logic() { return logic_; }
    MainWindow& window() { return *window_; }
    QtMessageBox& messageBox() { return *messageBox_; }
    // Built the first time they are shown.
    CompactWindowView* compactWindow() const { return compact_.get(); }
    MessageWindowView* messageWindow() const { return dialogo_.get(); }

  signals:
    void finished(int exitCode);

  private:
    void installSettings();
    void warn(const Notification& n);
    void buildWindowsOnDemand();
    void finish();

    PlatformParts parts_;
    NoTrafficCounters noCounters_;
    std::unique_ptr<QtMessageBox> messageBox_;
    Configuracion logic_;
    std::unique_ptr<TerminationSignals> termination_;
    std::unique_ptr<SingleInstance> instance_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<CompactWindowView> compact_;
    std::unique_ptr<MessageWindowView> dialogo_;
    Notifier<>::Subscription compactShown_;
    Notifier<>::Subscription dialogoShown_;
    bool started_ = false;
    bool finished_ = false;
};

}  // namespace lt
