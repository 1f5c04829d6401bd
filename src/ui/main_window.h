#pragma once
// The main window `Configuracion`: the five tab forms in the tab control, bound to the
// form model, with the tray icon that stands in for it while minimised.
#include <QSystemTrayIcon>
#include <QWidget>
#include <memory>
#include <vector>

#include "app/configuracion.h"
#include "ui/binder.h"

class QMenu;
class QTabWidget;

namespace lt {
class ChartView;
class GridView;
}  // namespace lt

namespace lt {

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    // trayAvailable: a tray shows the icon, so minimising can hide the window behind it.
    MainWindow(Configuracion& logic, bool trayAvailable, QWidget* parent = nullptr);

    // Brings the window back from the tray or from behind other windows.
    void restore();
    // The controls without a widget on the pages built so far and around them.
    QStringList unboundControls() const { return unbound_; }
    QTabWidget* tabs() const { return tabs_; }
    // Built the first time the Statistics tab is shown: a chart costs a third of the
    // start-up and most users look at it seldom.
    ChartView* chartView() const { return chart_; }
    QSystemTrayIcon* trayIcon() const { return tray_.get(); }
    GridView* grid() const { return grid_; }
    // A page is built the first time it shows; this builds the rest now.
    void buildEveryPage();
    // Where the window opens: where it was left, all of it on the screen it was on (the
    // main screen when that one is gone), never larger than that screen; centred on the
    // main screen the first time.
    static QRect placement(const QRect& saved, QSize minimum, const QList<QRect>& screens,
                           const QRect& primary);

  signals:
    // Closing was allowed: the program ends.
    void quitRequested();
    // "Quit" in the tray icon's menu.
    void quitFromTrayRequested();

  public:
    // Says in the tray why the program stays (a notification, or the tray's balloon).
    // The icon with a ring of the allowance used (0..1).
    static QIcon iconWithRing(const QIcon& base, double used);
    void notify(const QString& text);
    void notify(const QString& title, const QString& text);

  protected:
    void changeEvent(QEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void buildTabs();
    void bindWindowState();
    void bindTray();
    void buildChart();
    void bindGrid(QWidget* page);
    void buildPage(size_t i);
    void hideDuringSession();
    void bindKeys();
    void placeOnScreen();
    void rememberPlace();
    void translateTrayMenu();

    Configuracion& logic_;
    bool trayAvailable_;
    QTabWidget* tabs_ = nullptr;
    struct Page {
        QWidget* place;  // what the tab shows: empty until the page is built
        void (*setUp)(QWidget*);
        bool built = false;
    };
    std::vector<Page> pages_;
    QWidget* chartPlace_ = nullptr;
    ChartView* chart_ = nullptr;
    Binder binder_;
    QStringList unbound_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    GridView* grid_ = nullptr;
    std::vector<Notifier<>::Subscription> subscriptions_;
    Notifier<Grid::Change, int, int>::Subscription gridRows_;
    bool centred_ = false;
    bool trayNoticeShown_ = false;
    double ringShown_ = -1;
    bool placing_ = false;
    QMenu* trayMenu_ = nullptr;
};

}  // namespace lt
