#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

#include "support/test_support.h"
#include "volume/allowance_warnings.h"

using namespace lt;

namespace {

const QString kDecember = QStringLiteral("M2026-12-15");
const QString kJanuary = QStringLiteral("M2027-01-15");

// The thresholds told while the data used grows through the steps, in percent.
std::vector<int> toldAlong(AllowanceWarnings& w, const QString& key,
                           std::initializer_list<double> steps) {
    std::vector<int> told;
    for (const double used : steps)
        if (const std::optional<int> t = w.crossed(Measure::Volume, key, used, 100.0))
            told.push_back(*t);
    return told;
}

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

}  // namespace

TEST(AllowanceWarnings, ThresholdListsAreCheckedAndTidied) {
    EXPECT_EQ(parseThresholds(QStringLiteral(" 95, 80,,80, ")), (std::vector<int>{80, 95}));
    EXPECT_EQ(parseThresholds(QString()), std::vector<int>{});
    for (const char* bad : {"0", "101", "80;95", "8 0", "-5", "80.5", "0080"})
        EXPECT_FALSE(parseThresholds(QString(bad)).has_value()) << bad;
    EXPECT_EQ(thresholdsText({50, 80, 95}), QStringLiteral("50,80,95"));
}

TEST(AllowanceWarnings, EachThresholdIsToldOncePerPeriod) {
    AllowanceWarnings w;
    EXPECT_EQ(toldAlong(w, kDecember, {50, 79.99, 80, 85, 95, 100, 130}),
              (std::vector<int>{80, 95}));
    // A new period starts from nothing told; a jump tells the highest only.
    EXPECT_EQ(toldAlong(w, kJanuary, {10, 96, 97}), std::vector<int>{95});
    // A raised allowance puts the use below what was told: it may be told again.
    EXPECT_EQ(w.crossed(Measure::Volume, kJanuary, 97, 200), std::nullopt);
    EXPECT_EQ(toldAlong(w, kJanuary, {81, 96}), (std::vector<int>{80, 95}));

    for (const double limit : {0.0, -1.0, std::nan("")})
        EXPECT_EQ(w.crossed(Measure::Time, kDecember, 1e9, limit), std::nullopt);
    EXPECT_EQ(w.crossed(Measure::Time, kJanuary, 81, 100), 80);  // measures keep apart
    w.setThresholds(Measure::Money, {95, 0, 50, 50, 120});
    EXPECT_EQ(w.thresholds(Measure::Money), (std::vector<int>{50, 95}));

    EXPECT_FALSE(w.cutSoon(kDecember, kCutSoonSeconds + 1));
    EXPECT_TRUE(w.cutSoon(kDecember, kCutSoonSeconds));
    EXPECT_FALSE(w.cutSoon(kDecember, 60));
    EXPECT_FALSE(w.cutSoon(kJanuary, 0));  // due: the cut tells itself
    EXPECT_TRUE(w.cutSoon(kJanuary, 1));
}

TEST(AllowanceWarnings, WhatWasToldSurvivesARestart) {
    AllowanceWarnings before;
    before.crossed(Measure::Time, kDecember, 85, 100);
    before.crossed(Measure::Volume, QStringLiteral("W2026-12-28"), 99, 100);
    before.cutSoon(QStringLiteral("D2027-01-03"), 300);
    const QString text = before.saved();
    EXPECT_EQ(text, QStringLiteral("time:M2026-12-15:80,data:W2026-12-28:95,cut:D2027-01-03"));

    AllowanceWarnings after;
    EXPECT_TRUE(after.restore(text));
    EXPECT_EQ(after.crossed(Measure::Time, kDecember, 90, 100), std::nullopt);
    EXPECT_EQ(after.crossed(Measure::Time, kDecember, 95, 100), 95);
    EXPECT_FALSE(after.cutSoon(QStringLiteral("D2027-01-03"), 200));
    EXPECT_EQ(after.crossed(Measure::Time, kJanuary, 85, 100), 80);  // a new period

    // A damaged text leaves nothing told, so every warning may come once more.
    for (const char* damaged : {"time:M2026-12-15:80,data", "time:M2026-12-15:0",
                                "time:M2026-12-15:80,time:M2026-12-15:95", "speed:M2026-12-15:80",
                                "time:M2026 12 15:80", "cut:a:b", "\xff\xfe"}) {
        AllowanceWarnings restored;
        restored.crossed(Measure::Money, kDecember, 100, 100);
        EXPECT_FALSE(restored.restore(QString::fromUtf8(damaged))) << damaged;
        EXPECT_EQ(restored.saved(), QString()) << damaged;
    }
}

TEST(AllowanceWarnings, NotificationsInBothLanguages) {
    const BillingPeriod month{PeriodKind::Month, oleFromParts(2026, 12, 15),
                              oleFromParts(2027, 1, 15)};
    Notification n = thresholdNotification(0, Measure::Volume, 80, month, 1.6e9, 2.0e9);
    EXPECT_EQ(n.title, QStringLiteral("LinkTally: 80 % of your data allowance used"));
    EXPECT_EQ(n.body, QStringLiteral("1.6 GB of 2.0 GB this month; 0.4 GB left until 15/01/2027."));
    n = thresholdNotification(1, Measure::Volume, 80, month, 1.6e9, 2.0e9);
    EXPECT_EQ(n.title, utf8("LinkTally: se usó el 80 % de su cuota de datos"));
    EXPECT_EQ(n.body, utf8("1.6 GB de 2.0 GB este mes; quedan 0.4 GB hasta el 15/01/2027."));

    const BillingPeriod day{PeriodKind::Day, oleFromParts(2027, 1, 3), oleFromParts(2027, 1, 4)};
    n = thresholdNotification(1, Measure::Money, 100, day, 101.5, 100, utf8("€"));
    EXPECT_EQ(n.body, utf8("101.50 € de 100.00 € hoy; no queda nada hasta el 04/01/2027."));

    EXPECT_EQ(cutSoonNotification(0, 600).body,
              QStringLiteral("The connection will be cut in 10 minutes."));
    EXPECT_EQ(cutSoonNotification(1, 45).body, utf8("La conexión se cortará en 1 minuto."));
}
