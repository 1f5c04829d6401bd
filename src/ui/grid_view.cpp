#include "ui/grid_view.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionViewItem>

#include <algorithm>

namespace lt {

GridView::GridView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    header_ = new QHeaderView(Qt::Horizontal, this);
    header_->setSectionsClickable(true);
    header_->setHighlightSections(false);
    header_->setStretchLastSection(true);
    header_->setDefaultAlignment(Qt::AlignCenter);
    // The header is not the focus: Tab from the grid goes on to the next control.
    header_->setFocusPolicy(Qt::NoFocus);
    auto relayOut = [this] {
        layOut();
        viewport()->update();
    };
    connect(header_, &QHeaderView::sectionResized, this, relayOut);
    connect(header_, &QHeaderView::sectionCountChanged, this, relayOut);
    connect(header_, &QHeaderView::geometriesChanged, this, relayOut);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(20);
}

GridView::~GridView() {
    // QWidget's destructor still hides the header, whose signals would lay out what is gone.
    header_->disconnect(this);
    for (const auto& c : modelConnections_) disconnect(c);
}

void GridView::setModel(QAbstractItemModel* model) {
    for (const auto& c : modelConnections_) disconnect(c);
    modelConnections_.clear();
    model_ = model;
    header_->setModel(model);
    if (model) {
        auto rows = [this] { rowsChanged(); };
        auto reset = [this] { rowsChanged(true); };
        modelConnections_ = {
            connect(model, &QAbstractItemModel::modelReset, this, reset),
            connect(model, &QAbstractItemModel::layoutChanged, this, reset),
            connect(model, &QAbstractItemModel::rowsInserted, this, rows),
            connect(model, &QAbstractItemModel::rowsRemoved, this, rows),
            connect(model, &QAbstractItemModel::dataChanged, viewport(),
                    qOverload<>(&QWidget::update)),
        };
    }
    rowsChanged(true);
    emit modelChanged();
}

void GridView::setAlternatingRowColors(bool on) {
    alternating_ = on;
    viewport()->update();
}

int GridView::rowCount() const {
    return model_ ? model_->rowCount() : 0;
}

int GridView::rowHeight() const {
    // The height QTableView gives its rows, so the grid looks as it always has.
    const int metric =
        style()->pixelMetric(QStyle::PM_HeaderDefaultSectionSizeVertical, nullptr, this);
    return std::max(metric, fontMetrics().height() + 6);
}

int GridView::visibleRows() const {
    return std::max(1, viewport()->height() / rowHeight());
}

int GridView::topRow() const {
    return verticalScrollBar()->value();
}

GridView::FirstRow GridView::firstRow() const {
    const QScrollBar* bar = verticalScrollBar();
    if (bar->maximum() == 0 || bar->value() < bar->maximum()) return {bar->value(), 0};
    // Scrolled to the end, the last row sits on the bottom edge; the first shown may be cut.
    const int height = rowHeight();
    const int shown = (viewport()->height() + height - 1) / height;
    const int first = std::max(0, rowCount() - shown);
    return {first, viewport()->height() - (rowCount() - first) * height};
}

int GridView::rowAt(int y) const {
    const auto [first, top] = firstRow();
    if (y < top) return -1;
    const int row = first + (y - top) / rowHeight();
    return row < rowCount() ? row : -1;
}

void GridView::setCurrentRow(int row) {
    row = row < 0 || rowCount() == 0 ? -1 : std::min(row, rowCount() - 1);
    if (row == current_) return;
    current_ = row;
    if (row >= 0) scrollToRow(row);
    viewport()->update();
    emit currentRowChanged(row);
}

QRect GridView::visualRect(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= header_->count() ||
        header_->isSectionHidden(column))
        return {};
    const auto [first, top] = firstRow();
    if (row < first) return {};
    const qint64 y = top + qint64(row - first) * rowHeight();
    if (y >= viewport()->height()) return {};
    const QRect cell = cellRect(column, int(y));
    return cell.intersects(viewport()->rect()) ? cell : QRect();
}

QRect GridView::cellRect(int column, int y) const {
    return {header_->sectionViewportPosition(column), y, header_->sectionSize(column) - 1,
            rowHeight() - 1};
}

void GridView::scrollToRow(int row) {
    QScrollBar* bar = verticalScrollBar();
    if (row < bar->value())
        bar->setValue(row);
    else if (row >= bar->value() + visibleRows())
        bar->setValue(row - visibleRows() + 1);
}

