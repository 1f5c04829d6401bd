#include "history/grid_sort.h"

#include <algorithm>
#include <limits>
#include <numeric>

#include "core/conversions.h"
#include "core/grid.h"

namespace lt {

double historySortKey(int column, const QString& text) {
    constexpr double kUnreadable = -std::numeric_limits<double>::infinity();
    switch (column) {
        case 0: {
            // A session's day, or a month row of the statistics ("MM/yyyy").
            if (const auto d = strictDate(text)) return *d;
            if (const auto m = strictDate(QStringLiteral("01/") + text)) return *m;
            return kUnreadable;
        }
        case 1:
        case 2:
        case 3: {
            const auto s = parseDurationSeconds(text);
            return s ? static_cast<double>(*s) : kUnreadable;
        }
        default: {
            const auto v = strictReal(text);
            return v ? *v : kUnreadable;
        }
    }
}

void sortHistoryGrid(Grid& grid, int column, bool descending) {
    if (column < 0 || column >= grid.columns()) return;
    const int n = grid.rowCount();
    std::vector<double> keys(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r)
        keys[static_cast<size_t>(r)] = historySortKey(column, grid.cell(r, column));
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&keys, descending](int a, int b) {
        const double ka = keys[static_cast<size_t>(a)], kb = keys[static_cast<size_t>(b)];
        return descending ? ka > kb : ka < kb;
    });
    grid.reorder(order);
    grid.setSort(column, descending);
}

}  // namespace lt
