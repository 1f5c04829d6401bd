#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "i18n/captions.h"
#include "ui/chart_view.h"
#include "ui/grid_view.h"
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
    for (int size : {16, 32, 48, 64}) {
        // Read as PNG outright: otherwise every image plug-in Qt has is loaded at start to
        // be asked whether it reads the file.
        QImageReader reader(QStringLiteral(":/icons/linktally-%1.png").arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        const QImage image = reader.read();
        if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

template <class Ui>
void setUpPage(QWidget* page) {
    Ui ui;
    ui.setupUi(page);
}

constexpr QSize kDefaultSize(780, 580);
}  // namespace

QRect MainWindow::placement(const QRect& saved, QSize minimum, const QList<QRect>& screens,
                            const QRect& primary) {
    // The screen the window was on, or the main one when that screen is gone.
    QRect screen = primary;
    if (saved.width() > 0)
        for (const QRect& s : screens)
            if (s.contains(saved.center())) screen = s;
    const QSize size = (saved.width() > 0 ? saved.size() : kDefaultSize)
                           .boundedTo(screen.size())
                           .expandedTo(minimum.boundedTo(screen.size()));
    QPoint at = saved.width() > 0
                    ? saved.topLeft()
                    : screen.topLeft() + QPoint((screen.width() - size.width()) / 2,
                                                (screen.height() - size.height()) / 2);
    // All of it on that screen.
    at.setX(std::clamp(at.x(), screen.left(), screen.right() + 1 - size.width()));
    at.setY(std::clamp(at.y(), screen.top(), screen.bottom() + 1 - size.height()));
    return {at, size};
}

void MainWindow::placeOnScreen() {
    const WindowState& s = logic_.form().window;
    QList<QRect> screens;
    for (const QScreen* sc : QGuiApplication::screens()) screens << sc->availableGeometry();
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QRect at = placement(QRect(s.left, s.top, s.width, s.height), minimumSize(), screens,
                               primary ? primary->availableGeometry() : QRect(0, 0, 800, 600));
    placing_ = true;
    resize(at.size());
    move(at.topLeft());
    placing_ = false;
}

void MainWindow::rememberPlace() {
    if (placing_ || !isVisible() || isMinimized() || isMaximized() || isFullScreen()) return;
    WindowState& s = logic_.form().window;
    s.left = pos().x();
    s.top = pos().y();
    s.width = width();
    s.height = height();
}

void MainWindow::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    rememberPlace();
}

void MainWindow::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    rememberPlace();
}

void MainWindow::bindKeys() {
    // Ctrl+Tab and Ctrl+PgDn from anywhere, the grid included, to the next tab that can
    // be shown; with Shift, or PgUp, back.
    auto cycle = [this](int step) {
        const int n = tabs_->count();
        for (int k = 1; k < n; ++k) {
            const int i = ((tabs_->currentIndex() + step * k) % n + n) % n;
            if (tabs_->isTabEnabled(i)) {
                tabs_->setCurrentIndex(i);
                return;
            }
        }
    };
    const std::pair<QKeySequence, int> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1}};
    for (const auto& [keySequence, step] : keys) {
        auto* shortcut = new QShortcut(keySequence, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [cycle, s = step] { cycle(s); });
    }
}

MainWindow::MainWindow(Configuracion& logic, bool trayAvailable, QWidget* parent)
    : QWidget(parent), logic_(logic), trayAvailable_(trayAvailable) {
    setObjectName(QStringLiteral("Configuracion"));
    setWindowIcon(appIcon());
    buildTabs();
    // The pages' controls wait for their pages.
    unbound_ = binder_.bind(logic_.form().registry, this);
    bindWindowState();
    bindTray();
    bindKeys();
    // Fits an 800 x 600 screen, and a 1280 x 800 one at twice the scale: the pages scroll.
    setMinimumSize(480, 320);
}

