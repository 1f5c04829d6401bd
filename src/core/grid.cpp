#include "core/grid.h"

namespace lt {

void Grid::setCaption(int c, const QString& text) {
    if (c < 0 || c >= columns_ || captions_[c] == text) return;
    captions_[c] = text;
    changed(Change::CaptionsChanged, c, c);
}

void Grid::setColumnSuffix(int c, const QString& suffix) {
    if (c < 0 || c >= columns_ || suffixes_[c] == suffix) return;
    suffixes_[c] = suffix;
    changed(Change::Suffixes, c, c);
}

void Grid::setColumnFormat(int c, CellFormat format) {
    if (c < 0 || c >= columns_ || formats_[static_cast<size_t>(c)] == format) return;
    formats_[static_cast<size_t>(c)] = format;
    changed(Change::Suffixes, c, c);
}

QStringList Grid::row(int r) const {
    QStringList out;
    for (int c = 0; c < columns_; ++c) out << cell(r, c);
    return out;
}

void Grid::setRows(const std::vector<QStringList>& rows) {
    std::vector<QString> cells;
    cells.reserve(rows.size() * static_cast<size_t>(columns_));
    for (const QStringList& r : rows)
        for (int c = 0; c < columns_; ++c) cells.push_back(c < r.size() ? r[c] : QString());
    setCells(std::move(cells));
}

void Grid::setCells(std::vector<QString> cells) {
    cells.resize(cells.size() - cells.size() % static_cast<size_t>(columns_));
    changed(Change::BeginReset);
    source_ = nullptr;
    cells_ = std::move(cells);
    changed(Change::EndReset);
    setSort(-1, true);  // new rows come in the order they are given
}

void Grid::setSort(int column, bool descending) {
    if (column == sortColumn_ && descending == sortDescending_) return;
    sortColumn_ = column;
    sortDescending_ = descending;
    changed(Change::Sort, column, column);
}

void Grid::showRows(const GridRows* source) {
    changed(Change::BeginReset);
    cells_ = {};
    source_ = source;
    sourceRows_ = source ? source->count() : 0;
    changed(Change::EndReset);
}

void Grid::sourceChanged(bool appended) {
    if (!source_) return;
    const int before = sourceRows_, now = source_->count();
    if (appended && now > before) {
        changed(Change::BeginAppend, before, now - 1);
        sourceRows_ = now;
        changed(Change::EndAppend, before, now - 1);
        return;
    }
    changed(Change::BeginReset);
    sourceRows_ = now;
    changed(Change::EndReset);
}

void Grid::appendRow(const QStringList& row) {
    if (source_) return;  // the source has it already
    const int last = rowCount();
    changed(Change::BeginAppend, last, last);
    for (int c = 0; c < columns_; ++c) cells_.push_back(c < row.size() ? row[c] : QString());
    changed(Change::EndAppend, last, last);
}

void Grid::clear() {
    changed(Change::BeginReset);
    cells_.clear();
    source_ = nullptr;
    changed(Change::EndReset);
    setSort(-1, true);
    for (auto& c : captions_) c.clear();
    changed(Change::CaptionsChanged, 0, columns_ - 1);
}

void Grid::reorder(const std::vector<int>& order) {
    if (source_) return;  // a source sorts itself
    const auto cols = static_cast<size_t>(columns_);
    std::vector<QString> sorted;
    sorted.reserve(order.size() * cols);
    for (int i : order)
        for (size_t c = 0; c < cols; ++c)
            sorted.push_back(std::move(cells_[static_cast<size_t>(i) * cols + c]));
    changed(Change::BeginReset);
    cells_ = std::move(sorted);
    changed(Change::EndReset);
}

}  // namespace lt
