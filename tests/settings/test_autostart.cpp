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
    ASSERT_TRUE(autostart.enable(QStringLiteral("/opt/LinkTally/linktally"), &error));
    EXPECT_EQ(test::readFile(entry), QStringLiteral("[Desktop Entry]\n"
                                                    "Type=Application\n"
                                                    "Name=LinkTally\n"
                                                    "Exec=\"/opt/LinkTally/linktally\"\n"
                                                    "Icon=linktally\n"
                                                    "Terminal=false\n"
                                                    "X-GNOME-Autostart-enabled=true\n"));
    // Started from somewhere else: the entry follows, and nothing is left beside it.
    ASSERT_TRUE(autostart.enable(QStringLiteral("/home/ana/bin/linktally"), &error));
    EXPECT_EQ(execOf(entry), QStringLiteral("\"/home/ana/bin/linktally\""));
    EXPECT_EQ(QDir(config.filePath(QStringLiteral("autostart"))).entryList(QDir::Files),
              QStringList{QStringLiteral("LinkTally.desktop")});

    // Switched off in the desktop's own settings.
    test::writeFile(entry, "[Desktop Entry]\nExec=x\nX-GNOME-Autostart-enabled=false\n");
    EXPECT_FALSE(autostart.isEnabled());
    test::writeFile(entry, "[Desktop Entry]\nExec=x\nHidden=true\n");
    EXPECT_FALSE(autostart.isEnabled());

    EXPECT_TRUE(autostart.disable(&error));
    EXPECT_FALSE(QFile::exists(entry));
}

TEST(XdgAutostart, AwkwardPathsAreQuotedAsTheDesktopReadsThem) {
    QTemporaryDir config;
    XdgAutostart autostart(config.path());
    QString error;
    // The quoting's escapes, then "%%" for a percent sign, then the value's own escapes.
    const std::pair<const char*, const char*> cases[] = {
        {"/home/u/My Apps/100% \"fast\"/link$tally",
         R"("/home/u/My Apps/100%% \\"fast\\"/link\\$tally")"},
        {"/tmp/a\\b`c/$HOME/%f/linktally", R"("/tmp/a\\\\b\\`c/\\$HOME/%%f/linktally")"},
        {"/tmp/tab\there/new\nline", R"("/tmp/tab\there/new\nline")"}};
    for (const auto& [path, exec] : cases) {
        ASSERT_TRUE(autostart.enable(QString::fromUtf8(path), &error));
        EXPECT_EQ(execOf(autostart.entryPath()), QString::fromUtf8(exec)) << path;
    }
}

TEST(LaunchAtStartup, TheBoxFollowsTheEntryAndAFailureIsToldAndUndoesTheClick) {
    MainForm form;
    EstadoMonitor estado;
    estado.CodigoIdioma = 1;
    test::LiveMessages live(estado);
    test::FakeAutostart autostart;
    LaunchAtStartup launch(form, estado, autostart, live.messages,
                           QStringLiteral("/opt/lt/linktally"));
    CheckBox& ck = form.CKInicioWindows_Configuracion;
    ck.Click = [&] { launch.CKInicioWindows_Configuracion_Click(); };
    autostart.fail = true;
    ck.setValue(1);
    ASSERT_EQ(live.box.shown.size(), 1u);
    EXPECT_EQ(live.box.shown[0].text,
              QString::fromUtf8(kMsgAutostartNotChanged.spanish).arg(QStringLiteral("disk full")));
    EXPECT_EQ(ck.value(), 0);

    autostart.fail = false;
    ck.setValue(1);
    EXPECT_TRUE(autostart.enabled);
    // A removal that fails leaves the box ticked, since the entry is still there.
    autostart.fail = true;
    ck.setValue(0);
    EXPECT_EQ(live.box.shown.size(), 2u);
    EXPECT_EQ(ck.value(), 1);
}
