#pragma once
// The history grid: a caption row and rows of texts. Views read it through a table
// model; no widget or item per cell.
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "core/controls.h"

namespace lt {

class Grid final : public Control {
  public:
    // Begin* comes before the rows change and End* after, as item views expect.
    enum class Change { BeginReset, EndReset, BeginAppend, EndAppend, CaptionsChanged };

    Grid(ControlRegistry& r, QString name, int columns)
        : Control(r, std::move(name), Kind::Grid), columns_(columns), captions_(columns) {}

    int columns() const { return columns_; }
    // Data rows, not counting the caption row.
    int rowCount() const { return static_cast<int>(rows_.size()); }
    const QStringList& row(int r) const { return rows_.at(static_cast<size_t>(r)); }
    const QString& caption(int c) const { return captions_.at(c); }
    void setCaption(int c, const QString& text);
    void setRows(std::vector<QStringList> rows);
    void appendRow(QStringList row);
    void clear();
    // Reorders the rows (sorting); the rows' texts stay as they are.
    void reorder(const std::vector<int>& order);

    // A click on the caption of a column.
    std::function<void(int column)> CaptionClick;

    void setChangeObserver(std::function<void(Change, int first, int last)> o) {
        changeObserver_ = std::move(o);
    }

  private:
    void changed(Change c, int first = 0, int last = -1) {
        if (changeObserver_) changeObserver_(c, first, last);
    }
    int columns_;
    QStringList captions_;
    std::vector<QStringList> rows_;
    std::function<void(Change, int, int)> changeObserver_;
};

}  // namespace lt
