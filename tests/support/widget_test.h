#pragma once
// Widget tests: one QApplication for the process, and the program's logic on fakes.
#include <QApplication>

#include "support/fake_program.h"

namespace lt::test {

class WidgetTest : public ::testing::Test, protected FakeProgram {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char arg0[] = "test";
        static char* argv[] = {arg0, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
};

}  // namespace lt::test
