#pragma once
// Ends the Internet connection: through NetworkManager when it runs, else by stopping
// the pppd daemons that left a pid file.
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QList>
#include <QString>
#include <QVariant>

#include "platform/connection.h"
#include "platform/linux/lazy_bus.h"

namespace lt {

class LinuxConnectionCutter final : public ConnectionCutter {
  public:
    // bus: the system bus in the program. root: where run/ and proc/ are found.
    explicit LinuxConnectionCutter(LazyBus bus, QString root = QStringLiteral("/"));

    // NetworkManager: every active connection that has a default route of its own, VPNs
    // first; a VPN is deactivated, any other link has its devices disconnected so that
    // NetworkManager does not bring it back (deactivated when that is refused). Then, if
    // that ended nothing, SIGTERM to each pppd named by /run/ppp*.pid.
    int hangUp() override;

  private:
    int endDefaultRouteConnections();
    bool endLink(const QString& connection, const QList<QDBusObjectPath>& devices);
    bool deactivate(const QString& connection);
    int terminatePppd();
    bool networkManagerRuns();
    bool hasDefaultRoute(const QVariantMap& activeConnection);
    QDBusMessage call(const QString& service, const QString& path, const QString& interface,
                      const QString& method, const QVariantList& arguments = {});
    QVariant property(const QString& path, const QString& interface, const QString& name);

    LazyBus bus_;
    QString root_;
};

}  // namespace lt
