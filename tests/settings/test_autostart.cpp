#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "form/estado_monitor.h"
#include "form/main_form.h"
#include "i18n/captions.h"
#include "platform/linux/xdg_autostart.h"
#include "settings/launch_at_startup.h"
#include "support/test_support.h"

using namespace lt;

namespace {

// Reads the one argument of an Exec value back the way a desktop does: the value's string
// escapes, then "%%", then the quoting. Empty when the value is malformed.
QString execArgument(const QString& value) {
    QString s, t, arg;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\') {
            s += value[i];
            continue;
        }
        const qsizetype k = ++i < value.size() ? QStringLiteral("snrt\\").indexOf(value[i]) : -1;
        if (k < 0) return {};
        s += QStringLiteral(" \n\r\t\\")[k];
    }
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'%' && (++i == s.size() || s[i] != u'%')) return {};  // a field code
        t += s[i];
    }
    if (t.size() < 2 || !t.startsWith(u'"') || !t.endsWith(u'"')) return {};
    for (qsizetype i = 1; i < t.size() - 1; ++i) {
        if (t[i] == u'"') return {};
        if (t[i] == u'\\' && (++i == t.size() - 1 || !QStringLiteral("\"`$\\").contains(t[i])))
            return {};
        arg += t[i];
    }
    return arg;
}

QString execOf(const QString& entryPath) {
    return test::readFile(entryPath).section(QStringLiteral("\nExec="), 1).section(u'\n', 0, 0);
}

}  // namespace

TEST(XdgAutostart, WritesRewritesAndRemovesTheEntry) {
    QTemporaryDir config;
    XdgAutostart autostart(config.path());
    const QString entry = config.filePath(QStringLiteral("autostart/LinkTally.desktop"));
    QString error;
    EXPECT_TRUE(autostart.disable(&error));  // nothing there yet
    EXPECT_FALSE(autostart.isEnabled());

    ASSERT_TRUE(autostart.enable(QStringLiteral("/opt/LinkTally/linktally"), &error));
    EXPECT_EQ(test::readFile(entry), QStringLiteral("[Desktop Entry]\n"
                                                    "Type=Application\n"
                                                    "Name=LinkTally\n"
                                                    "Exec=\"/opt/LinkTally/linktally\"\n"
                                                    "Icon=linktally\n"
                                                    "Terminal=false\n"
                                                    "X-GNOME-Autostart-enabled=true\n"));
    EXPECT_TRUE(autostart.isEnabled());

    // Started from somewhere else: the entry follows, and nothing is left beside it.
    ASSERT_TRUE(autostart.enable(QStringLiteral("/home/ana/bin/linktally"), &error));
    EXPECT_EQ(execArgument(execOf(entry)), QStringLiteral("/home/ana/bin/linktally"));
    EXPECT_EQ(QDir(config.filePath(QStringLiteral("autostart"))).entryList(QDir::Files),
              QStringList{QStringLiteral("LinkTally.desktop")});

    // Switched off in the desktop's own settings.
    test::writeFile(entry, "[Desktop Entry]\nExec=x\nX-GNOME-Autostart-enabled=false\n");
    EXPECT_FALSE(autostart.isEnabled());
    test::writeFile(entry, "[Desktop Entry]\nExec=x\nHidden=true\n");
    EXPECT_FALSE(autostart.isEnabled());

    EXPECT_TRUE(autostart.disable(&error));
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_FALSE(autostart.isEnabled());
}

TEST(XdgAutostart, AwkwardPathsAreQuotedAndReadBack) {
    QTemporaryDir config;
    XdgAutostart autostart(config.path());
    QString error;
    for (const QString& path : {QStringLiteral("/home/u/My Apps/100% \"fast\"/link$tally"),
                                QStringLiteral("/tmp/a\\b`c/$HOME/%f/linktally"),
                                QStringLiteral("/tmp/tab\there/new\nline")}) {
        ASSERT_TRUE(autostart.enable(path, &error));
        EXPECT_EQ(execArgument(execOf(autostart.entryPath())), path);
    }
}

TEST(XdgAutostart, FollowsXdgConfigHomeOnlyWhenAbsolute) {
    const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME"), oldHome = qgetenv("HOME");
    QTemporaryDir xdg, home;
    qputenv("XDG_CONFIG_HOME", xdg.path().toUtf8());
    qputenv("HOME", home.path().toUtf8());
    EXPECT_EQ(XdgAutostart().entryPath(),
              xdg.filePath(QStringLiteral("autostart/LinkTally.desktop")));
    qputenv("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(XdgAutostart().entryPath(),
              home.filePath(QStringLiteral(".config/autostart/LinkTally.desktop")));
    qputenv("XDG_CONFIG_HOME", oldXdg);
    qputenv("HOME", oldHome);
}

TEST(LaunchAtStartup, TheBoxFollowsTheEntryAndAFailureIsToldOnce) {
    QTemporaryDir config;
    XdgAutostart autostart(config.path());
    MainForm form;
    EstadoMonitor estado;
    estado.CodigoIdioma = 1;
    test::LiveMessages live(estado);
    auto& box = live.box;
    LaunchAtStartup launch(form, estado, autostart, live.messages,
                           QStringLiteral("/opt/lt/linktally"));
    CheckBox& ck = form.CKInicioWindows_Configuracion;
    ck.Click = [&] { launch.CKInicioWindows_Configuracion_Click(); };

    // A regular file where the folder should be: no one can write there, not even root.
    test::writeFile(config.filePath(QStringLiteral("autostart")), "not a folder");
    ck.setValue(1);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].icon, MessageBox::Icon::Warning);
    EXPECT_TRUE(box.shown[0].text.startsWith(
        QString::fromUtf8(kMsgAutostartNotChanged.spanish).remove(QStringLiteral("%1"))));
    EXPECT_TRUE(box.shown[0].text.contains(QStringLiteral("autostart")));
    EXPECT_EQ(ck.value(), 0);

    estado.CodigoIdioma = 2;  // this notice is shown in every language setting
    ck.setValue(1);
    ASSERT_EQ(box.shown.size(), 2u);
    EXPECT_TRUE(box.shown[1].text.startsWith(QStringLiteral("The automatic start")));
    EXPECT_EQ(ck.value(), 0);

    QFile::remove(config.filePath(QStringLiteral("autostart")));
    ck.setValue(1);
    EXPECT_TRUE(autostart.isEnabled());
    ck.setValue(0);
    EXPECT_FALSE(autostart.isEnabled());
    EXPECT_EQ(box.shown.size(), 2u);

    // A removal that fails leaves the box ticked, since the entry is still there.
    test::FakeAutostart fake;
    fake.enabled = true;
    LaunchAtStartup other(form, estado, fake, live.messages, QStringLiteral("/opt/lt/linktally"));
    ck.Click = [&] { other.CKInicioWindows_Configuracion_Click(); };
    ck.setValue(1);
    fake.fail = true;
    fake.calls = 0;
    ck.setValue(0);
    EXPECT_EQ(fake.calls, 1);
    EXPECT_EQ(box.shown.size(), 3u);
    EXPECT_TRUE(box.shown[2].text.endsWith(QStringLiteral("disk full")));
    EXPECT_EQ(ck.value(), 1);
}
