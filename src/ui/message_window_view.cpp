#include "ui/message_window_view.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

#include "ui_message_window.h"

namespace lt {

MessageWindowView::MessageWindowView(DialogoForm& model, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), model_(model) {
    Ui::MessageWindow ui;
    ui.setupUi(this);
    // Clicks on the texts dismiss the window as clicks on its background do.
    for (QLabel* l : findChildren<QLabel*>()) l->installEventFilter(this);
    binder_.bind(model_.registry, this);
    subscriptions_.push_back(model_.window.changed.subscribe([this] { follow(); }));
    // The binder has pushed a new text by the time these run.
    for (Label* l : {&model_.LbExpired, &model_.LbDialogo})
        subscriptions_.push_back(l->subscribe([this] {
            if (isVisible()) fitTexts();
        }));
    follow();
}

void MessageWindowView::fitTexts() {
    // Word-wrapped texts need the height that goes with the width, not the size the
    // window had before they were set.
    adjustSize();
    if (const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

void MessageWindowView::follow() {
    setWindowTitle(model_.window.caption);
    if (model_.window.visible) {
        if (isHidden()) {
            binder_.flush();
            fitTexts();
        }
        show();
        raise();
        activateWindow();
    } else if (!isHidden()) {
        hide();
    }
}

void MessageWindowView::dismiss() {
    model_.window.set(false, false);
}

void MessageWindowView::mousePressEvent(QMouseEvent* e) {
    QWidget::mousePressEvent(e);
    dismiss();
}

void MessageWindowView::mouseDoubleClickEvent(QMouseEvent* e) {
    QWidget::mouseDoubleClickEvent(e);
    dismiss();
}

void MessageWindowView::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        dismiss();
        return;
    }
    QWidget::keyPressEvent(e);
}

bool MessageWindowView::eventFilter(QObject* o, QEvent* e) {
    if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick)
        dismiss();
    return QWidget::eventFilter(o, e);
}

void MessageWindowView::closeEvent(QCloseEvent* e) {
    dismiss();
    e->accept();
}

}  // namespace lt
