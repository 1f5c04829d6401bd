#pragma once
// Message boxes that never wait: each one is opened with open() and the call returns.
// They come one after another in the order raised, and a message that is already on
// screen or waiting is not stacked again.
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <deque>

#include "platform/message_box.h"

namespace lt {

class QtMessageBox final : public QObject, public MessageBox {
    Q_OBJECT
  public:
    explicit QtMessageBox(QObject* parent = nullptr) : QObject(parent) {}
    // The window the boxes belong to (centred on it, modal to it only).
    void setWindow(QWidget* w) { window_ = w; }
    void show(Icon icon, const QString& title, const QString& text) override;
    void ask(const QString& title, const QString& text,
             std::function<void(bool yes)> answer) override;

    // The box on screen, if any, and how many wait behind it.
    QMessageBox* current() const { return open_; }
    int waiting() const { return static_cast<int>(queue_.size()); }

  private:
    struct Entry {
        Icon icon;
        QString title;
        QString text;
        std::function<void(bool)> answer;  // a question's
    };
    void enqueue(Entry e);
    void showNext();

    QPointer<QWidget> window_;
    QPointer<QMessageBox> open_;
    std::deque<Entry> queue_;
};

}  // namespace lt
