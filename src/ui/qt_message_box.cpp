#include "ui/qt_message_box.h"

#include <algorithm>
#include <cstdio>
#include <functional>

namespace lt {

void QtMessageBox::show(Icon icon, const QString& title, const QString& text) {
    // Trouble with the user's files also goes to standard error, where a session's log or
    // a terminal keeps it after the box is gone.
    if (icon == Icon::Warning)
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    enqueue({icon, title, text, {}});
}

void QtMessageBox::ask(const QString& title, const QString& text,
                       std::function<void(bool yes)> answer) {
    enqueue({Icon::Question, title, text, std::move(answer)});
}

void QtMessageBox::enqueue(Entry e) {
    if (open_ && open_->text() == e.text) return;
    if (std::any_of(queue_.begin(), queue_.end(), [&](const Entry& q) { return q.text == e.text; }))
        return;
    queue_.push_back(std::move(e));
    if (!open_) showNext();
}

void QtMessageBox::showNext() {
    if (queue_.empty()) return;
    const Entry e = queue_.front();
    queue_.pop_front();
    const auto qicon = e.icon == Icon::Critical   ? QMessageBox::Critical
                       : e.icon == Icon::Warning  ? QMessageBox::Warning
                       : e.icon == Icon::Question ? QMessageBox::Question
                                                  : QMessageBox::Information;
    const auto buttons = e.answer ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok;
    auto* box = new QMessageBox(qicon, e.title, e.text, buttons, window_);
    if (e.answer) box->setDefaultButton(QMessageBox::No);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QDialog::finished, this, [this, box, answer = e.answer](int result) {
        if (open_ == box) open_ = nullptr;
        if (answer) answer(result == QMessageBox::Yes);
        showNext();
    });
    open_ = box;
    box->open();
}

}  // namespace lt
