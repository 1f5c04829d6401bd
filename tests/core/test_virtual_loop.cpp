#include <gtest/gtest.h>

#include "core/clock.h"
#include "core/text_format.h"
#include "core/virtual_loop.h"

using namespace lt;

TEST(VirtualLoop, FiresTimersInDueOrderAndFollowsIntervalChanges) {
    FakeClock clock(oleFromParts(2026, 12, 5) + oleFromTime(23, 59, 0));
    VirtualLoop loop(clock);
    TimerModel second(QStringLiteral("second"), 1000, true);
    TimerModel minute(QStringLiteral("minute"), 1000, false);
    int seconds = 0, minutes = 0;
    second.setHandler([&] { ++seconds; });
    minute.setHandler([&] {
        ++minutes;
        minute.setInterval(60000);  // the first tick switches to one a minute
    });
    loop.add(second);
    loop.add(minute);

    loop.runForSeconds(10);
    EXPECT_EQ(seconds, 10);
    EXPECT_EQ(minutes, 0);  // disabled timers never tick

    minute.setEnabled(true);
    loop.runForSeconds(121);
    EXPECT_EQ(minutes, 3);  // at +1 s, +61 s, +121 s
    EXPECT_EQ(seconds, 131);
    EXPECT_EQ(formatDate(clock.now()), QStringLiteral("06/12/2026"));
    EXPECT_EQ(formatTime(clock.now()), QStringLiteral("00:01:11"));

    // A zero interval stops the timer without hanging the loop.
    second.setInterval(0);
    const auto before = seconds;
    loop.runForSeconds(5);
    EXPECT_EQ(seconds, before);
}

TEST(FakeClock, WallJumpLeavesMonotonicAlone) {
    FakeClock clock(oleFromParts(2026, 12, 5) + oleFromTime(10, 0, 0));
    const auto mono = clock.monotonicMs();
    clock.jumpWallSeconds(-3600);
    EXPECT_EQ(clock.monotonicMs(), mono);
    EXPECT_EQ(formatTime(clock.time()), QStringLiteral("09:00:00"));
    EXPECT_NEAR(clock.timer(), 9 * 3600.0f, 0.01f);
}
