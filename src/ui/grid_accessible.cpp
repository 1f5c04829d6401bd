#include "ui/grid_accessible.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QWindow>

#include <algorithm>
#include <climits>

#include "ui/grid_view.h"

namespace lt {

namespace {

QAccessibleInterface* gridFactory(const QString&, QObject* object) {
    auto* grid = qobject_cast<GridView*>(object);
    return grid ? new GridAccessible(grid) : nullptr;
}

QRect onScreen(const QWidget* widget, const QRect& local) {
    return local.isEmpty() ? QRect() : QRect(widget->mapToGlobal(local.topLeft()), local.size());
}

// One cell of the grid, or one caption of its header. It reads the model each time it is
// asked, so it never tells a text the model no longer holds.
class GridCellBase : public QAccessibleInterface {
  public:
    GridCellBase(GridAccessible& table, int row, int column)
        : table_(table), row_(row), column_(column) {}

    int row() const { return row_; }
    int column() const { return column_; }

    bool isValid() const override {
        const QAbstractItemModel* m = model();
        return m && column_ < m->columnCount() && row_ < m->rowCount();
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return table_.window(); }
    QAccessibleInterface* parent() const override { return &table_; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}  // the grid is read-only

  protected:
    QAbstractItemModel* model() const {
        const GridView* grid = table_.grid();
        return grid ? grid->model() : nullptr;
    }

    GridAccessible& table_;
    const int row_;
    const int column_;
};

class GridCell final : public GridCellBase, public QAccessibleTableCellInterface {
  public:
    using GridCellBase::GridCellBase;

    QString text(QAccessible::Text t) const override {
        if (!isValid()) return {};
        const QModelIndex index = model()->index(row_, column_);
        if (t == QAccessible::Description)
            return index.data(Qt::AccessibleDescriptionRole).toString();
        if (t != QAccessible::Name) return {};
        const QVariant spoken = index.data(Qt::AccessibleTextRole);
        return spoken.isValid() ? spoken.toString() : index.data(Qt::DisplayRole).toString();
    }
    QRect rect() const override {
        const GridView* grid = table_.grid();
        if (!isValid() || !grid->isVisible()) return {};
        return onScreen(grid->viewport(), grid->visualRect(row_, column_));
    }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override {
        QAccessible::State st;
        if (!isValid()) {
            st.invalid = true;
            return st;
        }
        st.selectable = true;
        st.focusable = true;
        st.selected = isSelected();
        st.focused = st.selected && table_.grid()->hasFocus() && column_ == table_.focusColumn();
        st.invisible = st.offscreen = rect().isEmpty();
        return st;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    bool isSelected() const override { return table_.isRowSelected(row_); }
    QList<QAccessibleInterface*> columnHeaderCells() const override {
        QAccessibleInterface* header =
            table_.child(table_.childIndex(GridAccessible::kHeaderRow, column_));
        return header ? QList<QAccessibleInterface*>{header} : QList<QAccessibleInterface*>{};
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return &table_; }
};

class GridHeaderCell final : public GridCellBase {
  public:
    GridHeaderCell(GridAccessible& table, int column)
        : GridCellBase(table, GridAccessible::kHeaderRow, column) {}

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? table_.columnDescription(column_) : QString();
    }
    QRect rect() const override {
        const GridView* grid = table_.grid();
        if (!isValid() || !grid->isVisible()) return {};
        const QHeaderView* header = grid->horizontalHeader();
        if (header->isHidden() || header->isSectionHidden(column_)) return {};
        const QRect section(header->sectionViewportPosition(column_), 0,
                            header->sectionSize(column_), header->height());
        return section.intersects(header->rect()) ? onScreen(header, section) : QRect();
    }
    QAccessible::Role role() const override { return QAccessible::ColumnHeader; }
    QAccessible::State state() const override {
        QAccessible::State st;
        st.invalid = !isValid();
        st.invisible = st.offscreen = rect().isEmpty();
        return st;
    }
};

}  // namespace

// Tells a screen reader what changed in the grid: the chosen row, and rows or columns that
// came, went or changed. The watching starts with the table's interface, which nobody asks
// for unless a reader listens, so a grid nobody reads pays nothing for it.
class GridAccessibleEvents {
  public:
    explicit GridAccessibleEvents(GridAccessible& table);

