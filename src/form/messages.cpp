#include "form/messages.h"

#include "form/estado_monitor.h"

namespace lt {

void Messages::show(MessageBox::Icon icon, const Bilingual& text, const QString& detail) {
    Held m{icon, text, detail};
    if (!holding_) {
        present(m);
        return;
    }
    // One of each: a condition met twice while loading is still one message.
    for (const Held& h : held_)
        if (h.icon == icon && h.text.english == text.english && h.detail == detail) return;
    held_.push_back(std::move(m));
}

void Messages::ask(const Bilingual& text, std::function<void(bool yes)> answer) {
    box_.ask(QString::fromUtf8(kAppTitle), textIn(estado_.CodigoIdioma, text), std::move(answer));
}

void Messages::release() {
    holding_ = false;
    const std::vector<Held> held = std::move(held_);
    held_.clear();
    for (const Held& m : held) present(m);
}

void Messages::present(const Held& m) {
    QString text = QString::fromUtf8(pickText(estado_.CodigoIdioma, m.text));
    if (text.contains(QLatin1String("%1"))) text = text.arg(m.detail);
    box_.show(m.icon, QString::fromUtf8(kAppTitle), text);
}

}  // namespace lt
