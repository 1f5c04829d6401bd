#include "settings/launch_at_startup.h"

#include "form/estado_monitor.h"
#include "form/main_form.h"
#include "form/messages.h"
#include "platform/autostart.h"

namespace lt {

bool LaunchAtStartup::SetLaunchAtStartup(bool enable) {
    QString error;
    const bool ok =
        enable ? autostart_.enable(executablePath_, &error) : autostart_.disable(&error);
    if (ok) return true;
    messages_.warn(kMsgAutostartNotChanged, error);
    // Setting the box raises its Click; that one must not try again.
    restoring_ = true;
    form_.CKInicioWindows_Configuracion.setValue(autostart_.isEnabled() ? 1 : 0);
    restoring_ = false;
    return false;
}

void LaunchAtStartup::CKInicioWindows_Configuracion_Click() {
    if (restoring_) return;
    SetLaunchAtStartup(form_.CKInicioWindows_Configuracion.value() == 1);
}

}  // namespace lt
