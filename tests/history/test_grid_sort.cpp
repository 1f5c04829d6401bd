#include <gtest/gtest.h>

#include "core/grid.h"
#include "history/grid_sort.h"
#include "support/test_support.h"

using namespace lt;

namespace {

QStringList column(const Grid& g, int c) {
    QStringList out;
    for (int r = 0; r < g.rowCount(); ++r) out << g.cell(r, c);
    return out;
}

}  // namespace

TEST(GridSort, EachColumnSortsByItsValueLargestOrNewestFirst) {
    ControlRegistry registry;
    Grid g(registry, QStringLiteral("MSFlexGrid_Estado"), 6);
    g.setRows({{"05/12/2026", "09:00:00", "10:00:00", "01:00:00", "999.99", "999.99"},
               {"28/11/2026", "23:10:00", "00:20:00", "100:00:00", "1000.00", "1999.99"},
               {"01/01/2027", "00:05:00", "02:05:00", "99:59:59", "012.10", "2012.09"},
               {"garbled", "", "", "", "", ""}});
    sortHistoryGrid(g, 0);
    EXPECT_EQ(column(g, 0), (QStringList{"01/01/2027", "05/12/2026", "28/11/2026", "garbled"}));
    sortHistoryGrid(g, 3);  // durations with whole hours: 100 hours is the longest
    EXPECT_EQ(column(g, 3), (QStringList{"100:00:00", "99:59:59", "01:00:00", ""}));
    sortHistoryGrid(g, 4);  // money by amount: 1000 above 999.99
    EXPECT_EQ(column(g, 4), (QStringList{"1000.00", "999.99", "012.10", ""}));
    // Rows move whole.
    EXPECT_EQ(g.row(0), (QStringList{"28/11/2026", "23:10:00", "00:20:00", "100:00:00", "1000.00",
                                     "1999.99"}));
    sortHistoryGrid(g, 9);  // no such column: nothing moves
    EXPECT_EQ(column(g, 4).first(), QStringLiteral("1000.00"));
}
