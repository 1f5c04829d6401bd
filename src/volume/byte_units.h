#pragma once
// Amounts of data as people read them: SI units (1 kB = 1000 B) with one decimal and a
// "." for the decimal point in every language, as costs are written.
#include <QString>
#include <cstdint>

namespace lt {

struct Bilingual;

// "0 B", "999 B", "1.0 kB", "12.3 MB", "1.2 GB", "1.0 TB", "2500.0 TB"; rounded half up,
// moving to the next unit where the rounding reaches 1000 ("1.0 MB", never "1000.0 kB").
QString formatBytes(std::int64_t bytes);
// In the unit formatBytes would choose for the reference, so that amounts side by side
// read alike: "0.4 GB" left of "2.0 GB".
QString formatBytesInUnitOf(std::int64_t bytes, std::int64_t reference);
// "12.3 kB/s"; a negative or non-finite rate reads "0 B/s".
QString formatRate(double bytesPerSecond);

enum class DataUnit { Megabytes, Gigabytes };

inline constexpr std::int64_t kBytesPerMegabyte = 1'000'000;
inline constexpr std::int64_t kBytesPerGigabyte = 1'000'000'000;
inline constexpr std::int64_t kLargestAllowance = 1'000'000 * kBytesPerGigabyte;
inline constexpr int kAllowanceDecimals = 3;

enum class AllowanceError { None, NotANumber, NotPositive, TooManyDecimals, TooLarge };

struct AllowanceParse {
    std::int64_t bytes = 0;
    AllowanceError error = AllowanceError::None;
    bool ok() const { return error == AllowanceError::None; }
};

// An allowance typed by the user: digits with at most three decimals after a ".", blanks
// around allowed, more than 0 and at most 1,000,000 GB. "2,5", "1e3", "+2" and "" are not
// numbers here: a comma would mean a decimal to some and thousands to others.
AllowanceParse parseAllowance(const QString& text, DataUnit unit);
// The allowance in the unit with no more decimals than needed: 2'500'000'000 B in GB is
// "2.5"; what lies below the third decimal is rounded off.
QString allowanceText(std::int64_t bytes, DataUnit unit);
// What to tell the user about a rejected allowance.
const Bilingual& allowanceErrorMessage(AllowanceError error);

}  // namespace lt
