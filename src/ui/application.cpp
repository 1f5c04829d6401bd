#include "ui/application.h"

#include <QFile>
#include <QGuiApplication>
#include <QSessionManager>

#include "core/clock.h"
#include "core/timer_driver.h"
#include "platform/desktop_notifier.h"
#include "platform/file_system.h"
#include "platform/linux/single_instance.h"
#include "platform/linux/termination_signals.h"
#include "settings/default_settings.h"
#include "ui/compact_window_view.h"
#include "ui/main_window.h"
#include "ui/message_window_view.h"
#include "ui/qt_message_box.h"

// The icons, the animation and the shipped settings live in the views' library; a
// program or test that links it must register them.
static void registerResources() {
    Q_INIT_RESOURCE(resources);
}

namespace lt {

namespace {

QByteArray shippedDefaults() {
    QFile f(QStringLiteral(":/Linktally.ini"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

Application::Application(PlatformParts parts, QObject* parent)
    : QObject(parent),
      parts_(std::move(parts)),
      messageBox_(std::make_unique<QtMessageBox>()),
      logic_(parts_.clock, *messageBox_, parts_.files, parts_.probe, parts_.cutter),
      // First: a signal that comes while the program loads waits for the event loop.
      termination_(std::make_unique<TerminationSignals>()) {
    registerResources();
    connect(termination_.get(), &TerminationSignals::terminationRequested, this,
            &Application::terminate);
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(gui, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager&) { terminate(); });
    logic_.setTimeService(parts_.timeSocket, parts_.clockSetter);
    logic_.setAutostart(parts_.autostart, parts_.executablePath);
    window_ = std::make_unique<MainWindow>(logic_, parts_.trayAvailable);
    messageBox_->setWindow(window_.get());
    if (parts_.counters)
        logic_.setVolumeServices(*parts_.counters, [this](const Notification& n) { warn(n); });
    else
        logic_.setVolumeServices(noCounters_, [this](const Notification& n) { warn(n); });
    connect(window_.get(), &MainWindow::quitRequested, this, &Application::finish);
    connect(window_.get(), &MainWindow::quitFromTrayRequested, this, [this] {
        if (logic_.Salir() == CloseDecision::QuitProgram)
            terminate();  // a running session is stored as at a logout
        else
            window_->notify(textIn(logic_.estado().CodigoIdioma, kTrayNotExit));
    });
    buildWindowsOnDemand();
}

Application::~Application() = default;

void Application::buildWindowsOnDemand() {
    MainForm& f = logic_.form();
    compactShown_ = f.FrChico.window.changed.subscribe([this] {
        if (!compact_ && logic_.form().FrChico.window.visible)
            compact_ = std::make_unique<CompactWindowView>(logic_);
    });
    dialogoShown_ = f.Dialogo.window.changed.subscribe([this] {
        if (!dialogo_ && logic_.form().Dialogo.window.visible)
            dialogo_ = std::make_unique<MessageWindowView>(logic_.form().Dialogo);
    });
}

void Application::warn(const Notification& n) {
    // The tray's balloon where no notification service answers.
    if (!parts_.notifier || !parts_.notifier->notify(n.title, n.body))
        window_->notify(n.title, n.body);
}

void Application::installSettings() {
    QString error;
    PosixFileSystem fs;
    if (!installDefaultSettings(fs, parts_.files.settingsPath(), shippedDefaults(),
                                parts_.localeName, parts_.clock.date(), &error))
        logic_.messages().warn(kMsgSettingsNotWritten, error);
    logic_.settings().setShippedDefaults(shippedDefaults());
}

bool Application::start() {
    if (started_ || finished_) return false;
    instance_ = std::make_unique<SingleInstance>(parts_.files.lockPath());
    const SingleInstance::Result instance = instance_->acquire();
    if (instance == SingleInstance::Result::AnotherRuns) return false;
    // A read-only folder or a full disk: the program runs on what it can, and says so.
    if (instance == SingleInstance::Result::RunsUnguarded)
        logic_.messages().warn(kMsgLockNotTaken, instance_->error());
    instance_->setActivationHandler([this] { window_->restore(); });
    started_ = true;

    installSettings();
    logic_.Form_Load();
    // Nothing ticks and nothing saves before the load is complete.
    for (TimerModel* t : logic_.form().timers()) parts_.timers.add(*t);
    return true;
}

void Application::terminate() {
    if (finished_) return;
    if (started_) logic_.shutdown();
    finish();
}

void Application::finish() {
    if (finished_) return;
    finished_ = true;
    instance_.reset();
    emit finished(0);
}

}  // namespace lt