void GridView::scrollToBottom() {
    followBottom_ = true;
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void GridView::layOut() {
    const int headerHeight = header_->isHidden() ? 0 : header_->sizeHint().height();
    setViewportMargins(0, headerHeight, 0, 0);
    const QRect area = viewport()->geometry();
    header_->setGeometry(area.left(), area.top() - headerHeight, area.width(), headerHeight);

    QScrollBar* rows = verticalScrollBar();
    const bool follow = followBottom_;
    rows->setPageStep(visibleRows());
    rows->setRange(0, std::max(0, rowCount() - visibleRows()));
    if (follow) rows->setValue(rows->maximum());

    QScrollBar* columns = horizontalScrollBar();
    columns->setPageStep(area.width());
    columns->setRange(0, std::max(0, header_->length() - area.width()));
}

void GridView::rowsChanged(bool forgetCurrent) {
    const int before = current_;
    if (forgetCurrent || current_ >= rowCount()) current_ = -1;
    layOut();
    viewport()->update();
    if (current_ != before) emit currentRowChanged(current_);
}

void GridView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    layOut();
}

void GridView::scrollContentsBy(int dx, int) {
    if (dx != 0) header_->setOffset(horizontalScrollBar()->value());
    // Kept at the newest row while the grid grows or is resized, until scrolled away.
    followBottom_ = verticalScrollBar()->value() == verticalScrollBar()->maximum();
    viewport()->update();
}

void GridView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) layOut();
}

void GridView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
    setCurrentRow(rowAt(event->position().toPoint().y()));
    event->accept();
}

void GridView::keyPressEvent(QKeyEvent* event) {
    const int last = rowCount() - 1;
    const int from = current_ < 0 ? topRow() : current_;
    int to = -2;
    switch (event->key()) {
        case Qt::Key_Up:
            to = current_ < 0 ? from : from - 1;
            break;
        case Qt::Key_Down:
            to = current_ < 0 ? from : from + 1;
            break;
        case Qt::Key_PageUp:
            to = from - visibleRows();
            break;
        case Qt::Key_PageDown:
            to = from + visibleRows();
            break;
        case Qt::Key_Home:
            to = 0;
            break;
        case Qt::Key_End:
            to = last;
            break;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
    }
    if (last >= 0) setCurrentRow(std::clamp(to, 0, last));
    event->accept();
}

void GridView::paintEvent(QPaintEvent*) {
    if (!model_) return;
    QPainter p(viewport());
    const int height = rowHeight();
    const int rows = rowCount();
    auto [row, y] = firstRow();
    const int top = y;
    for (; row < rows && y < viewport()->height(); ++row, y += height)
        paintRow(p, row, y, viewport()->rect());
    // The lines between cells, as a table draws them.
    QStyleOption option;
    option.initFrom(this);
    const QColor line = QColor::fromRgba(
        static_cast<QRgb>(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
    p.setPen(line);
    for (int v = 0; v < header_->count(); ++v) {
        const int c = header_->logicalIndex(v);
        const int x = header_->sectionViewportPosition(c) + header_->sectionSize(c) - 1;
        p.drawLine(x, 0, x, y - 1);
    }
    for (int ly = top + height - 1; ly < y; ly += height) p.drawLine(0, ly, header_->length(), ly);
}

void GridView::paintRow(QPainter& p, int row, int y, const QRect& clip) const {
    QStyleOptionViewItem opt;
    opt.initFrom(this);
    opt.state &= ~QStyle::State_HasFocus;
    opt.widget = this;
    opt.textElideMode = Qt::ElideRight;
    opt.viewItemPosition = QStyleOptionViewItem::Middle;
    opt.features = QStyleOptionViewItem::HasDisplay;
    if (alternating_ && (row & 1)) opt.features |= QStyleOptionViewItem::Alternate;
    if (row == current_) opt.state |= QStyle::State_Selected;
    if (!isEnabled()) opt.palette.setCurrentColorGroup(QPalette::Disabled);
    for (int v = 0; v < header_->count(); ++v) {
        const int c = header_->logicalIndex(v);
        const QRect cell = cellRect(c, y);
        if (!cell.intersects(clip)) continue;
        const QModelIndex index = model_->index(row, c);
        opt.rect = cell;
        opt.text = index.data(Qt::DisplayRole).toString();
        const QVariant align = index.data(Qt::TextAlignmentRole);
        opt.displayAlignment =
            align.isValid() ? Qt::Alignment(align.toInt()) : Qt::AlignLeft | Qt::AlignVCenter;
        style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &opt, &p, this);
        style()->drawControl(QStyle::CE_ItemViewItem, &opt, &p, this);
    }
}

}  // namespace lt
