#pragma once
// The "start with the desktop" check box and the autostart entry it stands for.
#include <QString>

namespace lt {

struct MainForm;
struct EstadoMonitor;
class Autostart;
class Messages;

class LaunchAtStartup {
  public:
    LaunchAtStartup(MainForm& form, EstadoMonitor& estado, Autostart& autostart, Messages& messages,
                    QString executablePath)
        : form_(form),
          estado_(estado),
          autostart_(autostart),
          messages_(messages),
          executablePath_(std::move(executablePath)) {}

    // Writes or removes the entry. A failure is reported in the current language and the
    // check box is set back to what the entry now is; false then.
    bool SetLaunchAtStartup(bool enable);
    void CKInicioWindows_Configuracion_Click();

  private:
    MainForm& form_;
    EstadoMonitor& estado_;
    Autostart& autostart_;
    Messages& messages_;
    QString executablePath_;
    bool restoring_ = false;
};

}  // namespace lt
