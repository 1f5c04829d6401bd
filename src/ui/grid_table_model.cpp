#include "ui/grid_table_model.h"

#include "volume/byte_units.h"

namespace lt {

GridTableModel::GridTableModel(Grid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid) {
    rows_ = grid_.subscribeRows([this](Grid::Change c, int first, int last) {
        switch (c) {
            case Grid::Change::BeginReset:
                beginResetModel();
                break;
            case Grid::Change::EndReset:
                endResetModel();
                break;
            case Grid::Change::BeginAppend:
                beginInsertRows({}, first, last);
                break;
            case Grid::Change::EndAppend:
                endInsertRows();
                break;
            case Grid::Change::CaptionsChanged:
                emit headerDataChanged(Qt::Horizontal, first, last);
                break;
            case Grid::Change::Sort:
                break;  // the header's arrow; the rows came with the reset
            case Grid::Change::Suffixes:
                if (grid_.rowCount() > 0)
                    emit dataChanged(index(0, first), index(grid_.rowCount() - 1, last));
                break;
        }
    });
}

int GridTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_.rowCount();
}

int GridTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_.columns();
}

QVariant GridTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= grid_.rowCount() || index.column() >= grid_.columns())
        return {};
    if (role == Qt::DisplayRole) {
        const QString text = grid_.cell(index.row(), index.column());
        if (grid_.columnFormat(index.column()) == Grid::CellFormat::Bytes) {
            // Sessions from before bytes were counted show nothing.
            bool counted = false;
            const qlonglong bytes = text.toLongLong(&counted);
            return counted ? formatBytes(bytes) : QString();
        }
        return text + grid_.columnSuffix(index.column());
    }
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    return {};
}

QVariant GridTableModel::headerData(int section, Qt::Orientation o, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (o == Qt::Horizontal) return section < grid_.columns() ? grid_.caption(section) : QVariant();
    return section + 1;
}

}  // namespace lt
