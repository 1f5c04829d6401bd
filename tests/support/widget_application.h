#pragma once
#include <QApplication>

namespace lt::test {

// One for the whole test program, left for the process's end: Qt's own clean-up at exit
// must find it still there.
inline void widgetApplication() {
    static int argc = 1;
    static char arg0[] = "linktally-test";
    static char* argv[] = {arg0, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
}

}  // namespace lt::test
