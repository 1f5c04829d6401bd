#pragma once
// Messages and questions to the user, never waited for; a recorder stands in for it in
// tests.
#include <QString>
#include <functional>

namespace lt {

class MessageBox {
  public:
    enum class Icon { Information, Warning, Critical, Question };
    virtual ~MessageBox() = default;
    // Shows the message and returns at once.
    virtual void show(Icon icon, const QString& title, const QString& text) = 0;
    // Asks a yes-or-no question and returns at once; `answer` runs when the user has
    // answered (false for No, and for a box closed without an answer).
    virtual void ask(const QString& title, const QString& text,
                     std::function<void(bool yes)> answer) = 0;
};

}  // namespace lt