    void setSink(AccessibleEventSink sink) { sink_ = std::move(sink); }

  private:
    using Change = QAccessibleTableModelChangeEvent::ModelChangeType;

    void watchModel();
    void currentRowChanged(int row);
    void reshaped(Change change, int first = -1, int last = -1);
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight);
    void captionsChanged(Qt::Orientation orientation, int first, int last);
    void postCell(QAccessible::Event type, int row, int column);

    GridAccessible& table_;
    AccessibleEventSink sink_;
    QObject gridWatch_;
    std::unique_ptr<QObject> modelWatch_;
    int toldRow_;  // the chosen row a reader was last told of
};

GridAccessibleEvents::GridAccessibleEvents(GridAccessible& table)
    : table_(table), toldRow_(table.grid()->currentRow()) {
    GridView* grid = table_.grid();
    QObject::connect(grid, &GridView::currentRowChanged, &gridWatch_,
                     [this](int row) { currentRowChanged(row); });
    QObject::connect(grid, &GridView::modelChanged, &gridWatch_, [this] {
        watchModel();
        reshaped(Change::ModelReset);
    });
    watchModel();
}

void GridAccessibleEvents::watchModel() {
    modelWatch_ = std::make_unique<QObject>();  // the old model's connections go with the old one
    const QAbstractItemModel* model = table_.grid()->model();
    if (!model) return;
    using M = QAbstractItemModel;
    QObject* watch = modelWatch_.get();
    const auto reset = [this] { reshaped(Change::ModelReset); };
    const auto span = [this](Change change) {
        return [this, change](const QModelIndex& parent, int first, int last) {
            if (!parent.isValid()) reshaped(change, first, last);
        };
    };
    // Before the grid reacts and the chosen row is told of: no cell names a row that moved.
    const auto forget = [this] { table_.forgetCells(); };
    QObject::connect(model, &M::modelAboutToBeReset, watch, forget);
    QObject::connect(model, &M::layoutAboutToBeChanged, watch, forget);
    QObject::connect(model, &M::rowsAboutToBeRemoved, watch, forget);
    QObject::connect(model, &M::rowsAboutToBeInserted, watch, forget);
    QObject::connect(model, &M::modelReset, watch, reset);
    QObject::connect(model, &M::layoutChanged, watch, reset);
    QObject::connect(model, &M::rowsMoved, watch, reset);
    QObject::connect(model, &M::columnsMoved, watch, reset);
    QObject::connect(model, &M::rowsInserted, watch, span(Change::RowsInserted));
    QObject::connect(model, &M::rowsRemoved, watch, span(Change::RowsRemoved));
    QObject::connect(model, &M::columnsInserted, watch, span(Change::ColumnsInserted));
    QObject::connect(model, &M::columnsRemoved, watch, span(Change::ColumnsRemoved));
    QObject::connect(
        model, &M::dataChanged, watch,
        [this](const QModelIndex& from, const QModelIndex& to) { dataChanged(from, to); });
    QObject::connect(
        model, &M::headerDataChanged, watch,
        [this](Qt::Orientation o, int first, int last) { captionsChanged(o, first, last); });
}

void GridAccessibleEvents::currentRowChanged(int row) {
    const int before = std::exchange(toldRow_, row);
    if (!sink_.listening()) return;
    const int columns = table_.columnCount();
    // One event a cell, as a table view that selects rows sends them.
    if (before >= 0 && before < table_.rowCount())
        for (int c = 0; c < columns; ++c) postCell(QAccessible::SelectionRemove, before, c);
    if (row < 0) return;
    for (int c = 0; c < columns; ++c) postCell(QAccessible::SelectionAdd, row, c);
    if (table_.grid()->hasFocus() && columns > 0)
        postCell(QAccessible::Focus, row, table_.focusColumn());
}

void GridAccessibleEvents::reshaped(Change change, int first, int last) {
    table_.forgetCells();
    if (!sink_.listening()) return;
    QAccessibleTableModelChangeEvent event(table_.grid(), change);
    if (change == Change::ColumnsInserted || change == Change::ColumnsRemoved) {
        event.setFirstColumn(first);
        event.setLastColumn(last);
    } else {
        event.setFirstRow(first);
        event.setLastRow(last);
    }
    sink_.post(&event);
}

