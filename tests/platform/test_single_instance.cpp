#include "platform/linux/single_instance.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "support/test_support.h"

using namespace lt;

// One program per lock file; how the first one comes forward is seen in the flow tests.
TEST(SingleInstance, ASecondStartGivesWayOnlyToTheSameLockFile) {
    test::coreApplication();
    QTemporaryDir dir;
    SingleInstance first(dir.filePath(QStringLiteral(".linktally.lock")));
    ASSERT_TRUE(first.acquire());
    EXPECT_FALSE(SingleInstance(dir.filePath(QStringLiteral(".linktally.lock"))).acquire());
    // Another settings file is another program.
    EXPECT_TRUE(SingleInstance(dir.filePath(QStringLiteral("other.lock"))).acquire());
}
