#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "support/test_support.h"
#include "volume/byte_units.h"

using namespace lt;

TEST(ByteUnits, EachUnitRoundsIntoTheNextAtItsBoundary) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0 B"},
        {999, "999 B"},
        {1000, "1.0 kB"},
        {1050, "1.1 kB"},
        {999'949, "999.9 kB"},
        {999'950, "1.0 MB"},
        {12'345'678, "12.3 MB"},
        {999'950'000, "1.0 GB"},
        {999'950'000'000, "1.0 TB"},
        {2'500'000'000'000'000, "2500.0 TB"},
        {-1500, "-1.5 kB"},
        {std::numeric_limits<std::int64_t>::min(), "-9223372.0 TB"}};
    for (const auto& [bytes, text] : cases) EXPECT_EQ(formatBytes(bytes), QString(text)) << bytes;

    EXPECT_EQ(formatBytesInUnitOf(400'000'000, 2'000'000'000), QStringLiteral("0.4 GB"));
    EXPECT_EQ(formatBytesInUnitOf(2'100'000'000, 999'950'000), QStringLiteral("2.1 GB"));
    EXPECT_EQ(formatRate(12'345.0), QStringLiteral("12.3 kB/s"));
    for (const double odd : {-5.0, std::nan(""), HUGE_VAL})
        EXPECT_EQ(formatRate(odd), QStringLiteral("0 B/s"));
}

TEST(ByteUnits, AllowancesParseExactlyOrSayWhatIsWrong) {
    const std::pair<const char*, std::int64_t> good[] = {{" 2.5 ", 2'500'000'000},
                                                         {"2.5000", 2'500'000'000},
                                                         {".5", 500'000'000},
                                                         {"0.001", 1'000'000},
                                                         {"1000000", 1'000'000'000'000'000}};
    for (const auto& [text, bytes] : good)
        EXPECT_EQ(parseAllowance(QString(text), DataUnit::Gigabytes).bytes, bytes) << text;
    EXPECT_EQ(parseAllowance(QStringLiteral("0.001"), DataUnit::Megabytes).bytes, 1000);

    using E = AllowanceError;
    const std::pair<const char*, AllowanceError> bad[] = {{"", E::NotANumber},
                                                          {".", E::NotANumber},
                                                          {"2,5", E::NotANumber},
                                                          {"1e3", E::NotANumber},
                                                          {"+2", E::NotANumber},
                                                          {"2.5.1", E::NotANumber},
                                                          {"\u0662", E::NotANumber},
                                                          {"-1", E::NotPositive},
                                                          {"0.000", E::NotPositive},
                                                          {"0.0001", E::TooManyDecimals},
                                                          {"1000000.001", E::TooLarge},
                                                          {"999999999999", E::TooLarge},
                                                          {"99999999999999999999999", E::TooLarge}};
    for (const auto& [text, error] : bad) {
        const AllowanceParse p = parseAllowance(QString::fromUtf8(text), DataUnit::Gigabytes);
        EXPECT_EQ(p.error, error) << text;
        EXPECT_EQ(p.bytes, 0) << text;
    }

    EXPECT_EQ(allowanceText(1'234'567, DataUnit::Megabytes), QStringLiteral("1.235"));
    for (const char* text : {"2", "0.001", "12.345", "999999.999"}) {
        for (const DataUnit unit : {DataUnit::Megabytes, DataUnit::Gigabytes})
            EXPECT_EQ(allowanceText(parseAllowance(QString(text), unit).bytes, unit),
                      QString(text));
    }
}
