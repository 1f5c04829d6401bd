#include "ui/binder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QMovie>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>

#include <memory>

#include "core/grid.h"
#include "core/ole_date.h"
#include "ui/grid_table_model.h"
#include "ui/grid_view.h"
#include "ui/mnemonics.h"

namespace lt {

namespace {

void syncCommon(const Control& c, QWidget* w) {
    w->setEnabled(c.enabled());
    // A disabled control says why first; Qt shows tool tips on disabled widgets too.
    QString tip = c.toolTip();
    if (!c.enabled() && !c.lockReason().isEmpty())
        tip = tip.isEmpty() ? c.lockReason() : c.lockReason() + QStringLiteral("\n") + tip;
    if (w->toolTip() != tip) w->setToolTip(tip);
    // Only explicit hiding is pushed: a widget on a hidden tab must not be forced visible.
    w->setVisible(c.visible());
}

// 0 is the colour the label inherits. A palette rather than a style sheet: a style sheet
// gives its widget a style of its own, parsed and polished at every start. A greyed label
// keeps its colour, so the period the charts show stays marked while they are locked.
void setTextColor(QLabel* label, int bgr) {
    QPalette palette;
    if (bgr != 0)
        palette.setColor(QPalette::WindowText,
                         QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF));
    label->setPalette(palette);
}

// Clicks and double clicks on a label that acts as a button.
class LabelClicks : public QObject {
  public:
    LabelClicks(Label& model, QObject* parent) : QObject(parent), model_(model) {}
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonRelease && model_.enabled() && model_.Click)
            model_.Click();
        else if (e->type() == QEvent::MouseButtonDblClick && model_.enabled() && model_.DblClick)
            model_.DblClick();
        return QObject::eventFilter(o, e);
    }

  private:
    Label& model_;
};

// Plays the animation only while its label is on screen, so a hidden window decodes
// no frames.
class AnimationView : public QObject {
  public:
    AnimationView(Animation& model, QLabel* label) : QObject(label), model_(model), label_(label) {
        label->installEventFilter(this);
        label->window()->installEventFilter(this);
    }
    void sync() {
        syncCommon(model_, label_);
        if (model_.file() != loaded_) {
            loaded_ = model_.file();
            movie_.reset();
            label_->clear();
            if (!loaded_.isEmpty()) {
                movie_ = std::make_unique<QMovie>(loaded_);
                movie_->setCacheMode(QMovie::CacheAll);
                label_->setMovie(movie_.get());
                movie_->jumpToFrame(0);
            }
        }
        update();
    }
    bool eventFilter(QObject* o, QEvent* e) override {
        const auto t = e->type();
        if (t == QEvent::Show || t == QEvent::Hide || t == QEvent::WindowStateChange) update();
        return QObject::eventFilter(o, e);
    }

  private:
    void update() {
        if (!movie_) return;
        const bool run =
            model_.playing() && label_->isVisible() && !label_->window()->isMinimized();
        if (run && movie_->state() != QMovie::Running) movie_->start();
        if (!run && movie_->state() == QMovie::Running) movie_->setPaused(true);
    }
    Animation& model_;
    QLabel* label_;
    QString loaded_;
    std::unique_ptr<QMovie> movie_;
};

}  // namespace

void Binder::watch(Control& c, QWidget* w, std::function<void()> sync) {
    auto focusSeen = std::make_shared<int>(c.focusRequests());
    auto update = [&c, w, sync = std::move(sync), focusSeen] {
        sync();
        if (c.focusRequests() != *focusSeen) {
            *focusSeen = c.focusRequests();
            w->setFocus(Qt::OtherFocusReason);
        }
    };
    subscriptions_.push_back(c.subscribe([this, &c, update] {
        if (root_ && !root_->isVisible())
            pending_[&c] = update;
        else
            update();
    }));
}

void Binder::flush() {
    auto pending = std::move(pending_);
    pending_.clear();
    for (auto& [control, sync] : pending) sync();
}

