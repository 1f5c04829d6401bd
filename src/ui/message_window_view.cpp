#include "ui/message_window_view.h"

#include <QCloseEvent>
#include <QGuiApplication>
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
    model_.window.observer = [this] { follow(); };
    follow();
}

MessageWindowView::~MessageWindowView() {
    model_.window.observer = nullptr;
}

void MessageWindowView::follow() {
    setWindowTitle(model_.window.caption);
    if (model_.window.visible) {
        if (isHidden()) {
            adjustSize();
            if (const QScreen* s = QGuiApplication::primaryScreen())
                move(s->availableGeometry().center() - rect().center());
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
