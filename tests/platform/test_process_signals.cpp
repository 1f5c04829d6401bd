#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include "platform/linux/single_instance.h"
#include "platform/linux/termination_signals.h"

using namespace lt;

namespace {

QCoreApplication& app() {
    static int argc = 1;
    static char arg0[] = "test";
    static char* argv[] = {arg0, nullptr};
    static QCoreApplication* a =
        QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    return a ? *a : *QCoreApplication::instance();
}

// Lets the event loop run until the condition holds, at most two seconds.
template <class Cond>
bool processUntil(Cond cond) {
    QElapsedTimer t;
    t.start();
    while (!cond() && t.elapsed() < 2000) app().processEvents(QEventLoop::AllEvents, 50);
    return cond();
}

}  // namespace

TEST(SingleInstance, ASecondStartAsksTheFirstToShowItselfAndGivesWay) {
    app();
    QTemporaryDir dir;
    const QString lock = dir.filePath(QStringLiteral(".linktally.lock"));
    SingleInstance first(lock);
    int activations = 0;
    first.setActivationHandler([&activations] { ++activations; });
    ASSERT_TRUE(first.acquire());

    SingleInstance second(lock);
    EXPECT_FALSE(second.acquire());
    EXPECT_TRUE(processUntil([&] { return activations == 1; }));

    // Another settings file is another program.
    SingleInstance elsewhere(dir.filePath(QStringLiteral("other.lock")));
    EXPECT_TRUE(elsewhere.acquire());
}

TEST(TerminationSignals, SigtermArrivesOnTheEventLoop) {
    app();
    TerminationSignals signalsWatch;
    int requests = 0;
    QObject::connect(&signalsWatch, &TerminationSignals::terminationRequested,
                     [&requests] { ++requests; });
    ::raise(SIGTERM);  // handled, so the test process goes on
    EXPECT_TRUE(processUntil([&] { return requests == 1; }));
}
