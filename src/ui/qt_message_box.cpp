#include "ui/qt_message_box.h"

#include <algorithm>
#include <cstdio>

namespace lt {

void QtMessageBox::show(Icon icon, const QString& title, const QString& text) {
    // Trouble with the user's files also goes to standard error, where a session's log or
    // a terminal keeps it after the box is gone.
    if (icon == Icon::Warning)
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    if (open_ && open_->text() == text) return;
    if (std::any_of(queue_.begin(), queue_.end(), [&](const Entry& e) { return e.text == text; }))
        return;
    queue_.push_back({icon, title, text});
    if (!open_) showNext();
}

void QtMessageBox::showNext() {
    if (queue_.empty()) return;
    const Entry e = queue_.front();
    queue_.pop_front();
    const auto qicon = e.icon == Icon::Critical  ? QMessageBox::Critical
                       : e.icon == Icon::Warning ? QMessageBox::Warning
                                                 : QMessageBox::Information;
    auto* box = new QMessageBox(qicon, e.title, e.text, QMessageBox::Ok, window_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QDialog::finished, this, [this, box] {
        if (open_ == box) open_ = nullptr;
        showNext();
    });
    open_ = box;
    box->open();
}

}  // namespace lt
