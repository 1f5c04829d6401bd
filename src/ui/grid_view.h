#pragma once
// A table view for a model of any length: it keeps nothing per row, where QTableView's
// vertical header keeps a record for every row, shown or not. Rows are of one height and
// one row at most is chosen, which is all the history grid needs.
#include <QAbstractScrollArea>
#include <QPointer>

class QAbstractItemModel;
class QHeaderView;

namespace lt {

class GridView : public QAbstractScrollArea {
    Q_OBJECT
    Q_PROPERTY(bool alternatingRowColors READ alternatingRowColors WRITE setAlternatingRowColors)
  public:
    explicit GridView(QWidget* parent = nullptr);
    ~GridView() override;

    void setModel(QAbstractItemModel* model);
    QAbstractItemModel* model() const { return model_; }
    QHeaderView* horizontalHeader() const { return header_; }

    bool alternatingRowColors() const { return alternating_; }
    void setAlternatingRowColors(bool on);

    int rowHeight() const;
    // The first row shown, and the row chosen (-1 for none).
    int topRow() const;
    int currentRow() const { return current_; }
    void setCurrentRow(int row);
    int rowAt(int y) const;
    // Where a cell stands in the viewport; empty while it is scrolled out of sight.
    QRect visualRect(int row, int column) const;
    void scrollToBottom();
    void scrollToRow(int row);

  signals:
    // Whatever moved it: a click, a key, a call, or rows that went away under it.
    void currentRowChanged(int row);
    void modelChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent* event) override;

  private:
    struct FirstRow {
        int row;
        int y;
    };
    FirstRow firstRow() const;
    int visibleRows() const;
    int rowCount() const;
    void layOut();
    void rowsChanged(bool forgetCurrent = false);
    QRect cellRect(int column, int y) const;
    void paintRow(QPainter& p, int row, int y, const QRect& clip) const;

    QHeaderView* header_;
    QPointer<QAbstractItemModel> model_;
    QList<QMetaObject::Connection> modelConnections_;
    int current_ = -1;
    bool alternating_ = false;
    bool followBottom_ = false;
};

}  // namespace lt
