#pragma once
#include <QMessageBox>
#include <QWidget>

#include "platform/message_box.h"

namespace lt {

class QtMessageBox final : public MessageBox {
  public:
    explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* p) { parent_ = p; }
    void show(Icon icon, const QString& title, const QString& text) override {
        const auto qicon = icon == Icon::Critical  ? QMessageBox::Critical
                           : icon == Icon::Warning ? QMessageBox::Warning
                                                   : QMessageBox::Information;
        QMessageBox box(qicon, title, text, QMessageBox::Ok, parent_);
        box.exec();
    }

  private:
    QWidget* parent_;
};

}  // namespace lt
