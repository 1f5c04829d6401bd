#pragma once
// A short notice outside the window, shown by the desktop.
#include <QString>

namespace lt {

class DesktopNotifier {
  public:
    virtual ~DesktopNotifier() = default;
    // Shows a notification and returns at once; false when no notification service
    // answers (the caller then uses the tray balloon).
    virtual bool notify(const QString& title, const QString& body) = 0;
};

}  // namespace lt
