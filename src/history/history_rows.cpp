#include "history/history_rows.h"

#include <algorithm>

#include "history/session_ledger.h"

namespace lt {

namespace {

constexpr int kColumns = SessionRecord::kColumns;

// A run read backwards, put the right way round.
void reverse(HistoryRun& run) {
    std::reverse(run.places.begin(), run.places.end());
    const size_t rows = run.cells.size() / kColumns;
    for (size_t i = 0; i < rows / 2; ++i)
        std::swap_ranges(
            run.cells.begin() + static_cast<std::ptrdiff_t>(i * kColumns),
            run.cells.begin() + static_cast<std::ptrdiff_t>((i + 1) * kColumns),
            run.cells.begin() + static_cast<std::ptrdiff_t>((rows - 1 - i) * kColumns));
}

}  // namespace

int HistoryRows::count() const {
    return static_cast<int>(std::min<std::int64_t>(
        stored_ + static_cast<std::int64_t>(ledger_.finished().size()), INT32_MAX));
}

QString HistoryRows::cell(int r, int c) const {
    if (r < 0 || c < 0 || c >= kColumns) return {};
    if (r >= stored_) {
        const auto waiting = static_cast<size_t>(r - stored_);
        const auto& finished = ledger_.finished();
        return waiting < finished.size() ? finished[waiting].record.toRow().at(c) : QString();
    }
    const Page& p = page(r / kPageRows);
    const auto at = static_cast<size_t>(r % kPageRows) * kColumns + static_cast<size_t>(c);
    return at < p.run.cells.size() ? p.run.cells[at] : QString();
}

void HistoryRows::setOrder(HistoryOrder order) {
    order_ = order;
    pages_.clear();
}

void HistoryRows::refresh() {
    pages_.clear();
    stored_ = store_.count().value_or(0);
}

const HistoryRows::Page* HistoryRows::cached(std::int64_t index) const {
    for (Page& p : pages_)
        if (p.index == index) {
            p.used = ++uses_;
            return &p;
        }
    return nullptr;
}

const HistoryRows::Page& HistoryRows::page(std::int64_t index) const {
    if (const Page* p = cached(index)) return *p;
    HistoryRun run = read(index);
    if (pages_.size() >= kPagesKept) {
        auto oldest =
            std::min_element(pages_.begin(), pages_.end(),
                             [](const Page& a, const Page& b) { return a.used < b.used; });
        *oldest = {index, std::move(run), ++uses_};
        return *oldest;
    }
    pages_.push_back({index, std::move(run), ++uses_});
    return pages_.back();
}

HistoryRun HistoryRows::read(std::int64_t index) const {
    const std::int64_t first = index * kPageRows;
    const int rows = static_cast<int>(std::min<std::int64_t>(kPageRows, stored_ - first));
    HistoryRun run;
    if (rows <= 0) return run;
    // A neighbour's edge leads straight to the page; else the page is counted off from
    // the nearer end of the order.
    const Page* before = cached(index - 1);
    const Page* after = cached(index + 1);
    if (before && before->run.places.size() == kPageRows) {
        store_.readRun(order_, false, &before->run.places.back(), 0, rows, run);
    } else if (after && !after->run.places.empty()) {
        store_.readRun(order_, true, &after->run.places.front(), 0, rows, run);
        reverse(run);
    } else if (first <= stored_ - (first + rows)) {
        store_.readRun(order_, false, nullptr, first, rows, run);
    } else {
        store_.readRun(order_, true, nullptr, stored_ - (first + rows), rows, run);
        reverse(run);
    }
    return run;
}

}  // namespace lt
