#pragma once
// Widget tests: one QApplication for the process, and the program's logic on fakes in a
// scratch directory.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "app/configuracion.h"
#include "core/clock.h"
#include "support/test_support.h"

namespace lt::test {

class WidgetTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char arg0[] = "test";
        static char* argv[] = {arg0, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
    QTemporaryDir dir;
    FakeClock clock;
    RecordingMessageBox messages;
    FakeProbe probe;
    FakeCutter cutter;
    Configuracion logic{clock, messages, AppFiles{dir.path(), dir.path()}, probe, cutter};
};

}  // namespace lt::test
