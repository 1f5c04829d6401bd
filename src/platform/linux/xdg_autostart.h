#pragma once
// The per-user XDG autostart entry: <config>/autostart/LinkTally.desktop.
#include <QString>

#include "platform/autostart.h"

namespace lt {

class XdgAutostart final : public Autostart {
  public:
    // An empty configHome means $XDG_CONFIG_HOME when it is an absolute path, else
    // ~/.config.
    explicit XdgAutostart(QString configHome = {});

    bool enable(const QString& executablePath, QString* error) override;
    bool disable(QString* error) override;
    // The entry exists and the desktop has not been told to skip it.
    bool isEnabled() const override;

    QString entryPath() const { return entryPath_; }

  private:
    QString entryPath_;
};

}  // namespace lt
