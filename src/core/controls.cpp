#include "core/controls.h"

#include <algorithm>

namespace lt {

Control::Control(ControlRegistry& registry, QString name, Kind kind)
    : name_(std::move(name)), kind_(kind) {
    registry.add(this);
}

void Control::setEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    notify();
}

void Control::setVisible(bool on) {
    if (on == visible_) return;
    visible_ = on;
    notify();
}

void Control::setToolTip(const QString& t) {
    if (t == toolTip_) return;
    toolTip_ = t;
    notify();
}

void Control::setSuffix(const QString& s) {
    if (s == suffix_) return;
    suffix_ = s;
    notify();
}

void Control::setLockReason(const QString& r) {
    if (r == lockReason_) return;
    lockReason_ = r;
    notify();
}

void CaptionedControl::setCaption(const QString& c) {
    if (c == caption_) return;
    caption_ = c;
    notify();
}

void CaptionedControl::setForeColor(int c) {
    if (c == foreColor_) return;
    foreColor_ = c;
    notify();
}

void TextBox::setText(const QString& t) {
    if (t == text_) return;
    text_ = t;
    notify();
    if (Change) Change();
}

void CheckBox::setValue(int v) {
    if (v < 0 || v > 2) v = 0;
    if (v == value_) return;
    value_ = v;
    notify();
    if (Click) Click();
}

void OptionButton::setValue(bool v) {
    if (!v) {
        if (value_) {
            value_ = false;
            notify();
        }
        return;
    }
    for (OptionButton* other : group_)
        if (other != this) other->setValue(false);
    const bool changed = !value_;
    value_ = true;
    if (changed) notify();
    // Selecting an option raises its Click even when it was already selected.
    if (Click) Click();
}

void ListControl::clear() {
    items_.clear();
    index_ = -1;
    notify();
}

void ListControl::addItem(const QString& s) {
    items_.append(s);
    notify();
}

void ListControl::setListIndex(int i) {
    if (i < -1 || i >= items_.size()) i = -1;
    if (i == index_) return;
    index_ = i;
    notify();
    if (Click) Click();
}

void ProgressBar::setMin(int v) {
    if (v == min_) return;
    min_ = v;
    value_ = std::max(value_, min_);
    notify();
}

void ProgressBar::setMax(int v) {
    if (v == max_) return;
    max_ = v;
    value_ = std::min(value_, max_);
    notify();
}

bool ProgressBar::setValue(int v) {
    if (v < min_ || v > max_) return false;
    if (v != value_) {
        value_ = v;
        notify();
    }
    return true;
}

void Animation::load(const QString& f) {
    if (f == file_) return;
    file_ = f;
    notify();
}

void Animation::play() {
    if (playing_) return;
    playing_ = true;
    notify();
}

void Animation::stop() {
    if (!playing_) return;
    playing_ = false;
    notify();
}

void DatePicker::setValue(double v) {
    if (v == value_) return;
    value_ = v;
    notify();
}

TabControl::TabControl(ControlRegistry& r, QString name, int tabs)
    : Control(r, std::move(name), Kind::TabControl),
      captions_(static_cast<size_t>(tabs)),
      enabled_(static_cast<size_t>(tabs), true) {}

void TabControl::setTab(int t) {
    if (t < 0 || t >= count() || t == tab_) return;
    const int previous = tab_;
    tab_ = t;
    notify();
    if (Click) Click(previous);
}

void TabControl::setTabEnabled(int t, bool on) {
    if (t < 0 || t >= count() || enabled_[static_cast<size_t>(t)] == on) return;
    enabled_[static_cast<size_t>(t)] = on;
    notify();
}

void TabControl::setTabCaption(int t, const QString& c) {
    if (t < 0 || t >= count() || captions_[static_cast<size_t>(t)] == c) return;
    captions_[static_cast<size_t>(t)] = c;
    notify();
}

void ControlRegistry::add(Control* c) {
    byName_[c->name().toLower()] = c;
    ordered_.push_back(c);
}

Control* ControlRegistry::find(const QString& name) const {
    auto it = byName_.find(name.toLower());
    return it == byName_.end() ? nullptr : it->second;
}

}  // namespace lt
