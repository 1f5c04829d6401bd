#pragma once
// What the program tells the user in a message box. Nothing here waits for the user:
// the box is handed its text and the call returns. Until the program has loaded, the
// messages wait and are then shown in the language that the load chose.
#include <QString>
#include <functional>
#include <vector>

#include "i18n/captions.h"
#include "platform/message_box.h"

namespace lt {

struct EstadoMonitor;

class Messages {
  public:
    // Holds its messages until release().
    Messages(MessageBox& box, const EstadoMonitor& estado) : box_(box), estado_(estado) {}
    Messages(const Messages&) = delete;
    Messages& operator=(const Messages&) = delete;

    // The text in the current language; "%1" in it is replaced by detail.
    void show(MessageBox::Icon icon, const Bilingual& text, const QString& detail = {});
    // A warning about the user's own files or data.
    void warn(const Bilingual& text, const QString& detail = {}) {
        show(MessageBox::Icon::Warning, text, detail);
    }
    // A yes-or-no question in the current language; `answer` runs once it is answered.
    void ask(const Bilingual& text, std::function<void(bool yes)> answer);
    // Shows what waited, and from now on shows at once.
    void release();
    bool holding() const { return holding_; }

  private:
    struct Held {
        MessageBox::Icon icon;
        Bilingual text;
        QString detail;
    };
    void present(const Held& m);

    MessageBox& box_;
    const EstadoMonitor& estado_;
    bool holding_ = true;
    std::vector<Held> held_;
};

}  // namespace lt
