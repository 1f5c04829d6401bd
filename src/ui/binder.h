#pragma once
// Binds every control model of a registry to the widget of the same objectName: the
// model's state is pushed to the widget on every change, and the user's input goes back
// to the model, which raises the control's own events.
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <unordered_map>
#include <vector>

#include "core/controls.h"

class QWidget;

namespace lt {

class Binder : public QObject {
    Q_OBJECT
  public:
    explicit Binder(QObject* parent = nullptr) : QObject(parent) {}
    // Binds the controls found under root; returns the names without a widget.
    QStringList bind(ControlRegistry& registry, QWidget* root);
    // The same for the controls named (a page built later binds what is still unbound).
    QStringList bind(ControlRegistry& registry, QWidget* root, const QStringList& names);
    // Brings the widgets up to date now, also while the window is hidden (before it is
    // sized for its texts).
    void flush();

  protected:
    bool eventFilter(QObject* o, QEvent* e) override;

  private:
    void bindControl(Control& c, QWidget* w);
    // Pushes a control's state now, or when the window is shown again: a window hidden
    // in the tray repaints nothing and lays out nothing once a second.
    // A control that asks for the focus gets it on the widget.
    void watch(Control& c, QWidget* w, std::function<void()> sync);

    QWidget* root_ = nullptr;
    std::unordered_map<Control*, std::function<void()>> pending_;
    std::vector<Control::Subscription> subscriptions_;
};

}  // namespace lt
