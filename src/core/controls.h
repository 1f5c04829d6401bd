#pragma once
// Headless models of the window's controls. Each carries the control's own name,
// notifies its subscribers (the views) on any change, and raises its own events (Change,
// Click) to the form logic the way the controls do when the program sets them.
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <vector>

#include "core/notifier.h"

namespace lt {

class ControlRegistry;

class Control {
  public:
    enum class Kind {
        TextBox,
        Label,
        CheckBox,
        OptionButton,
        CommandButton,
        Frame,
        ComboBox,
        ListBox,
        ProgressBar,
        Animation,
        DatePicker,
        TabControl,
        Grid,
        Chart
    };
    Control(ControlRegistry& registry, QString name, Kind kind);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const QString& name() const { return name_; }
    Kind kind() const { return kind_; }
    bool enabled() const { return enabled_; }
    bool visible() const { return visible_; }
    void setEnabled(bool on);
    void setVisible(bool on);
    // What the control is for, shown when the pointer rests on it.
    const QString& toolTip() const { return toolTip_; }
    void setToolTip(const QString& t);
    // Why it is disabled, shown before the tool tip while it is; empty when nothing says.
    const QString& lockReason() const { return lockReason_; }
    void setLockReason(const QString& r);
    // Shown after the text on screen only (a currency symbol after an amount); the text
    // itself, which is stored and read back, stays as it is.
    const QString& suffix() const { return suffix_; }
    void setSuffix(const QString& s);
    using Subscription = Notifier<>::Subscription;
    [[nodiscard]] Subscription subscribe(std::function<void()> f) {
        return changed_.subscribe(std::move(f));
    }
    // Asks the view to put the keyboard focus here (a message is about this control).
    void setFocus() {
        ++focusRequests_;
        notify();
    }
    int focusRequests() const { return focusRequests_; }

  protected:
    void notify() const { changed_.notify(); }

  private:
    QString name_;
    Kind kind_;
    bool enabled_ = true;
    bool visible_ = true;
    QString toolTip_;
    QString lockReason_;
    QString suffix_;
    int focusRequests_ = 0;
    Notifier<> changed_;
};

// A control with a caption (labels, frames, buttons, check boxes, option buttons).
class CaptionedControl : public Control {
  public:
    using Control::Control;
    const QString& caption() const { return caption_; }
    void setCaption(const QString& c);
    // Text colour as 0xBBGGRR (255 is red, 0 black).
    int foreColor() const { return foreColor_; }
    void setForeColor(int c);

  private:
    QString caption_;
    int foreColor_ = 0;
};

class TextBox final : public Control {
  public:
    TextBox(ControlRegistry& r, QString name) : Control(r, std::move(name), Kind::TextBox) {}
    const QString& text() const { return text_; }
    // Raises Change only when the text really changes.
    void setText(const QString& t);
    std::function<void()> Change;
    // The user pressed Enter in the box.
    std::function<void()> Enter;

  private:
    QString text_;
};

class Label final : public CaptionedControl {
  public:
    Label(ControlRegistry& r, QString name) : CaptionedControl(r, std::move(name), Kind::Label) {}
    std::function<void()> Click;
    std::function<void()> DblClick;
};

class Frame final : public CaptionedControl {
  public:
    Frame(ControlRegistry& r, QString name) : CaptionedControl(r, std::move(name), Kind::Frame) {}
};

class CommandButton final : public CaptionedControl {
  public:
    CommandButton(ControlRegistry& r, QString name)
        : CaptionedControl(r, std::move(name), Kind::CommandButton) {}
    std::function<void()> Click;
    void click() {
        if (enabled() && Click) Click();
    }
};

// 0 clear, 1 ticked, 2 grey. Setting a different value raises Click.
class CheckBox final : public CaptionedControl {
  public:
    CheckBox(ControlRegistry& r, QString name)
        : CaptionedControl(r, std::move(name), Kind::CheckBox) {}
    int value() const { return value_; }
    void setValue(int v);
    std::function<void()> Click;

  private:
    int value_ = 0;
};

// Option buttons of one group: selecting one clears the others and raises its Click.
class OptionButton final : public CaptionedControl {
  public:
    OptionButton(ControlRegistry& r, QString name)
        : CaptionedControl(r, std::move(name), Kind::OptionButton) {}
    bool value() const { return value_; }
    void setValue(bool v);
    void setGroup(std::vector<OptionButton*> group) { group_ = std::move(group); }
    std::function<void()> Click;

  private:
    bool value_ = false;
    std::vector<OptionButton*> group_;
};

// A list (combo box or list box): entries and the selected index (-1 none).
// Setting a different index raises Click.
class ListControl final : public Control {
  public:
    ListControl(ControlRegistry& r, QString name, Kind kind) : Control(r, std::move(name), kind) {}
    const QStringList& items() const { return items_; }
    void clear();
    void addItem(const QString& s);
    int listIndex() const { return index_; }
    void setListIndex(int i);
    QString currentText() const {
        return index_ >= 0 && index_ < items_.size() ? items_[index_] : QString();
    }
    std::function<void()> Click;

  private:
    QStringList items_;
    int index_ = -1;
};

class ProgressBar final : public Control {
  public:
    ProgressBar(ControlRegistry& r, QString name)
        : Control(r, std::move(name), Kind::ProgressBar) {}
    int min() const { return min_; }
    int max() const { return max_; }
    int value() const { return value_; }
    void setMin(int v);
    void setMax(int v);
    // A value outside the bounds is refused: the bar keeps its value; false then.
    bool setValue(int v);

  private:
    int min_ = 0, max_ = 100, value_ = 0;
};

class Animation final : public Control {
  public:
    Animation(ControlRegistry& r, QString name) : Control(r, std::move(name), Kind::Animation) {}
    const QString& file() const { return file_; }
    bool playing() const { return playing_; }
    void load(const QString& f);
    void play();
    void stop();

  private:
    QString file_;
    bool playing_ = false;
};

// A date picker holding one date value (whole days since 1899-12-30).
class DatePicker final : public Control {
  public:
    DatePicker(ControlRegistry& r, QString name) : Control(r, std::move(name), Kind::DatePicker) {}
    double value() const { return value_; }
    void setValue(double v);

  private:
    double value_ = 0;
};

class TabControl final : public Control {
  public:
    TabControl(ControlRegistry& r, QString name, int tabs);
    int tab() const { return tab_; }
    int count() const { return static_cast<int>(captions_.size()); }
    // Selecting a different tab raises Click with the previous tab.
    void setTab(int t);
    bool tabEnabled(int t) const { return t >= 0 && t < count() && enabled_[t]; }
    void setTabEnabled(int t, bool on);
    const QString& tabCaption(int t) const { return captions_.at(static_cast<size_t>(t)); }
    void setTabCaption(int t, const QString& c);
    std::function<void(int previousTab)> Click;

  private:
    int tab_ = 0;
    std::vector<QString> captions_;
    std::vector<bool> enabled_;
};

// Finds controls by their names; the view binds its widgets through it.
class ControlRegistry {
  public:
    void add(Control* c);
    Control* find(const QString& name) const;
    template <class T>
    T* get(const QString& name) const {
        return dynamic_cast<T*>(find(name));
    }
    const std::vector<Control*>& all() const { return ordered_; }

  private:
    std::map<QString, Control*> byName_;
    std::vector<Control*> ordered_;
};

}  // namespace lt
