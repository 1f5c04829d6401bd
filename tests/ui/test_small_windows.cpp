#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/configuracion.h"
#include "core/clock.h"
#include "settings/ini_file.h"
#include "support/widget_test.h"
#include "ui/compact_window_view.h"
#include "ui/main_window.h"
#include "ui/message_window_view.h"

using namespace lt;

using SmallWindows = test::WidgetTest;

TEST(CompactWindowGeometry, TwipsFollowTheScreenResolutionAndStayOnAScreen) {
    EXPECT_EQ(CompactWindowView::twipsToPixels(1440, 2880, 96), QPoint(96, 192));
    EXPECT_EQ(CompactWindowView::twipsToPixels(1440, 2880, 144), QPoint(144, 288));
    float left = 0, top = 0;
    CompactWindowView::pixelsToTwips(QPoint(96, 48), 96, left, top);
    EXPECT_FLOAT_EQ(left, 1440);
    EXPECT_FLOAT_EQ(top, 720);
    const QList<QRect> screens = {QRect(0, 0, 1920, 1080)};
    EXPECT_EQ(CompactWindowView::keepOnScreen({100, 100}, {220, 60}, screens, screens[0]),
              QPoint(100, 100));
    // A monitor that was unplugged: back on the primary screen.
    EXPECT_EQ(CompactWindowView::keepOnScreen({2500, 100}, {220, 60}, screens, screens[0]),
              QPoint(20, 20));
    EXPECT_EQ(CompactWindowView::keepOnScreen({-5000, -5000}, {220, 60}, screens, screens[0]),
              QPoint(20, 20));
}

TEST_F(SmallWindows, CompactWindowFollowsTheSessionAndKeepsItsPlace) {
    MainWindow main(logic);
    CompactWindowView chico(logic);
    logic.Form_Load();
    MainForm& f = logic.form();
    EXPECT_TRUE(chico.isHidden());

    f.CdReducido_Estado.click();
    EXPECT_FALSE(chico.isHidden());
    EXPECT_TRUE(main.isHidden());
    EXPECT_FALSE(f.FrChico.GifAnim2.playing());  // off line: no animation

    f.FrChico.LbTiempo.setCaption(QStringLiteral("01:02:03"));
    f.FrChico.LbCosto.setCaption(QStringLiteral("004.50"));
    EXPECT_EQ(chico.findChild<QLabel*>(QStringLiteral("LbTiempo"))->text(),
              QStringLiteral("01:02:03"));
    EXPECT_EQ(chico.findChild<QLabel*>(QStringLiteral("LbCosto"))->text(),
              QStringLiteral("004.50"));

    chico.move(300, 200);
    const QPoint placed = chico.pos();
    chico.close();
    EXPECT_TRUE(chico.isHidden());
    EXPECT_FALSE(main.isHidden());
    // The position went to the settings file in twips, and comes back on reopening.
    const QString ini = dir.filePath(QStringLiteral("Linktally.ini"));
    EXPECT_FALSE(LeerValorINI(ini, QStringLiteral("UbicacionInicio"), QStringLiteral("Izquierda"))
                     .isEmpty());
    f.FrChico.left = f.FrChico.top = 0;
    f.CdReducido_Estado.click();
    EXPECT_EQ(chico.pos(), placed);
}

TEST_F(SmallWindows, OnlyALeftClickOnTheTrayBringsTheWindowBack) {
    logic.Form_Load();
    logic.Form_Resize(true);
    EXPECT_FALSE(logic.form().window.visible);
    logic.Systray_MouseDown(2);
    EXPECT_FALSE(logic.form().window.visible);
    EXPECT_TRUE(logic.form().Systray.visible);
    logic.Systray_MouseDown(1);
    EXPECT_TRUE(logic.form().window.visible);
    EXPECT_FALSE(logic.form().Systray.visible);
}

TEST_F(SmallWindows, MessageWindowComesForwardWithNewTextsAndAClickDismissesIt) {
    MessageWindowView dialogo(logic.form().Dialogo);
    DialogoForm& d = logic.form().Dialogo;
    d.window.set(true, false);
    d.LbExpired.setCaption(QStringLiteral("first"));
    EXPECT_FALSE(dialogo.isHidden());
    d.LbExpired.setCaption(QStringLiteral("second"));
    EXPECT_EQ(dialogo.findChild<QLabel*>(QStringLiteral("LbExpired"))->text(),
              QStringLiteral("second"));

    QTest::mouseClick(dialogo.findChild<QLabel*>(QStringLiteral("LbDialogo")), Qt::LeftButton);
    EXPECT_FALSE(d.window.visible);
    EXPECT_TRUE(dialogo.isHidden());

    d.window.set(true, false);
    dialogo.findChild<QPushButton*>(QStringLiteral("CmAceptar"))->click();
    EXPECT_TRUE(dialogo.isHidden());
}
