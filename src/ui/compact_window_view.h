#pragma once
// The compact always-on-top window: the running time and cost, and the animation.
#include <QWidget>

#include "app/configuracion.h"
#include "ui/binder.h"

namespace lt {

class CompactWindowView : public QWidget {
    Q_OBJECT
  public:
    explicit CompactWindowView(Configuracion& logic, QWidget* parent = nullptr);

    // Twips (1440 per inch) to pixels and back at this screen's logical resolution.
    static QPoint twipsToPixels(float left, float top, double dpi);
    static void pixelsToTwips(QPoint p, double dpi, float& left, float& top);
    // A stored position off every screen (a monitor unplugged) comes back on the
    // primary one.
    static QPoint keepOnScreen(QPoint wanted, QSize size, const QList<QRect>& screens,
                               const QRect& primary);

  protected:
    void closeEvent(QCloseEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    void follow();
    double dpi() const;

    Configuracion& logic_;
    Binder binder_;
    Notifier<>::Subscription window_;
    bool placing_ = false;
};

}  // namespace lt
