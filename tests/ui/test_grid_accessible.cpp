#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QStandardItemModel>
#include <QTest>

#include "support/widget_application.h"
#include "ui/grid_accessible.h"
#include "ui/grid_view.h"

using namespace lt;

namespace {

void fill(QStandardItemModel& model, int rows, const QString& tag) {
    model.clear();
    model.setRowCount(rows);
    model.setColumnCount(3);
    model.setHorizontalHeaderLabels({"Fecha", "Inicio", "Costo"});
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < 3; ++c)
            model.setItem(r, c,
                          new QStandardItem(QStringLiteral("%1%2.%3").arg(tag).arg(r).arg(c)));
}

QString text(QAccessibleInterface* cell) {
    return cell ? cell->text(QAccessible::Name) : QStringLiteral("(none)");
}

// What a screen reader would have been told, in a line.
std::string told(QAccessibleEvent* e) {
    if (e->type() != QAccessible::TableModelChanged)
        return std::string(qAccessibleEventString(e->type())) + ' ' +
               text(e->accessibleInterface()).toStdString();
    static const char* const changes[] = {"ModelReset",      "DataChanged", "RowsInserted",
                                          "ColumnsInserted", "RowsRemoved", "ColumnsRemoved"};
    const auto* m = static_cast<QAccessibleTableModelChangeEvent*>(e);
    return QStringLiteral("%1 rows %2-%3 columns %4-%5")
        .arg(changes[m->modelChangeType()])
        .arg(m->firstRow())
        .arg(m->lastRow())
        .arg(m->firstColumn())
        .arg(m->lastColumn())
        .toStdString();
}

class GridAccessibleTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::widgetApplication(); }
    void SetUp() override {
        installGridAccessibility();
        installGridAccessibility();  // a second call adds nothing
        fill(model, 1000, "r");
        grid.setModel(&model);
        grid.resize(400, 300);
        grid.show();
        QCoreApplication::processEvents();
        iface = QAccessible::queryAccessibleInterface(&grid);
        ASSERT_NE(iface, nullptr);
        ASSERT_EQ(iface->role(), QAccessible::Table);
        table = iface->tableInterface();
        accessible = dynamic_cast<GridAccessible*>(iface);
        ASSERT_NE(table, nullptr);
        ASSERT_NE(accessible, nullptr);
    }
    static int rowChild(int row, int column) { return 3 + row * 3 + column; }

    QStandardItemModel model;
    GridView grid;
    QAccessibleInterface* iface = nullptr;
    QAccessibleTableInterface* table = nullptr;
    GridAccessible* accessible = nullptr;
};

