#include "core/grid.h"

namespace lt {

void Grid::setCaption(int c, const QString& text) {
    if (c < 0 || c >= columns_ || captions_[c] == text) return;
    captions_[c] = text;
    changed(Change::CaptionsChanged, c, c);
}

void Grid::setRows(std::vector<QStringList> rows) {
    for (auto& r : rows)
        while (r.size() < columns_) r.append(QString());
    changed(Change::BeginReset);
    rows_ = std::move(rows);
    changed(Change::EndReset);
}

void Grid::appendRow(QStringList row) {
    while (row.size() < columns_) row.append(QString());
    const int last = rowCount();
    changed(Change::BeginAppend, last, last);
    rows_.push_back(std::move(row));
    changed(Change::EndAppend, last, last);
}

void Grid::clear() {
    changed(Change::BeginReset);
    rows_.clear();
    changed(Change::EndReset);
    for (auto& c : captions_) c.clear();
    changed(Change::CaptionsChanged, 0, columns_ - 1);
}

void Grid::reorder(const std::vector<int>& order) {
    std::vector<QStringList> sorted;
    sorted.reserve(order.size());
    for (int i : order) sorted.push_back(std::move(rows_.at(static_cast<size_t>(i))));
    changed(Change::BeginReset);
    rows_ = std::move(sorted);
    changed(Change::EndReset);
}

}  // namespace lt
