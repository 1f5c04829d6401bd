#pragma once
// The history as the grid shows it: rows read from the database a page at a time as they
// come into view, a few pages kept, in the order the user chose; the sessions still
// waiting in the ledger follow the stored ones.
#include <cstdint>
#include <vector>

#include "core/grid.h"
#include "history/history_store.h"

namespace lt {

class SessionLedger;

class HistoryRows final : public GridRows {
  public:
    static constexpr int kPageRows = 256;
    static constexpr size_t kPagesKept = 16;

    HistoryRows(HistoryStore& store, const SessionLedger& ledger)
        : store_(store), ledger_(ledger) {}

    int count() const override;
    QString cell(int r, int c) const override;

    HistoryOrder order() const { return order_; }
    // Rows come in this order from now on.
    void setOrder(HistoryOrder order);
    // The database or the ledger changed: counts and pages are read again.
    void refresh();

  private:
    struct Page {
        std::int64_t index = 0;
        HistoryRun run;
        std::uint64_t used = 0;
    };
    const Page& page(std::int64_t index) const;
    const Page* cached(std::int64_t index) const;
    HistoryRun read(std::int64_t index) const;

    HistoryStore& store_;
    const SessionLedger& ledger_;
    HistoryOrder order_;
    std::int64_t stored_ = 0;
    mutable std::vector<Page> pages_;
    mutable std::uint64_t uses_ = 0;
};

}  // namespace lt