TEST_F(GridAccessibleTest, ReadsCellsOnDemandChoosesRowsAndLetsStaleCellsGo) {
    EXPECT_EQ(table->rowCount(), 1000);
    EXPECT_EQ(table->columnCount(), 3);
    EXPECT_EQ(table->columnDescription(1), "Inicio");
    EXPECT_EQ(iface->childCount(), 1001 * 3);  // the header's cells, then the rows'

    // A cell far down: made alone, read from the model, out of sight.
    QAccessibleInterface* far = table->cellAt(900, 2);
    ASSERT_NE(far, nullptr);
    EXPECT_EQ(accessible->cachedCellCount(), 1);
    EXPECT_EQ(text(far), "r900.2");
    QAccessibleTableCellInterface* farCell = far->tableCellInterface();
    ASSERT_NE(farCell, nullptr);
    EXPECT_EQ(farCell->rowIndex(), 900);
    EXPECT_EQ(farCell->columnIndex(), 2);
    ASSERT_EQ(farCell->columnHeaderCells().size(), 1);
    EXPECT_EQ(text(farCell->columnHeaderCells().front()), "Costo");
    EXPECT_TRUE(far->state().offscreen);
    EXPECT_EQ(iface->indexOfChild(far), rowChild(900, 2));
    EXPECT_EQ(iface->child(rowChild(900, 2)), far);
    EXPECT_EQ(table->cellAt(1000, 0), nullptr);
    EXPECT_EQ(text(iface->child(1)), "Inicio");

    // A cell in sight is where the screen shows it.
    QAccessibleInterface* near = table->cellAt(0, 1);
    const QRect shown = near->rect();
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_FALSE(near->state().offscreen);
    EXPECT_EQ(iface->childAt(shown.center().x(), shown.center().y()), near);

    // The chosen row is the selection, both ways.
    EXPECT_TRUE(table->selectRow(900));
    EXPECT_EQ(grid.currentRow(), 900);
    EXPECT_TRUE(table->isRowSelected(900));
    EXPECT_EQ(table->selectedRows(), QList<int>{900});
    EXPECT_TRUE(farCell->isSelected());
    EXPECT_TRUE(far->state().selected);
    EXPECT_FALSE(far->state().offscreen);  // brought into view
    EXPECT_FALSE(table->selectRow(5000));  // not the last row instead
    EXPECT_EQ(grid.currentRow(), 900);
    EXPECT_TRUE(table->unselectRow(5));
    EXPECT_EQ(grid.currentRow(), 900);
    EXPECT_TRUE(table->unselectRow(900));
    EXPECT_EQ(grid.currentRow(), -1);
    EXPECT_EQ(table->selectedRowCount(), 0);
    grid.setCurrentRow(3);
    EXPECT_TRUE(table->isRowSelected(3));
    accessible->clearSelection();
    EXPECT_EQ(grid.currentRow(), -1);
    EXPECT_TRUE(table->selectedCells().isEmpty());

    // Rows that go take their cells with them: no cell speaks for a row that moved or left.
    const QAccessible::Id farId = QAccessible::uniqueId(far);
    const QAccessible::Id nearId = QAccessible::uniqueId(near);
    ASSERT_TRUE(model.removeRows(500, 500));
    EXPECT_EQ(table->rowCount(), 500);
    EXPECT_EQ(iface->childCount(), 501 * 3);
    EXPECT_EQ(QAccessible::accessibleInterface(farId), nullptr);
    EXPECT_EQ(QAccessible::accessibleInterface(nearId), nullptr);
    EXPECT_EQ(table->cellAt(900, 2), nullptr);
    QAccessibleInterface* kept = table->cellAt(10, 0);
    const QAccessible::Id keptId = QAccessible::uniqueId(kept);
    fill(model, 20, "n");  // a reset, then new rows
    EXPECT_EQ(table->rowCount(), 20);
    EXPECT_EQ(QAccessible::accessibleInterface(keptId), nullptr);
    EXPECT_EQ(text(table->cellAt(10, 0)), "n10.0");

    // Another model: the table reads it and forgets the old one's cells.
    QStandardItemModel other;
    fill(other, 50, "o");
    const QAccessible::Id beforeId = QAccessible::uniqueId(table->cellAt(10, 0));
    grid.setModel(&other);
    EXPECT_EQ(table->rowCount(), 50);
    EXPECT_EQ(QAccessible::accessibleInterface(beforeId), nullptr);
    EXPECT_EQ(text(table->cellAt(10, 0)), "o10.0");
    const int cached = accessible->cachedCellCount();
    fill(model, 5, "x");  // the old model is no longer heard
    EXPECT_EQ(accessible->cachedCellCount(), cached);

    // A model that goes before its grid.
    auto* brief = new GridView;
    auto* gone = new QStandardItemModel(3, 3);
    brief->setModel(gone);
    brief->show();
    QAccessible::queryAccessibleInterface(brief)->tableInterface()->cellAt(1, 1);
    delete gone;
    EXPECT_EQ(QAccessible::queryAccessibleInterface(brief)->tableInterface()->rowCount(), 0);
    delete brief;

    // A reader walking every cell of a long table keeps only the newest.
    fill(other, 2000, "w");
    const QAccessible::Id first = QAccessible::uniqueId(iface->child(rowChild(0, 0)));
    for (int i = 0; i < 3 * GridAccessible::kCachedCells; ++i) iface->child(rowChild(0, 0) + i);
    // Not while the reader's query runs: what it was handed stays valid until then.
    EXPECT_NE(QAccessible::accessibleInterface(first), nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(accessible->cachedCellCount(), GridAccessible::kCachedCells);
    EXPECT_EQ(QAccessible::accessibleInterface(first), nullptr);
    // A cell in use is kept however many are made after it.
    const QAccessible::Id used = QAccessible::uniqueId(iface->child(rowChild(0, 0)));
    for (int i = 1; i <= 2 * GridAccessible::kCachedCells; ++i) {
        iface->child(rowChild(0, 0) + i);
        if (i % 100 == 0) table->cellAt(0, 0);
        if (i % 500 == 0) QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    EXPECT_NE(QAccessible::accessibleInterface(used), nullptr);
    EXPECT_EQ(text(table->cellAt(1999, 2)), "w1999.2");
}

TEST_F(GridAccessibleTest, TellsAListeningReaderOfTheChosenRowAndOfChangedRows) {
    bool listening = false;
    std::vector<std::string> heard;
    accessible->setEventSink({[&listening] { return listening; },
                              [&heard](QAccessibleEvent* e) { heard.push_back(told(e)); }});
    QApplication::setActiveWindow(&grid);
    grid.setFocus();
    ASSERT_TRUE(grid.hasFocus());

    // Nobody listening: nothing is said.
    grid.setCurrentRow(5);
    EXPECT_TRUE(heard.empty());

    listening = true;
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(heard,
              (std::vector<std::string>{"SelectionRemove r5.0", "SelectionRemove r5.1",
                                        "SelectionRemove r5.2", "SelectionAdd r6.0",
                                        "SelectionAdd r6.1", "SelectionAdd r6.2", "Focus r6.0"}));
    EXPECT_EQ(text(iface->focusChild()), "r6.0");
    EXPECT_TRUE(iface->focusChild()->state().focused);

    heard.clear();
    model.insertRows(1000, 2);
    model.removeRows(0, 10);
    model.setData(model.index(3, 1), "changed");
    model.setHeaderData(2, Qt::Horizontal, "Cost");
    EXPECT_EQ(heard,
              (std::vector<std::string>{"RowsInserted rows 1000-1001 columns -1--1",
                                        "RowsRemoved rows 0-9 columns -1--1",
                                        "DataChanged rows 3-3 columns 1-1", "NameChanged Cost"}));

    // A reset drops the chosen row; nothing is said of a cell past the new end.
    heard.clear();
    fill(model, 10, "z");
    EXPECT_EQ(grid.currentRow(), -1);
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.front(), "ModelReset rows -1--1 columns -1--1");
    for (const std::string& line : heard) EXPECT_EQ(line.find("(none)"), std::string::npos);
}

}  // namespace
