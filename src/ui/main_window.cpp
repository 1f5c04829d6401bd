#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "i18n/captions.h"
#include "ui/chart_view.h"
#include "ui_tab_about.h"
#include "ui_tab_configuration.h"
#include "ui_tab_cost.h"
#include "ui_tab_statistics.h"
#include "ui_tab_status.h"

namespace lt {

namespace {
// Up to 64 pixels: every size is decoded at start and sent to the X server, and menus,
// launchers and task switchers take the large ones from the installed icon theme.
QIcon appIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64})
        icon.addFile(QStringLiteral(":/icons/linktally-%1.png").arg(size), QSize(size, size));
    return icon;
}

template <class Ui>
QWidget* makePage(QTabWidget* tabs) {
    auto* page = new QWidget(tabs);
    Ui ui;
    ui.setupUi(page);
    tabs->addTab(page, page->windowTitle());
    return page;
}
}  // namespace

MainWindow::MainWindow(Configuracion& logic, bool trayAvailable, QWidget* parent)
    : QWidget(parent), logic_(logic), trayAvailable_(trayAvailable) {
    setObjectName(QStringLiteral("Configuracion"));
    setWindowIcon(appIcon());
    buildTabs();
    unbound_ = binder_.bind(logic_.form().registry, this);
    chartPlace_ = findChild<QWidget*>(QStringLiteral("Grafica_Estadisticas"));
    if (chartPlace_) chartPlace_->installEventFilter(this);
    bindWindowState();
    bindTray();
    bindGrid();
}

void MainWindow::bindGrid() {
    grid_ = findChild<QTableView*>(QStringLiteral("MSFlexGrid_Estado"));
    if (!grid_) return;
    // Wide enough for every caption in either language and for the texts below them.
    QHeaderView* header = grid_->horizontalHeader();
    const QFontMetrics fm(header->font());
    const auto captions = gridCaptions();
    const char* samples[] = {"00/00/0000", "00:00:00", "00:00:00",
                             "00:00:00",   "0000.00",  "00000.00"};
    for (int c = 0; c < static_cast<int>(captions.size()); ++c) {
        const auto& e = captions[static_cast<size_t>(c)];
        const int text = std::max({fm.horizontalAdvance(QString::fromUtf8(e.english)),
                                   fm.horizontalAdvance(QString::fromUtf8(e.spanish)),
                                   fm.horizontalAdvance(QString::fromLatin1(samples[c]))});
        header->resizeSection(c, text + 3 * fm.averageCharWidth() + 16);
    }
    // Stored oldest first; the newest session is the one to see.
    gridRows_ = logic_.form().MSFlexGrid_Estado.subscribeRows([this](Grid::Change c, int, int) {
        if (c == Grid::Change::EndAppend) grid_->scrollToBottom();
    });
}

void MainWindow::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!shownOnce_ && grid_) {
        shownOnce_ = true;
        grid_->scrollToBottom();
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
    if (watched == chartPlace_ && e->type() == QEvent::Show && !chart_) buildChart();
    return QWidget::eventFilter(watched, e);
}

void MainWindow::buildChart() {
    // The view draws whatever the model holds by now, and follows it from here on.
    chart_ = new ChartView(
        logic_.form().Grafica_Estadisticas, [this] { return logic_.estado().CodigoIdioma; },
        chartPlace_);
    if (chartPlace_->layout()) chartPlace_->layout()->addWidget(chart_);
    chart_->show();
}

void MainWindow::buildTabs() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("STabTiempos_Estado"));
    makePage<Ui::TabStatus>(tabs_);
    makePage<Ui::TabCost>(tabs_);
    makePage<Ui::TabConfiguration>(tabs_);
    makePage<Ui::TabStatistics>(tabs_);
    makePage<Ui::TabAbout>(tabs_);
    if (auto* icon = findChild<QLabel*>(QStringLiteral("LbIcono_AcercaDe")))
        icon->setPixmap(windowIcon().pixmap(64, 64));  // the icon files are read once
    layout->addWidget(tabs_);
    resize(780, 580);
}

void MainWindow::bindWindowState() {
    WindowState& state = logic_.form().window;
    subscriptions_.push_back(state.changed.subscribe([this, &state] {
        setWindowTitle(state.caption);
        if (state.visible && isHidden()) {
            if (!centred_ && screen()) {
                // Centred on first showing.
                move(screen()->availableGeometry().center() - rect().center());
                centred_ = true;
            }
            showNormal();
        } else if (!state.visible && !isHidden()) {
            hide();
        }
    }));
    setWindowTitle(state.caption);
}

void MainWindow::bindTray() {
    // Made also where no tray shows it, so that its activation is one path everywhere.
    tray_ = std::make_unique<QSystemTrayIcon>(windowIcon());
    TrayState& state = logic_.form().Systray;
    auto sync = [this, &state] {
        tray_->setToolTip(state.tip);
        tray_->setVisible(state.visible && trayAvailable_);
    };
    subscriptions_.push_back(state.changed.subscribe(sync));
    connect(tray_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason r) {
                // Only the left button brings the window back.
                if (r == QSystemTrayIcon::Trigger) {
                    logic_.Systray_MouseDown(1);
                    restore();
                }
            });
    sync();
}

void MainWindow::restore() {
    logic_.form().window.set(true, false);
    if (isHidden() || isMinimized()) showNormal();
    logic_.Form_Resize(false);
    raise();
    activateWindow();
}

void MainWindow::changeEvent(QEvent* e) {
    if (e->type() == QEvent::WindowStateChange) {
        // Without a tray the window minimises normally, as there would be no way back.
        if (isMinimized() && trayAvailable_)
            logic_.Form_Resize(true);
        else if (!isMinimized())
            logic_.Form_Resize(false);
    }
    QWidget::changeEvent(e);
}

bool MainWindow::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) logic_.Form_Activate();
    return QWidget::event(e);
}

void MainWindow::closeEvent(QCloseEvent* e) {
    switch (logic_.Form_Unload()) {
        case CloseDecision::Refused:
            e->ignore();
            return;
        case CloseDecision::QuitProgram:
        case CloseDecision::CloseWindow:
            e->accept();
            emit quitRequested();
            return;
    }
}

}  // namespace lt
