#include "platform/linux/single_instance.h"

#include <gtest/gtest.h>

#include <QSysInfo>
#include <QTemporaryDir>

#include "support/test_support.h"

using namespace lt;

// One program per lock file; how the first one comes forward is seen in the flow tests.
TEST(SingleInstance, OnlyALiveCopyHoldsTheLockWhateverTheFileSays) {
    test::coreApplication();
    QTemporaryDir dir;
    const QString lock = dir.filePath(QStringLiteral(".linktally.lock"));
    using R = SingleInstance::Result;
    // Left by a copy that crashed, empty, garbage or written on another PC: taken over.
    for (const QByteArray& left :
         {QByteArray(), QByteArray("\xff\x00garbage"), QByteArray("4242\nanother-pc\n")}) {
        test::writeFile(lock, left);
        SingleInstance first(lock);
        ASSERT_EQ(first.acquire(), R::Runs) << left.toStdString();
        EXPECT_EQ(SingleInstance(lock).acquire(), R::AnotherRuns);
        // Another settings file is another program.
        EXPECT_EQ(SingleInstance(dir.filePath(QStringLiteral("other.lock"))).acquire(), R::Runs);
        EXPECT_TRUE(test::readFile(lock).contains(QSysInfo::machineHostName()));
    }
    // A folder where no lock can be made: the program runs, and can say why.
    SingleInstance unguarded(dir.filePath(QStringLiteral("missing/.linktally.lock")));
    EXPECT_EQ(unguarded.acquire(), R::RunsUnguarded);
    EXPECT_TRUE(unguarded.error().contains(QLatin1String("missing")));
}
