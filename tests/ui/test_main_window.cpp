#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QBarCategoryAxis>
#include <QChart>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>

#include "app/configuracion.h"
#include "core/clock.h"
#include "support/widget_test.h"
#include "ui/chart_view.h"
#include "ui/main_window.h"

using namespace lt;

using MainWindowTest = test::WidgetTest;

TEST_F(MainWindowTest, EveryControlHasItsWidgetAndTheWidgetsFollowTheModel) {
    MainWindow window(logic);
    EXPECT_TRUE(window.unboundControls().isEmpty())
        << window.unboundControls().join(", ").toStdString();
    ASSERT_EQ(window.tabs()->count(), 5);
    logic.Form_Load();
    window.show();

    MainForm& f = logic.form();
    // Model to view: captions, texts, visibility, tab captions, grid header.
    EXPECT_EQ(window.tabs()->tabText(0), QStringLiteral("Status"));
    auto* estado = window.findChild<QLabel*>(QStringLiteral("LbTIEStadoE_Estado"));
    ASSERT_NE(estado, nullptr);
    EXPECT_EQ(estado->text(), QStringLiteral("DISCONNECTED"));
    f.TxTITiempoConexion_Estado.setText(QStringLiteral("27:15:03"));
    EXPECT_EQ(window.findChild<QLineEdit*>(QStringLiteral("TxTITiempoConexion_Estado"))->text(),
              QStringLiteral("27:15:03"));
    auto* grid = window.findChild<QTableView*>(QStringLiteral("MSFlexGrid_Estado"));
    ASSERT_NE(grid->model(), nullptr);
    QAbstractItemModelTester tester(grid->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(grid->model()->headerData(3, Qt::Horizontal).toString(),
              QStringLiteral("Connection Time:"));
    f.MSFlexGrid_Estado.appendRow({QStringLiteral("05/12/2026"), QStringLiteral("10:00:00")});
    EXPECT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(grid->model()->index(0, 0).data().toString(), QStringLiteral("05/12/2026"));
    f.MSFlexGrid_Estado.appendRow({QStringLiteral("06/12/2026"), QStringLiteral("11:00:00")});
    // A click on a caption sorts, newest first.
    grid->horizontalHeader()->sectionClicked(0);
    EXPECT_EQ(grid->model()->index(0, 0).data().toString(), QStringLiteral("06/12/2026"));
    f.MSFlexGrid_Estado.setRows({});
    EXPECT_EQ(grid->model()->rowCount(), 0);

    // View to model: typing, ticking, choosing.
    auto* iva = window.findChild<QLineEdit*>(QStringLiteral("TxImpuestos_Costo"));
    int changes = 0;
    f.TxImpuestos_Costo.Change = [&] { ++changes; };
    QTest::keyClicks(iva, QStringLiteral("21"));
    EXPECT_EQ(f.TxImpuestos_Costo.text(), iva->text());
    EXPECT_EQ(changes, 2);

    auto* reduccion = window.findChild<QCheckBox*>(QStringLiteral("CkReduccionCosto_Costo"));
    reduccion->click();
    EXPECT_EQ(f.CkReduccionCosto_Costo.value(), 1);
    reduccion->click();
    EXPECT_EQ(f.CkReduccionCosto_Costo.value(), 0);  // never grey from a click

    window.findChild<QRadioButton*>(QStringLiteral("OpCostoPorDia_Costo"))->click();
    EXPECT_EQ(logic.estado().AjusteCosto, QStringLiteral("D"));
    EXPECT_TRUE(f.FrCostoPorDia_Costo.visible());

    // Choosing Spanish in the list switches every caption at once.
    auto* idiomas = window.findChild<QListWidget*>(QStringLiteral("LsIdiomas"));
    QTest::mouseClick(idiomas->viewport(), Qt::LeftButton, {},
                      idiomas->visualItemRect(idiomas->item(1)).center());
    EXPECT_EQ(logic.estado().CodigoIdioma, 1);
    EXPECT_EQ(estado->text(), QStringLiteral("DESCONECTADO"));
    EXPECT_EQ(window.tabs()->tabText(3), QStringLiteral("Estadisticas"));

    // A hidden window is brought up to date when it is shown again, not on every change.
    auto* fecha = window.findChild<QLineEdit*>(QStringLiteral("TxISFecha_Estado"));
    window.hide();
    f.TxISFecha_Estado.setText(QStringLiteral("05/12/2026"));
    EXPECT_EQ(fecha->text(), QString());
    window.show();
    EXPECT_EQ(fecha->text(), QStringLiteral("05/12/2026"));

    // Guarded controls start locked.
    EXPECT_FALSE(window.findChild<QCheckBox*>(QStringLiteral("CkAbadonaAplicacion_Configuracion"))
                     ->isEnabled());
}

TEST_F(MainWindowTest, SwitchingTabsReachesTheModel) {
    MainWindow window(logic);
    logic.Form_Load();
    logic.form().OpLineal_Estadisticas.setValue(true);
    window.tabs()->setCurrentIndex(3);
    EXPECT_EQ(logic.form().STabTiempos_Estado.tab(), 3);
    EXPECT_TRUE(logic.form().OpBarras_Estadisticas.value());
}

TEST_F(MainWindowTest, TheChartIsBuiltOnTheFirstShowingOfItsTabWithTheDataAlreadyThere) {
    MainWindow window(logic);
    logic.Form_Load();
    window.show();
    EXPECT_EQ(window.chartView(), nullptr);
    Chart& model = logic.form().Grafica_Estadisticas;
    model.setPoints({{QStringLiteral("01/12/2026"), 30, 1.5, 1.5},
                     {QStringLiteral("02/12/2026"), 45, 2.25, 3.75}});
    model.setAxisMaxima(45, 3.75);

    window.tabs()->setCurrentIndex(3);
    ChartView* view = window.chartView();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->isVisible());
    QChart* chart = view->chart();
    const auto axes = chart->axes(Qt::Vertical);
    ASSERT_EQ(axes.size(), 2);
    EXPECT_DOUBLE_EQ(static_cast<QValueAxis*>(axes[0])->max(), 45);
    EXPECT_EQ(static_cast<QBarCategoryAxis*>(chart->axes(Qt::Horizontal)[0])->count(), 2);

    // Later data reaches the same view.
    window.tabs()->setCurrentIndex(0);
    window.tabs()->setCurrentIndex(3);
    EXPECT_EQ(window.chartView(), view);
    model.setPoints({{QStringLiteral("12/2026"), 75, 3.75, 3.75}});
    EXPECT_EQ(static_cast<QBarCategoryAxis*>(chart->axes(Qt::Horizontal)[0])->count(), 1);
}
