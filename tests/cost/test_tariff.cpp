#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>

#include "core/ole_date.h"
#include "cost/tariff.h"

using namespace lt;

namespace {
constexpr int h(int hours, int minutes = 0) {
    return hours * 3600 + minutes * 60;
}
const OleDate kMonday = oleFromParts(2024, 1, 1);
OleDate at(OleDate day, int hours, int minutes = 0) {
    return day + oleFromTime(hours, minutes, 0);
}
TarifaConexion weekly(TramoTarifa band) {
    return {'S', band, {}};
}
const TramoTarifa kDay{h(8), h(20), 2.0, 1.0};
const TramoTarifa kNight{h(22), h(6), 3.0, 1.0};
}  // namespace

TEST(Tariff, BandsAndTheirRates) {
    EXPECT_TRUE(kDay.inside(h(8)) && kDay.inside(h(20)));
    EXPECT_FALSE(kDay.inside(h(7, 59)) || kDay.inside(h(20) + 1));
    EXPECT_TRUE(kNight.inside(h(23)) && kNight.inside(h(6)));
    EXPECT_EQ(kNight.rateAt(h(12)), 1.0);
    // A band from a time to itself has no rate at all.
    EXPECT_EQ(priceInterval(weekly({h(9), h(9), 5.0, 4.0}), at(kMonday, 8), at(kMonday, 10)), 0.0);

    TarifaConexion t = weekly(kDay);
    for (int i = 0; i < 7; ++i) t.diarios[static_cast<size_t>(i)].Desde = i;
    t.AjusteCosto = 'D';
    EXPECT_EQ(t.bandFor(at(kMonday, 23, 59))->Desde, 1);
    EXPECT_EQ(t.bandFor(kMonday + 6)->Desde, 0);  // Sunday
    t.AjusteCosto = 'X';
    EXPECT_EQ(t.bandFor(kMonday), std::nullopt);
    EXPECT_EQ(priceInterval(t, at(kMonday, 8), at(kMonday, 10)), 0.0);
}

TEST(Tariff, EachStretchAtTheRateInForceDuringIt) {
    const TarifaConexion t = weekly(kDay);
    EXPECT_NEAR(priceInterval(t, at(kMonday, 10), at(kMonday, 10, 30)), 1.0, 1e-9);
    // 0.5 h * 2 + 0.5 h * 1, not the whole hour at the rate of 20:30.
    EXPECT_NEAR(priceInterval(t, at(kMonday, 19, 30), at(kMonday, 20, 30)), 1.5, 1e-9);
    // Monday 06:00 -> Tuesday 09:00: 2*1 + 12*2 + 4*1 + 8*1 + 1*2 = 40.
    EXPECT_NEAR(priceInterval(t, at(kMonday, 6), at(kMonday + 1, 9)), 40.0, 1e-9);
    // Noon to noon across a night band: 10 h * 1 + 8 h * 3 + 6 h * 1 = 40.
    EXPECT_NEAR(priceInterval(weekly(kNight), at(kMonday, 12), at(kMonday + 1, 12)), 40.0, 1e-9);

    TarifaConexion d{'D', {}, {}};
    d.diarios[1] = kNight;                   // Monday
    d.diarios[2] = {h(8), h(20), 2.0, 0.5};  // Tuesday
    // Monday 23:50 -> Tuesday 00:10: 10 min at 3 + 10 min at 0.5 = 0.5 + 0.08333.
    EXPECT_NEAR(priceInterval(d, at(kMonday, 23, 50), at(kMonday + 1, 0, 10)), 0.5 + 0.5 / 6, 1e-9);
    // Sunday has no rate: Saturday 23:00 -> Sunday 01:00 costs Saturday's hour only.
    d.diarios[6] = {h(8), h(20), 2.0, 1.5};
    EXPECT_NEAR(priceInterval(d, at(kMonday + 5, 23), at(kMonday + 6, 1)), 1.5, 1e-9);
}

TEST(Tariff, SplittingAStretchAnywhereKeepsItsPrice) {
    TarifaConexion t{'D', {}, {}};
    for (int i = 0; i < 7; ++i)
        t.diarios[static_cast<size_t>(i)] = {h(3 * i + 1, 17), h(20 - 2 * i, 5), 1.0 + i, 0.5};
    std::mt19937 rng(20240101);
    std::uniform_real_distribution<double> day(0.0, 40.0);
    for (int i = 0; i < 500; ++i) {
        double p[3] = {kMonday + day(rng), kMonday + day(rng), kMonday + day(rng)};
        std::sort(p, p + 3);
        EXPECT_NEAR(priceInterval(t, p[0], p[2]),
                    priceInterval(t, p[0], p[1]) + priceInterval(t, p[1], p[2]), 1e-6);
    }
}

TEST(Tariff, DegenerateStretches) {
    const TarifaConexion t = weekly(kDay);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(priceInterval(t, at(kMonday, 11), at(kMonday, 10)), 0.0);
    EXPECT_EQ(priceInterval(t, nan, inf), 0.0);
    EXPECT_NEAR(priceInterval(t, 0.0, 7.0e6), 7.0e6 * 36, 1e-3);  // centuries, at once
    // -1.75 is 1899-12-29 18:00, 0.25 the next day 06:00: 2 h * 2 + 10 h * 1.
    EXPECT_NEAR(priceInterval(t, -1.75, 0.25), 14.0, 1e-9);
}
