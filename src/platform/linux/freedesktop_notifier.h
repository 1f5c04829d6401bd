#pragma once
// Notifications through the desktop's notification service on the session bus. Nothing
// here waits on that service: calls are sent without blocking, and whether it runs is
// followed through the bus's owner changes and the replies to earlier calls.
#include <QDBusPendingCall>
#include <QDBusServiceWatcher>
#include <QHash>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "platform/desktop_notifier.h"
#include "platform/linux/lazy_bus.h"

namespace lt {

class FreedesktopNotifier final : public DesktopNotifier {
  public:
    // bus: the session bus in the program, connected a second after start or by the first
    // notice, whichever comes first. Lives on a thread with an event loop.
    explicit FreedesktopNotifier(LazyBus bus);

    // A newer notification with the same title replaces the older one still on screen.
    bool notify(const QString& title, const QString& body) override;

  private:
    void connectBus();
    void settleOwnerQuery();
    void ownerChanged(const QString& newOwner);
    void askCapabilities();
    QDBusPendingCall send(const QString& method, const QVariantList& arguments, int timeoutMs);
    void onReply(const QDBusPendingCall& call, std::function<void(const QDBusPendingCall&)> handle);

    LazyBus bus_;
    bool connected_ = false;  // connectBus() has run
    QObject context_;         // receives the replies and the owner changes
    QDBusServiceWatcher watcher_;
    std::optional<QDBusPendingCall> ownerQuery_;
    bool owned_ = false;
    bool answering_ = true;  // false after a failed call, until the service answers again
    bool probing_ = false;
    bool markup_ = true;          // most services read the body as markup
    quint64 owner_ = 0;           // counts owner changes: replies from an earlier owner are void
    QHash<QString, uint> shown_;  // the service's id of the last notification per title
};

}  // namespace lt
