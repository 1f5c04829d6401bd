#pragma once
// Binds every control model of a registry to the widget of the same objectName: the
// model's state is pushed to the widget on every change, and the user's input goes back
// to the model, which raises the control's own events.
#include <QObject>
#include <QString>
#include <QStringList>

#include "core/controls.h"

class QWidget;

namespace lt {

class Binder : public QObject {
    Q_OBJECT
  public:
    explicit Binder(QObject* parent = nullptr) : QObject(parent) {}
    // Binds the controls found under root; returns the names without a widget.
    QStringList bind(ControlRegistry& registry, QWidget* root);

  private:
    void bindControl(Control& c, QWidget* w);
};

}  // namespace lt
