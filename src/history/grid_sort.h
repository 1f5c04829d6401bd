#pragma once
// Sorting the history grid on a caption click: by each column's value (dates by day,
// times and durations by seconds, money by amount), largest or newest first, or the
// other way round.
#include <QString>

namespace lt {

class Grid;

// A sortable value of a history cell; texts that do not read as their column's kind sort
// last.
double historySortKey(int column, const QString& text);
void sortHistoryGrid(Grid& grid, int column, bool descending = true);

}  // namespace lt