void MainWindow::bindGrid(QWidget* page) {
    auto* grid = page->findChild<GridView*>(QStringLiteral("MSFlexGrid_Estado"));
    if (!grid) return;
    grid_ = grid;
    // Once the layout has given the grid its height, or the last row shows cut.
    QTimer::singleShot(0, grid_, &GridView::scrollToBottom);
    // Wide enough for every caption in either language and for the texts below them.
    QHeaderView* header = grid_->horizontalHeader();
    const QFontMetrics fm(header->font());
    const auto captions = gridCaptions();
    constexpr const char* samples[] = {"00/00/0000", "00:00:00", "00:00:00", "00:00:00",
                                       "0000.00",    "00000.00", "000.0 MB", "000.0 MB"};
    static_assert(std::size(samples) == 8, "a sample for every column of the history");
    const int columns = std::min<int>(static_cast<int>(captions.size()), std::size(samples));
    for (int c = 0; c < columns; ++c) {
        const auto& e = captions[static_cast<size_t>(c)];
        const int text = std::max({fm.horizontalAdvance(QString::fromUtf8(e.english)),
                                   fm.horizontalAdvance(QString::fromUtf8(e.spanish)),
                                   fm.horizontalAdvance(QString::fromLatin1(samples[c]))});
        header->resizeSection(c, text + fm.averageCharWidth() + 14);
    }
    // Stored oldest first; the newest session is the one to see.
    header->setSortIndicatorShown(false);
    gridRows_ = logic_.form().MSFlexGrid_Estado.subscribeRows([this](Grid::Change c, int, int) {
        if (c == Grid::Change::EndAppend) grid_->scrollToBottom();
        if (c != Grid::Change::Sort) return;
        const Grid& g = logic_.form().MSFlexGrid_Estado;
        QHeaderView* h = grid_->horizontalHeader();
        h->setSortIndicatorShown(g.sortColumn() >= 0);
        if (g.sortColumn() >= 0)
            h->setSortIndicator(g.sortColumn(),
                                g.sortDescending() ? Qt::DescendingOrder : Qt::AscendingOrder);
    });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::Show) {
        if (watched == chartPlace_ && !chart_) buildChart();
        for (size_t i = 0; i < pages_.size(); ++i)
            if (watched == pages_[i].place && !pages_[i].built) buildPage(i);
    }
    return QWidget::eventFilter(watched, e);
}

void MainWindow::buildEveryPage() {
    for (size_t i = 0; i < pages_.size(); ++i)
        if (!pages_[i].built) buildPage(i);
}

void MainWindow::buildPage(size_t i) {
    Page& p = pages_[i];
    p.built = true;
    auto* page = new QWidget;
    p.setUp(page);
    unbound_ = binder_.bind(logic_.form().registry, page, unbound_);
    // Boxes that only show a value take a click (to copy it), not a Tab stop.
    for (QLineEdit* e : page->findChildren<QLineEdit*>())
        if (e->isReadOnly()) e->setFocusPolicy(Qt::ClickFocus);
    if (auto* icon = page->findChild<QLabel*>(QStringLiteral("LbIcono_AcercaDe")))
        icon->setPixmap(windowIcon().pixmap(64, 64));  // the icon files are read once
    if (auto* chart = page->findChild<QWidget*>(QStringLiteral("Grafica_Estadisticas"))) {
        chartPlace_ = chart;
        chartPlace_->installEventFilter(this);
    }
    bindGrid(page);
    // A small screen, or a large scale factor, scrolls the page rather than cutting it.
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    // No Tab stop of its own: Ctrl+Tab to a new page lands on the page's first control.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidget(page);
    p.place->layout()->addWidget(scroll);
    scroll->show();
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
    // Only the page on show is built: the others cost start-up time and memory that most
    // runs never use.
    for (void (*setUp)(QWidget*) :
         {&setUpPage<Ui::TabStatus>, &setUpPage<Ui::TabCost>, &setUpPage<Ui::TabConfiguration>,
          &setUpPage<Ui::TabStatistics>, &setUpPage<Ui::TabAbout>}) {
        // Its scroll area is made with the page: ten scroll bars are a good part of a start.
        auto* place = new QWidget(tabs_);
        (new QVBoxLayout(place))->setContentsMargins(0, 0, 0, 0);
        place->installEventFilter(this);
        tabs_->addTab(place, QString());  // captions come from the form
        pages_.push_back({place, setUp});
    }
    layout->addWidget(tabs_);
    // Why the settings are greyed during a session, under the tabs that hold them.
    auto* bloqueo = new QLabel(this);
    bloqueo->setObjectName(QStringLiteral("LbBloqueo"));
    bloqueo->setWordWrap(true);
    QFont italic = bloqueo->font();
    italic.setItalic(true);
    bloqueo->setFont(italic);
    layout->addWidget(bloqueo);
    resize(kDefaultSize);
}

