#pragma once
// Early warnings as an allowance runs out: each chosen share of it is told once a period,
// and so is a cut that is minutes away. What was told survives a restart as one short
// text for the settings file.
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "volume/billing_period.h"

namespace lt {

// What an allowance limits; the values index the tables of texts.
enum class Measure { Time, Volume, Money };
inline constexpr int kMeasureCount = 3;

// An amount as the texts show it: time (seconds) as "1:30 h", data (bytes) as "1.2 GB",
// money as "012.50" followed by the currency symbol when there is one.
QString formatAmount(Measure measure, double amount, const QString& currency = {});

// ---- Thresholds ------------------------------------------------------------------------

inline constexpr int kDefaultThresholds[] = {80, 95};

// Percentages separated by commas, such as "80,95" or "95, 80": each a whole number from
// 1 to 100; they come back ascending and once each. An empty text is no threshold at all
// (no warnings for that measure). None for anything else.
std::optional<std::vector<int>> parseThresholds(const QString& text);
// "80,95", as parseThresholds reads it back.
QString thresholdsText(const std::vector<int>& percents);

// ---- What was told ---------------------------------------------------------------------

// The cut is told once it is this near.
inline constexpr long long kCutSoonSeconds = 600;

class AllowanceWarnings {
  public:
    AllowanceWarnings();  // the default thresholds for every measure, nothing told

    // Shares outside 1..100 are dropped; order and repeats do not matter.
    void setThresholds(Measure measure, std::vector<int> percents);
    const std::vector<int>& thresholds(Measure measure) const;

    // The threshold to tell now, if any: the highest one reached by `used` of `limit` that
    // was not told yet in the period of this key; the lower ones then count as told. A new
    // key forgets what was told in the previous period. A limit of 0 or less is no
    // allowance and never warns. Use only falls when the allowance is raised: thresholds
    // above the new share may then be told again.
    std::optional<int> crossed(Measure measure, const QString& periodKey, double used,
                               double limit);
    // True once per key (the allowance's period, or the day of a cut-off window) when the
    // cut is kCutSoonSeconds or less away and not yet due.
    bool cutSoon(const QString& key, long long secondsToCut);

    // The state as "time:M2026-12-15:80,data:W2026-12-28:95,cut:D2027-01-03".
    QString saved() const;
    // The state from saved(); a damaged text leaves nothing told and returns false.
    bool restore(const QString& text);

  private:
    struct Told {
        QString period;
        int highest = 0;  // percent; 0 for none
    };
    std::array<std::vector<int>, kMeasureCount> thresholds_;
    std::array<Told, kMeasureCount> told_;
    QString cutTold_;
};

// ---- What the user reads -------------------------------------------------------------

struct Notification {
    QString title;
    QString body;
};

// "LinkTally: 80 % of your data allowance used" / "1.6 GB of 2.0 GB this month; 0.4 GB
// left until 15/01/2027.", the date being the first day of the next period.
Notification thresholdNotification(int codigoIdioma, Measure measure, int percent,
                                   const BillingPeriod& period, double used, double limit,
                                   const QString& currency = {});
// "The connection will be cut in 10 minutes.", the minutes rounded up.
Notification cutSoonNotification(int codigoIdioma, long long secondsToCut);

}  // namespace lt
