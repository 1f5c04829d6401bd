#pragma once
// A session bus of the test's own, so that stand-in services never meet the desktop's.
#include <QProcess>
#include <QStandardPaths>
#include <QString>

namespace lt::test {

// Starts dbus-daemon in `daemon` and returns its address; empty when dbus-daemon is not
// installed (the caller skips) or did not start.
inline QString startPrivateBus(QProcess& daemon) {
    const QString exe = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (exe.isEmpty()) return {};
    daemon.start(exe, {"--session", "--print-address", "--nofork"});
    while (daemon.waitForReadyRead(5000) && !daemon.canReadLine()) {
    }
    return QString::fromUtf8(daemon.readLine().trimmed());
}

}  // namespace lt::test
