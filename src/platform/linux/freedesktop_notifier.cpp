#include "platform/linux/freedesktop_notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>
#include <utility>

namespace lt {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

// The bus itself answers whether a name is owned; the first notification may wait this
// long for that answer, never longer.
constexpr int kOwnerQueryTimeoutMs = 500;
// Only how soon a hung service is noticed: the program never waits for it.
constexpr int kReplyTimeoutMs = 2000;
constexpr int kServerDefaultExpiry = -1;
// Connecting to the bus waits on it: done once the window is up and drawn, not while the
// program starts. A notice asked for sooner connects at once.
constexpr int kConnectAfterMs = 1000;

}  // namespace

FreedesktopNotifier::FreedesktopNotifier(LazyBus bus) : bus_(std::move(bus)) {
    QTimer::singleShot(kConnectAfterMs, &context_, [this] { connectBus(); });
}

void FreedesktopNotifier::connectBus() {
    if (std::exchange(connected_, true)) return;
    QDBusConnection& bus = bus_.get();
    if (!bus.isConnected()) return;
    watcher_.setConnection(bus);
    watcher_.setWatchMode(QDBusServiceWatcher::WatchForOwnerChange);
    watcher_.setWatchedServices({kService});
    QObject::connect(&watcher_, &QDBusServiceWatcher::serviceOwnerChanged, &context_,
                     [this](const QString&, const QString&, const QString& newOwner) {
                         ownerChanged(newOwner);
                     });
    QDBusMessage query = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    query.setArguments({kService});
    ownerQuery_ = bus.asyncCall(query, kOwnerQueryTimeoutMs);
    auto* pending = new QDBusPendingCallWatcher(*ownerQuery_, &context_);
    QObject::connect(pending, &QDBusPendingCallWatcher::finished, &context_, [this, pending] {
        settleOwnerQuery();
        pending->deleteLater();
    });
}

bool FreedesktopNotifier::notify(const QString& title, const QString& body) {
    connectBus();
    settleOwnerQuery();
    if (!owned_) return false;
    if (!answering_) {
        askCapabilities();  // its answer restores the service for the next notice
        return false;
    }
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), QStringLiteral("org.linktally.LinkTally")}};
    const QVariantList arguments{QStringLiteral("LinkTally"),
                                 shown_.value(title),
                                 QStringLiteral("linktally"),
                                 title,
                                 markup_ ? body.toHtmlEscaped() : body,
                                 QStringList(),
                                 hints,
                                 kServerDefaultExpiry};
    onReply(send(QStringLiteral("Notify"), arguments, kReplyTimeoutMs),
            [this, title](const QDBusPendingCall& call) {
                const QDBusPendingReply<uint> reply(call);
                if (reply.isError()) {
                    answering_ = false;
                    shown_.remove(title);
                } else {
                    shown_.insert(title, reply.value());
                }
            });
    return true;
}

// Settled once, by the first notice or by the reply, whichever comes first.
void FreedesktopNotifier::settleOwnerQuery() {
    if (!ownerQuery_) return;
    ownerQuery_->waitForFinished();
    const QDBusPendingReply<bool> reply(*ownerQuery_);
    ownerQuery_.reset();
    owned_ = !reply.isError() && reply.value();
    if (owned_) askCapabilities();
}

void FreedesktopNotifier::ownerChanged(const QString& newOwner) {
    ownerQuery_.reset();  // the change is newer than the query's answer
    ++owner_;
    shown_.clear();  // ids of another service name nothing
    owned_ = !newOwner.isEmpty();
    answering_ = true;
    probing_ = false;
    if (owned_) askCapabilities();
}

void FreedesktopNotifier::askCapabilities() {
    if (probing_) return;
    probing_ = true;
    onReply(send(QStringLiteral("GetCapabilities"), {}, kReplyTimeoutMs),
            [this](const QDBusPendingCall& call) {
                probing_ = false;
                const QDBusPendingReply<QStringList> reply(call);
                if (reply.isError()) return;
                answering_ = true;
                markup_ = reply.value().contains(QStringLiteral("body-markup"));
            });
}

QDBusPendingCall FreedesktopNotifier::send(const QString& method, const QVariantList& arguments,
                                           int timeoutMs) {
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kService, method);
    message.setArguments(arguments);
    message.setAutoStartService(false);  // a service the desktop does not run stays off
    return bus_.get().asyncCall(message, timeoutMs);
}

void FreedesktopNotifier::onReply(const QDBusPendingCall& call,
                                  std::function<void(const QDBusPendingCall&)> handle) {
    auto* pending = new QDBusPendingCallWatcher(call, &context_);
    QObject::connect(pending, &QDBusPendingCallWatcher::finished, &context_,
                     [this, pending, owner = owner_, handle = std::move(handle)] {
                         if (owner == owner_) handle(*pending);
                         pending->deleteLater();
                     });
}

}  // namespace lt
