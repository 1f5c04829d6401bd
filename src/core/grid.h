#pragma once
// The history grid: a caption row and rows of texts. Views read it through a table
// model; no widget or item per cell.
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "core/controls.h"

namespace lt {

// Rows that live elsewhere (a database) and are read as they are shown.
class GridRows {
  public:
    virtual ~GridRows() = default;
    virtual int count() const = 0;
    virtual QString cell(int r, int c) const = 0;
};

class Grid final : public Control {
  public:
    // Begin* comes before the rows change and End* after, as item views expect.
    enum class Change {
        BeginReset,
        EndReset,
        BeginAppend,
        EndAppend,
        CaptionsChanged,
        Sort,
        Suffixes
    };

    // How a view shows a column's texts: as they are, or decimal byte counts in units.
    enum class CellFormat { Text, Bytes };

    Grid(ControlRegistry& r, QString name, int columns)
        : Control(r, std::move(name), Kind::Grid),
          columns_(columns),
          captions_(columns),
          suffixes_(columns),
          formats_(static_cast<size_t>(columns), CellFormat::Text) {}

    int columns() const { return columns_; }
    // Data rows, not counting the caption row.
    int rowCount() const {
        return source_ ? sourceRows_
                       : static_cast<int>(cells_.size() / static_cast<size_t>(columns_));
    }
    QString cell(int r, int c) const {
        if (source_) return source_->cell(r, c);
        return cells_[static_cast<size_t>(r) * static_cast<size_t>(columns_) +
                      static_cast<size_t>(c)];
    }
    QStringList row(int r) const;
    const QString& caption(int c) const { return captions_.at(c); }
    // Shown after a column's texts on screen (a currency symbol); the texts stay as they are.
    const QString& columnSuffix(int c) const { return suffixes_.at(c); }
    void setColumnSuffix(int c, const QString& suffix);
    CellFormat columnFormat(int c) const { return formats_.at(static_cast<size_t>(c)); }
    void setColumnFormat(int c, CellFormat format);
    void setCaption(int c, const QString& text);
    void setRows(const std::vector<QStringList>& rows);
    // The rows as one run of cells, row after row (what a large history loads into:
    // no allocation per row).
    void setCells(std::vector<QString> cells);
    void appendRow(const QStringList& row);
    // Shows rows read from `source` (not owned) until rows are set again; the grid's
    // own rows are dropped. Called again when the source's rows have been reordered.
    void showRows(const GridRows* source);
    const GridRows* source() const { return source_; }
    // The source gained rows at its end, or changed otherwise (a reset) when `appended`
    // is false. Views see the new rows only from here on.
    void sourceChanged(bool appended);
    void clear();
    // Reorders the rows (sorting); the rows' texts stay as they are.
    void reorder(const std::vector<int>& order);
    // The column the rows are sorted by, or -1 for the order they were set in.
    int sortColumn() const { return sortColumn_; }
    bool sortDescending() const { return sortDescending_; }
    void setSort(int column, bool descending);

    // A click on the caption of a column.
    std::function<void(int column)> CaptionClick;

    [[nodiscard]] Notifier<Change, int, int>::Subscription subscribeRows(
        std::function<void(Change, int first, int last)> f) {
        return rowsChanged_.subscribe(std::move(f));
    }

  private:
    void changed(Change c, int first = 0, int last = -1) { rowsChanged_.notify(c, first, last); }
    int columns_;
    QStringList captions_;
    QStringList suffixes_;
    std::vector<CellFormat> formats_;
    std::vector<QString> cells_;
    const GridRows* source_ = nullptr;
    int sourceRows_ = 0;  // what views were last told
    int sortColumn_ = -1;
    bool sortDescending_ = true;
    Notifier<Change, int, int> rowsChanged_;
};

}  // namespace lt