void MainWindow::bindWindowState() {
    WindowState& state = logic_.form().window;
    subscriptions_.push_back(state.changed.subscribe([this, &state] {
        setWindowTitle(state.caption);
        if (state.visible && isHidden()) {
            if (!centred_) {
                // Where it was left, or centred, the first time it shows.
                placeOnScreen();
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
        tray_->setToolTip(state.extra.isEmpty() ? state.tip
                                                : state.tip + QLatin1Char('\n') + state.extra);
        if (state.ring != ringShown_) {
            ringShown_ = state.ring;
            tray_->setIcon(state.ring < 0 ? windowIcon() : iconWithRing(windowIcon(), state.ring));
        }
        tray_->setVisible(state.visible && trayAvailable_);
    };
    subscriptions_.push_back(state.changed.subscribe(sync));
    trayMenu_ = new QMenu(this);
    connect(trayMenu_->addAction(QString()), &QAction::triggered, this, [this] { restore(); });
    connect(trayMenu_->addAction(QString()), &QAction::triggered, this,
            &MainWindow::quitFromTrayRequested);
    tray_->setContextMenu(trayMenu_);
    translateTrayMenu();
    // The tab captions change with the language; so does the menu.
    subscriptions_.push_back(
        logic_.form().STabTiempos_Estado.subscribe([this] { translateTrayMenu(); }));
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

QIcon MainWindow::iconWithRing(const QIcon& base, double used) {
    // The allowance used, clockwise from the top: green, then amber, red once nearly gone.
    constexpr int kSize = 64;
    QPixmap pixmap = base.pixmap(kSize, kSize);
    if (pixmap.isNull()) {
        pixmap = QPixmap(kSize, kSize);
        pixmap.fill(Qt::transparent);
    }
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF ring(5, 5, kSize - 10, kSize - 10);
    painter.setPen(QPen(QColor(0, 0, 0, 90), 8));
    painter.drawEllipse(ring);
    const QColor colour = used >= 0.95  ? QColor(0xd0, 0x30, 0x30)
                          : used >= 0.8 ? QColor(0xe0, 0x9a, 0x20)
                                        : QColor(0x2e, 0xa0, 0x4a);
    painter.setPen(QPen(colour, 8, Qt::SolidLine, Qt::FlatCap));
    painter.drawArc(ring, 90 * 16, -static_cast<int>(std::lround(used * 360 * 16)));
    painter.end();
    return QIcon(pixmap);
}

void MainWindow::translateTrayMenu() {
    const int code = logic_.estado().CodigoIdioma;
    const auto actions = trayMenu_->actions();
    actions[0]->setText(textIn(code, kTrayShow));
    actions[1]->setText(textIn(code, kTrayQuit));
}

void MainWindow::notify(const QString& text) {
    notify(QStringLiteral("LinkTally"), text);
}

void MainWindow::notify(const QString& title, const QString& text) {
    if (trayAvailable_) tray_->showMessage(title, text);
}

void MainWindow::hideDuringSession() {
    // The session goes on counting: out of the way, never closed.
    if (!trayAvailable_) {
        showMinimized();
        return;
    }
    logic_.Form_Resize(true);
    if (trayNoticeShown_) return;
    trayNoticeShown_ = true;
    notify(textIn(logic_.estado().CodigoIdioma, kTrayKeepsCounting));
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
            if (logic_.estado().Conectado) hideDuringSession();
            return;
        case CloseDecision::QuitProgram:
        case CloseDecision::CloseWindow:
            e->accept();
            emit quitRequested();
            return;
    }
}

}  // namespace lt
