#pragma once
// Shows the history grid in a grid view without an item per cell.
#include <QAbstractTableModel>

#include "core/grid.h"

namespace lt {

class GridTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit GridTableModel(Grid& grid, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

  private:
    Grid& grid_;
    Notifier<Grid::Change, int, int>::Subscription rows_;
};

}  // namespace lt
