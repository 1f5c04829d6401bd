#include "ui/compact_window_view.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include "ui_compact_window.h"

namespace lt {

CompactWindowView::CompactWindowView(Configuracion& logic, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), logic_(logic) {
    Ui::CompactWindow ui;
    ui.setupUi(this);
    binder_.bind(logic_.form().FrChico.registry, this);
    window_ = logic_.form().FrChico.window.changed.subscribe([this] { follow(); });
    follow();
}

QPoint CompactWindowView::twipsToPixels(float left, float top, double dpi) {
    return {qRound(left * dpi / 1440.0), qRound(top * dpi / 1440.0)};
}

void CompactWindowView::pixelsToTwips(QPoint p, double dpi, float& left, float& top) {
    left = static_cast<float>(p.x() * 1440.0 / dpi);
    top = static_cast<float>(p.y() * 1440.0 / dpi);
}

QPoint CompactWindowView::keepOnScreen(QPoint wanted, QSize size, const QList<QRect>& screens,
                                       const QRect& primary) {
    const QRect frame(wanted, size);
    for (const QRect& s : screens)
        if (s.intersects(frame) && s.intersected(frame).width() >= std::min(40, size.width()))
            return wanted;
    return primary.topLeft() + QPoint(20, 20);
}

double CompactWindowView::dpi() const {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInch() : 96.0;
}

void CompactWindowView::follow() {
    const FrChicoForm& chico = logic_.form().FrChico;
    setWindowTitle(chico.window.caption);
    if (chico.window.visible && isHidden()) {
        QList<QRect> screens;
        for (const QScreen* s : QGuiApplication::screens()) screens << s->availableGeometry();
        const QScreen* primary = QGuiApplication::primaryScreen();
        placing_ = true;
        move(keepOnScreen(twipsToPixels(chico.left, chico.top, dpi()), size(), screens,
                          primary ? primary->availableGeometry() : QRect(0, 0, 800, 600)));
        placing_ = false;
        show();
        raise();
    } else if (!chico.window.visible && !isHidden()) {
        hide();
    }
}

void CompactWindowView::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    if (placing_ || isHidden()) return;
    FrChicoForm& chico = logic_.form().FrChico;
    pixelsToTwips(pos(), dpi(), chico.left, chico.top);
}

void CompactWindowView::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(e);
}

void CompactWindowView::closeEvent(QCloseEvent* e) {
    FrChicoForm& chico = logic_.form().FrChico;
    pixelsToTwips(pos(), dpi(), chico.left, chico.top);
    logic_.FrChico_Form_Unload();
    e->accept();
}

}  // namespace lt
