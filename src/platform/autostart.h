#pragma once
// Starting the program when the user logs in to the desktop.
#include <QString>

namespace lt {

class Autostart {
  public:
    virtual ~Autostart() = default;
    // Writes (or rewrites) the entry that starts executablePath; false with a reason in
    // *error when the entry could not be written.
    virtual bool enable(const QString& executablePath, QString* error) = 0;
    // Removes the entry; no entry is no error.
    virtual bool disable(QString* error) = 0;
    virtual bool isEnabled() const = 0;
};

}  // namespace lt