bool Binder::eventFilter(QObject* o, QEvent* e) {
    if (o == root_ && e->type() == QEvent::Show && !pending_.empty()) flush();
    return QObject::eventFilter(o, e);
}

QStringList Binder::bind(ControlRegistry& registry, QWidget* root) {
    QStringList names;
    for (const Control* c : registry.all()) names << c->name();
    return bind(registry, root, names);
}

QStringList Binder::bind(ControlRegistry& registry, QWidget* root, const QStringList& names) {
    if (!root_) {
        root_ = root->window();
        root_->installEventFilter(this);
    }
    QStringList missing;
    for (const QString& name : names) {
        Control* c = registry.find(name);
        QWidget* w = !c                           ? nullptr
                     : root->objectName() == name ? root
                                                  : root->findChild<QWidget*>(name);
        if (!w) {
            missing << name;
            continue;
        }
        bindControl(*c, w);
    }
    return missing;
}

void Binder::bindControl(Control& c, QWidget* w) {
    using K = Control::Kind;
    switch (c.kind()) {
        case K::TextBox:
            if (auto* e = qobject_cast<QLineEdit*>(w)) {
                auto& m = static_cast<TextBox&>(c);
                auto sync = [&m, e] {
                    syncCommon(m, e);
                    const QString shown = m.text() + m.suffix();
                    if (e->text() != shown) {
                        const QSignalBlocker block(e);
                        e->setText(shown);
                    }
                };
                watch(m, e, sync);
                connect(e, &QLineEdit::textEdited, this, [&m](const QString& t) { m.setText(t); });
                connect(e, &QLineEdit::returnPressed, this, [&m] {
                    if (m.Enter) m.Enter();
                });
                sync();
            }
            break;
        case K::Label:
            if (auto* l = qobject_cast<QLabel*>(w)) {
                auto& m = static_cast<Label&>(c);
                auto sync = [&m, l, color = std::make_shared<int>(0)] {
                    syncCommon(m, l);
                    l->setText(m.caption() + m.suffix());
                    if (m.foreColor() != *color) setTextColor(l, *color = m.foreColor());
                };
                watch(m, l, sync);
                l->installEventFilter(new LabelClicks(m, l));
                sync();
            }
            break;
        case K::Frame:
            if (auto* g = qobject_cast<QGroupBox*>(w)) {
                auto& m = static_cast<Frame&>(c);
                auto sync = [&m, g] {
                    syncCommon(m, g);
                    g->setTitle(m.caption());
                };
                watch(m, g, sync);
                sync();
            }
            break;
        case K::CommandButton:
            if (auto* b = qobject_cast<QPushButton*>(w)) {
                auto& m = static_cast<CommandButton&>(c);
                auto sync = [&m, b] {
                    syncCommon(m, b);
                    b->setText(withMnemonic(m.name(), m.caption()));
                };
                watch(m, b, sync);
                connect(b, &QPushButton::clicked, this, [&m] { m.click(); });
                sync();
            }
            break;
        case K::CheckBox:
            if (auto* b = qobject_cast<QCheckBox*>(w)) {
                auto& m = static_cast<CheckBox&>(c);
                auto sync = [&m, b] {
                    syncCommon(m, b);
                    b->setText(withMnemonic(m.name(), m.caption()));
                    const QSignalBlocker block(b);
                    b->setCheckState(m.value() == 1   ? Qt::Checked
                                     : m.value() == 2 ? Qt::PartiallyChecked
                                                      : Qt::Unchecked);
                };
                watch(m, b, sync);
                // A user's click ticks or clears; only the program sets the grey state.
                connect(b, &QCheckBox::clicked, this, [&m, sync] {
                    m.setValue(m.value() == 1 ? 0 : 1);
                    sync();
                });
                sync();
            }
            break;
        case K::OptionButton:
            if (auto* r = qobject_cast<QRadioButton*>(w)) {
                auto& m = static_cast<OptionButton&>(c);
                auto sync = [&m, r] {
                    syncCommon(m, r);
                    r->setText(withMnemonic(m.name(), m.caption()));
                    const QSignalBlocker block(r);
                    r->setChecked(m.value());
                };
                watch(m, r, sync);
                connect(r, &QRadioButton::clicked, this, [&m] { m.setValue(true); });
                sync();
            }
            break;
        case K::ComboBox:
            if (auto* cb = qobject_cast<QComboBox*>(w)) {
                auto& m = static_cast<ListControl&>(c);
                auto sync = [&m, cb] {
                    syncCommon(m, cb);
                    const QSignalBlocker block(cb);
                    QStringList now;
                    for (int i = 0; i < cb->count(); ++i) now << cb->itemText(i);
                    if (now != m.items()) {
                        cb->clear();
                        cb->addItems(m.items());
                    }
                    cb->setCurrentIndex(m.listIndex());
                };
                watch(m, cb, sync);
                connect(cb, &QComboBox::activated, this, [&m](int i) { m.setListIndex(i); });
                sync();
            }
            break;
        case K::ListBox:
            if (auto* lw = qobject_cast<QListWidget*>(w)) {
                auto& m = static_cast<ListControl&>(c);
                auto sync = [&m, lw] {
                    syncCommon(m, lw);
                    const QSignalBlocker block(lw);
                    QStringList now;
                    for (int i = 0; i < lw->count(); ++i) now << lw->item(i)->text();
                    if (now != m.items()) {
                        lw->clear();
                        lw->addItems(m.items());
                    }
                    lw->setCurrentRow(m.listIndex());
                };
                watch(m, lw, sync);
                connect(lw, &QListWidget::itemClicked, this,
                        [&m, lw](QListWidgetItem* item) { m.setListIndex(lw->row(item)); });
                sync();
            }
            break;
        case K::ProgressBar:
            if (auto* p = qobject_cast<QProgressBar*>(w)) {
                auto& m = static_cast<ProgressBar&>(c);
                auto sync = [&m, p] {
                    syncCommon(m, p);
                    p->setRange(m.min(), std::max(m.min(), m.max()));
                    p->setValue(m.value());
                };
                watch(m, p, sync);
                sync();
            }
            break;
        case K::Animation:
            if (auto* l = qobject_cast<QLabel*>(w)) {
                auto* view = new AnimationView(static_cast<Animation&>(c), l);
                watch(c, l, [view] { view->sync(); });
                view->sync();
            }
            break;
        case K::DatePicker:
            if (auto* d = qobject_cast<QDateEdit*>(w)) {
                auto& m = static_cast<DatePicker&>(c);
                auto sync = [&m, d] {
                    syncCommon(m, d);
                    const QSignalBlocker block(d);
                    d->setDate(oleToDate(m.value()));
                };
                watch(m, d, sync);
                connect(d, &QDateEdit::userDateChanged, this,
                        [&m](const QDate& date) { m.setValue(oleFromDate(date)); });
                sync();
            }
            break;
        case K::TabControl:
            if (auto* t = qobject_cast<QTabWidget*>(w)) {
                auto& m = static_cast<TabControl&>(c);
                auto sync = [&m, t] {
                    t->setEnabled(m.enabled());
                    const QSignalBlocker block(t);
                    for (int i = 0; i < std::min(m.count(), t->count()); ++i) {
                        t->setTabText(i, withMnemonic(m.name(), m.tabCaption(i)));
                        t->setTabEnabled(i, m.tabEnabled(i));
                    }
                    t->setCurrentIndex(m.tab());
                };
                watch(m, t, sync);
                connect(t, &QTabWidget::currentChanged, this, [&m](int i) { m.setTab(i); });
                sync();
            }
            break;
        case K::Grid:
            if (auto* v = qobject_cast<GridView*>(w)) {
                auto& m = static_cast<Grid&>(c);
                v->setModel(new GridTableModel(m, v));
                connect(v->horizontalHeader(), &QHeaderView::sectionClicked, this, [&m](int col) {
                    if (m.CaptionClick) m.CaptionClick(col);
                });
                auto sync = [&m, v] { syncCommon(m, v); };
                watch(m, v, sync);
                sync();
            }
            break;
        case K::Chart:
            break;
    }
}

}  // namespace lt