void GridAccessibleEvents::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight) {
    if (topLeft.parent().isValid() || !sink_.listening()) return;
    QAccessibleTableModelChangeEvent event(table_.grid(), Change::DataChanged);
    event.setFirstRow(topLeft.row());
    event.setFirstColumn(topLeft.column());
    event.setLastRow(bottomRight.row());
    event.setLastColumn(bottomRight.column());
    sink_.post(&event);
}

void GridAccessibleEvents::captionsChanged(Qt::Orientation orientation, int first, int last) {
    if (orientation != Qt::Horizontal || !sink_.listening()) return;
    last = std::min(last, table_.columnCount() - 1);
    for (int c = std::max(first, 0); c <= last; ++c)
        postCell(QAccessible::NameChanged, GridAccessible::kHeaderRow, c);
}

void GridAccessibleEvents::postCell(QAccessible::Event type, int row, int column) {
    const int index = table_.childIndex(row, column);
    if (index < 0) return;
    QAccessibleEvent event(table_.grid(), type);
    event.setChild(index);
    sink_.post(&event);
}

QAccessibleInterface* AccessibleCellCache::find(Key key) {
    const auto it = entries_.find(key);
    if (it == entries_.end()) return nullptr;
    ages_.splice(ages_.end(), ages_, it->age);
    return QAccessible::accessibleInterface(it->id);
}

QAccessibleInterface* AccessibleCellCache::add(Key key, QAccessibleInterface* made) {
    const QAccessible::Id id = QAccessible::registerAccessibleInterface(made);
    // A key seen before had its interface deleted by Qt itself (at exit).
    if (const auto it = entries_.find(key); it != entries_.end()) {
        it->id = id;
        ages_.splice(ages_.end(), ages_, it->age);
    } else {
        entries_.insert(key, {id, ages_.insert(ages_.end(), key)});
    }
    if (entries_.size() > capacity_ && !std::exchange(trimQueued_, true))
        QMetaObject::invokeMethod(
            &trimmer_, [this] { trim(); }, Qt::QueuedConnection);
    return made;
}

void AccessibleCellCache::trim() {
    trimQueued_ = false;
    while (entries_.size() > capacity_) {
        const QAccessible::Id oldest = entries_.take(ages_.front()).id;
        ages_.pop_front();
        if (QAccessible::accessibleInterface(oldest))
            QAccessible::deleteAccessibleInterface(oldest);
    }
}

void AccessibleCellCache::clear() {
    for (const Entry& e : std::as_const(entries_))
        if (QAccessible::accessibleInterface(e.id)) QAccessible::deleteAccessibleInterface(e.id);
    entries_.clear();
    ages_.clear();
}

GridAccessible::GridAccessible(GridView* grid)
    : QAccessibleWidget(grid, QAccessible::Table),
      events_(std::make_unique<GridAccessibleEvents>(*this)) {}

GridAccessible::~GridAccessible() = default;

GridView* GridAccessible::grid() const {
    return static_cast<GridView*>(widget());
}

void GridAccessible::setEventSink(AccessibleEventSink sink) {
    events_->setSink(std::move(sink));
}

void GridAccessible::forgetCells() {
    cells_.clear();
}

int GridAccessible::focusColumn() const {
    const QHeaderView* header = grid()->horizontalHeader();
    for (int v = 0; v < header->count(); ++v)
        if (!header->isSectionHidden(header->logicalIndex(v))) return header->logicalIndex(v);
    return 0;
}

void* GridAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

int GridAccessible::rowCount() const {
    const GridView* g = grid();
    return g && g->model() ? g->model()->rowCount() : 0;
}

int GridAccessible::columnCount() const {
    const GridView* g = grid();
    return g && g->model() ? g->model()->columnCount() : 0;
}

int GridAccessible::childIndex(int row, int column) const {
    // The header's cells come first, then the rows, a row's cells side by side.
    const qint64 index = qint64(row - kHeaderRow) * columnCount() + column;
    return index <= INT_MAX ? int(index) : -1;
}

