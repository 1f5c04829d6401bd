#pragma once
// Screen readers see a grid view as a table: rows and columns from its model, column names
// from its header, the chosen row as the selection. Cells are made when a reader asks for
// one and only a bounded number is kept, so a million rows cost no more than ten.
#include <QAccessibleWidget>
#include <QHash>
#include <QObject>

#include <functional>
#include <list>
#include <memory>
#include <utility>

namespace lt {

class GridView;
class GridAccessibleEvents;

// Lets every grid view answer screen readers. Call it before the first grid is shown; a
// second call adds nothing.
void installGridAccessibility();

// Where the table's events go: to Qt, and only while a screen reader listens.
struct AccessibleEventSink {
    std::function<bool()> listening = &QAccessible::isActive;
    std::function<void(QAccessibleEvent*)> post = &QAccessible::updateAccessibility;
};

// Interfaces made on demand and kept in Qt's registry under their ids. Past the bound the
// least recently used are deleted, so a reader walking a long table leaves no trail behind
// it. That happens from the event loop, never inside a query: a query that hands out
// several cells (the selected ones, say) must not delete the first while making the last.
class AccessibleCellCache {
  public:
    using Key = std::pair<int, int>;  // row, column

    explicit AccessibleCellCache(int capacity) : capacity_(capacity) {}
    ~AccessibleCellCache() { clear(); }
    AccessibleCellCache(const AccessibleCellCache&) = delete;
    AccessibleCellCache& operator=(const AccessibleCellCache&) = delete;

    QAccessibleInterface* find(Key key);
    // Registers `made`, which Qt's registry owns from then on, and returns it.
    QAccessibleInterface* add(Key key, QAccessibleInterface* made);
    void clear();
    int size() const { return int(entries_.size()); }

  private:
    struct Entry {
        QAccessible::Id id;
        std::list<Key>::iterator age;
    };
    void trim();

    int capacity_;
    QHash<Key, Entry> entries_;
    std::list<Key> ages_;  // least recently used first
    QObject trimmer_;      // receives the queued trim
    bool trimQueued_ = false;
};

class GridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
  public:
    // Several screens of cells of the widest grid.
    static constexpr int kCachedCells = 2048;
    // The row number of the header's cells.
    static constexpr int kHeaderRow = -1;

    explicit GridAccessible(GridView* grid);

    GridView* grid() const;
    int cachedCellCount() const { return cells_.size(); }
    void setEventSink(AccessibleEventSink sink);
    // Qt 6.4's table interface has no call for it; unselecting the chosen row comes here.
    void clearSelection();
    // A cell's index among the children, -1 past what an int holds.
    int childIndex(int row, int column) const;
    // Cells a reader holds would name rows that moved or went: they are let go.
    void forgetCells();
    // The cell with the keyboard focus: the chosen row's first shown column.
    int focusColumn() const;

    // QAccessibleInterface
    void* interface_cast(QAccessible::InterfaceType type) override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    // QAccessibleTableInterface
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override;
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override;
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* event) override;

  protected:
    ~GridAccessible() override;

  private:
    QAccessibleInterface* cell(int row, int column) const;

    mutable AccessibleCellCache cells_{kCachedCells};
    std::unique_ptr<GridAccessibleEvents> events_;
};

}  // namespace lt
