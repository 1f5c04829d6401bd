#pragma once
#include <QtGlobal>

namespace lt {

// Under Wayland a client can neither place nor raise its own windows, so the compact
// window would lose its position and its place on top; XWayland, where there is one,
// keeps both. Must run before the application object is made.
inline void preferXWayland() {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
    const bool wayland =
        qgetenv("XDG_SESSION_TYPE") == "wayland" || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
    if (wayland && qEnvironmentVariableIsSet("DISPLAY")) qputenv("QT_QPA_PLATFORM", "xcb");
}

}  // namespace lt
