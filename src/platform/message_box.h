#pragma once
// Modal messages to the user; a recorder stands in for it in tests.
#include <QString>

namespace lt {

class MessageBox {
  public:
    enum class Icon { Information, Warning, Critical };
    virtual ~MessageBox() = default;
    virtual void show(Icon icon, const QString& title, const QString& text) = 0;
};

}  // namespace lt