int GridAccessible::childCount() const {
    return int(std::min<qint64>(qint64(rowCount() - kHeaderRow) * columnCount(), INT_MAX));
}

QAccessibleInterface* GridAccessible::child(int index) const {
    const int columns = columnCount();
    if (index < 0 || columns == 0 || index >= childCount()) return nullptr;
    return cell(index / columns + kHeaderRow, index % columns);
}

int GridAccessible::indexOfChild(const QAccessibleInterface* child) const {
    const auto* cell = dynamic_cast<const GridCellBase*>(child);
    if (!cell || cell->parent() != this || !cell->isValid()) return -1;
    return childIndex(cell->row(), cell->column());
}

QAccessibleInterface* GridAccessible::childAt(int x, int y) const {
    const GridView* g = grid();
    if (!g || !g->model()) return nullptr;
    const QHeaderView* header = g->horizontalHeader();
    const QPoint onHeader = header->mapFromGlobal(QPoint(x, y));
    if (header->isVisible() && header->rect().contains(onHeader)) {
        const int column = header->logicalIndexAt(onHeader.x());
        return column >= 0 ? cell(kHeaderRow, column) : nullptr;
    }
    const QPoint inView = g->viewport()->mapFromGlobal(QPoint(x, y));
    if (!g->viewport()->rect().contains(inView)) return nullptr;
    const int row = g->rowAt(inView.y());
    const int column = header->logicalIndexAt(inView.x());
    return row >= 0 && column >= 0 ? cell(row, column) : nullptr;
}

QAccessibleInterface* GridAccessible::focusChild() const {
    const GridView* g = grid();
    if (g && g->hasFocus() && g->currentRow() >= 0 && columnCount() > 0)
        return cellAt(g->currentRow(), focusColumn());
    return QAccessibleWidget::focusChild();
}

QAccessibleInterface* GridAccessible::cellAt(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return nullptr;
    return cell(row, column);
}

QAccessibleInterface* GridAccessible::cell(int row, int column) const {
    if (QAccessibleInterface* kept = cells_.find({row, column})) return kept;
    // Interfaces are handed out as non-const pointers; a cell's table is this one.
    auto& table = const_cast<GridAccessible&>(*this);
    QAccessibleInterface* made =
        row == kHeaderRow ? static_cast<QAccessibleInterface*>(new GridHeaderCell(table, column))
                          : new GridCell(table, row, column);
    return cells_.add({row, column}, made);
}

int GridAccessible::selectedCellCount() const {
    return selectedRowCount() * columnCount();
}

QList<QAccessibleInterface*> GridAccessible::selectedCells() const {
    QList<QAccessibleInterface*> cells;
    for (const int row : selectedRows())
        for (int c = 0; c < columnCount(); ++c) cells << cellAt(row, c);
    return cells;
}

QString GridAccessible::columnDescription(int column) const {
    const GridView* g = grid();
    if (!g || !g->model()) return {};
    return g->model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

int GridAccessible::selectedRowCount() const {
    return int(selectedRows().size());
}

QList<int> GridAccessible::selectedRows() const {
    const GridView* g = grid();
    return g && g->currentRow() >= 0 ? QList<int>{g->currentRow()} : QList<int>{};
}

bool GridAccessible::isRowSelected(int row) const {
    const GridView* g = grid();
    return g && row >= 0 && row == g->currentRow();
}

bool GridAccessible::selectRow(int row) {
    // The view would take a row past the end for the last one.
    if (row < 0 || row >= rowCount()) return false;
    grid()->setCurrentRow(row);
    return true;
}

bool GridAccessible::unselectRow(int row) {
    if (row < 0 || row >= rowCount()) return false;
    if (isRowSelected(row)) clearSelection();
    return true;
}

void GridAccessible::clearSelection() {
    if (GridView* g = grid()) g->setCurrentRow(-1);
}

void GridAccessible::modelChange(QAccessibleTableModelChangeEvent* event) {
    if (event->modelChangeType() != QAccessibleTableModelChangeEvent::DataChanged) forgetCells();
}

void installGridAccessibility() {
    // Qt keeps one entry per factory, however often it is installed.
    QAccessible::installFactory(&gridFactory);
}

}  // namespace lt
