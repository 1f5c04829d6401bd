#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include "core/text_format.h"
#include "form/main_form.h"
#include "history/grid_sort.h"
#include "history/history_rows.h"
#include "history/session_ledger.h"
#include "platform/file_system.h"
#include "stats/statistics.h"
#include "support/test_support.h"
#include "support/widget_application.h"
#include "ui/grid_table_model.h"
#include "ui/grid_view.h"

using namespace lt;

namespace {

// A session of a random history: any day from late 2024 to early 2027 (month and year
// ends included), texts as the program writes them, some without byte counts.
QStringList randomSession(QRandomGenerator& rng) {
    const OleDate day = oleFromParts(2024, 11, 20) + rng.bounded(800);
    const int start = rng.bounded(86'400), length = rng.bounded(20'000);
    const bool counted = rng.bounded(4) != 0;
    return {formatDate(day),
            formatDurationSeconds(start),
            formatDurationSeconds((start + length) % 86'400),
            formatDurationSeconds(length),
            formatMoney(rng.bounded(100'000) / 100.0),
            formatMoney(rng.bounded(1'000'000) / 100.0),
            counted ? QString::number(rng.bounded(2'000'000'000)) : QString(),
            counted ? QString::number(rng.bounded(900'000'000)) : QString()};
}

class HistoryRowsTest : public ::testing::Test {
  protected:
    void fill(int count, quint32 seed) {
        QRandomGenerator rng(seed);
        std::vector<StoredSession> sessions;
        for (int i = 0; i < count; ++i) {
            rows.push_back(randomSession(rng));
            sessions.push_back({nextId++, SessionRecord::fromRow(rows.back())});
        }
        ASSERT_TRUE(store.store(sessions));
    }
    // Every row's text in one column, as the grid shows it.
    QStringList column(int c) const {
        QStringList out;
        for (int r = 0; r < grid().rowCount(); ++r) out << grid().cell(r, c);
        return out;
    }
    Grid& grid() const { return form->MSFlexGrid_Estado; }

    QTemporaryDir dir;
    PosixFileSystem fs;
    HistoryStore store{dir.filePath(QStringLiteral("LinkTally.db"))};
    SessionLedger ledger{fs, dir.filePath(QStringLiteral("LinkTally.ledger"))};
    HistoryRows source{store, ledger};
    std::unique_ptr<MainForm> form = std::make_unique<MainForm>();
    std::vector<QStringList> rows;  // what was stored, in order
    std::uint64_t nextId = 1;
};

TEST_F(HistoryRowsTest, AHundredThousandRowsScrollSortByValueTakeANewSessionAndClear) {
    ASSERT_TRUE(store.open());
    ASSERT_TRUE(ledger.open());
    fill(100'000, 7);
    GridTableModel model(grid());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    source.refresh();
    grid().showRows(&source);
    ASSERT_EQ(model.rowCount(), 100'000);

    // Jumps, steps back and forth across pages, and the far end.
    for (const int r : {0, 99'999, 50'000, 50'255, 50'256, 50'255, 255, 256, 77'777, 1})
        for (int c = 0; c < SessionRecord::kColumns; ++c)
            ASSERT_EQ(model.index(r, c).data().toString().isEmpty(), rows[size_t(r)][c].isEmpty());
    for (const int r : {0, 99'999, 50'000, 50'256, 255, 77'777})
        EXPECT_EQ(grid().row(r), rows[size_t(r)]) << r;

    // The view over them: the newest row on the bottom edge, the keys and a click.
    test::widgetApplication();
    GridView view;
    view.setModel(&model);
    view.resize(600, 300);
    view.show();
    view.scrollToBottom();
    // The scroll bars come and go a moment later, and the rows' room with them.
    QCoreApplication::processEvents();
    const auto bottom = [&view] { return view.viewport()->height() - 1; };
    EXPECT_EQ(view.rowAt(bottom()), 99'999);
    EXPECT_FALSE(view.grab().isNull());
    QTest::keyClick(&view, Qt::Key_Home);
    EXPECT_EQ(view.currentRow(), 0);
    EXPECT_EQ(view.rowAt(0), 0);
    QTest::keyClick(&view, Qt::Key_PageDown);
    const int page = view.viewport()->height() / view.rowHeight();
    EXPECT_EQ(view.currentRow(), page);
    EXPECT_EQ(view.topRow(), 1);  // brought into view, no further
    QTest::keyClick(&view, Qt::Key_End);
    EXPECT_EQ(view.currentRow(), 99'999);
    EXPECT_EQ(view.rowAt(bottom()), 99'999);
    QTest::keyClick(&view, Qt::Key_Up);
    EXPECT_EQ(view.currentRow(), 99'998);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, {20, bottom() - view.rowHeight()});
    EXPECT_EQ(view.currentRow(), 99'998);
    view.verticalScrollBar()->setValue(50'000);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, {20, 1});
    EXPECT_EQ(view.currentRow(), 50'000);
    view.horizontalHeader()->resizeSection(0, 900);  // wider than the view: it scrolls sideways
    EXPECT_GT(view.horizontalScrollBar()->maximum(), 0);
    QCoreApplication::processEvents();
    view.scrollToBottom();

    // The chart per session reads the newest sessions only.
    const std::vector<ChartPoint> points = puntosPorSesion(grid());
    ASSERT_EQ(points.size(), size_t(kSesionesEnGrafica));
    EXPECT_EQ(points.back().date, rows.back()[0] + ' ' + rows.back()[1]);

    // Each column by value, both ways: every row once, in order of the column's value.
    for (int c = 0; c < SessionRecord::kColumns; ++c)
        for (const bool descending : {false, true}) {
            source.setOrder({c, descending});
            grid().showRows(&source);
            const QStringList texts = column(c);
            std::vector<double> keys;
            for (const QString& t : texts) keys.push_back(historySortKey(c, t));
            EXPECT_TRUE(descending ? std::is_sorted(keys.rbegin(), keys.rend())
                                   : std::is_sorted(keys.begin(), keys.end()))
                << "column " << c << (descending ? " down" : " up");
            QStringList expected;
            for (const QStringList& r : rows) expected << r[c];
            QStringList got = texts;
            expected.sort();
            got.sort();
            EXPECT_EQ(got, expected) << "column " << c;
        }

    // A new session while sorted by cost takes its place in the order.
    source.setOrder({4, true});
    grid().showRows(&source);
    rows.push_back(
        {"31/12/2026", "23:00:00", "23:59:59", "00:59:59", "9999.99", "9999.99", "5", "6"});
    ASSERT_TRUE(store.store({{nextId++, SessionRecord::fromRow(rows.back())}}));
    source.refresh();
    grid().sourceChanged(false);
    EXPECT_EQ(model.rowCount(), 100'001);
    EXPECT_EQ(grid().row(0), rows.back());
    EXPECT_EQ(view.currentRow(), -1);  // a new order chooses no row

    // In the stored order it comes last, as an appended row.
    source.setOrder({});
    grid().showRows(&source);
    rows.push_back(rows.back());
    ASSERT_TRUE(store.store({{nextId++, SessionRecord::fromRow(rows.back())}}));
    source.refresh();
    grid().sourceChanged(true);
    EXPECT_EQ(grid().row(100'001), rows.back());
    QCoreApplication::processEvents();
    EXPECT_EQ(view.rowAt(bottom()), 100'001);  // the grid kept to its newest row

    ASSERT_TRUE(store.clear());
    source.refresh();
    grid().sourceChanged(false);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(view.rowAt(0), -1);
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 0);
}

TEST_F(HistoryRowsTest, DaysAddedUpByTheDatabaseGroupAsTheGridsRowsDo) {
    ASSERT_TRUE(store.open());
    for (const quint32 seed : {1u, 2u, 3u}) {
        ASSERT_TRUE(store.clear());
        rows.clear();
        fill(3'000, seed);
        // Texts the database cannot read are left out or count nothing, as in the grid.
        rows.push_back({"31/02/2026", "10:00:00", "11:00:00", "01:00:00", "001.00", "1", "", ""});
        rows.push_back({"not a day", "10:00:00", "11:00:00", "01:00:00", "001.00", "1", "", ""});
        rows.push_back({"01/01/2027", "??", "11:00:00", "x", "y", "z", "7", ""});
        std::vector<StoredSession> odd;
        for (size_t i = rows.size() - 3; i < rows.size(); ++i)
            odd.push_back({nextId++, SessionRecord::fromRow(rows[i])});
        ASSERT_TRUE(store.store(odd));
        grid().setRows(rows);

        std::vector<StoredDay> stored;
        ASSERT_TRUE(store.sessionsByDay(stored));
        std::vector<SesionesDelDia> days;
        for (const StoredDay& d : stored)
            days.push_back({d.day + kUnixEpochDay, d.seconds, d.cost, d.lastTotalCost, d.lastStart,
                            d.received, d.sent});
        for (const Periodo p : {Periodo::Dia, Periodo::Semana, Periodo::Mes}) {
            const std::vector<GrupoSesiones> sql = agruparDias(days, p);
            const std::vector<GrupoSesiones> ref = agrupar(grid(), p);
            ASSERT_EQ(sql.size(), ref.size()) << int(p);
            for (size_t i = 0; i < ref.size(); ++i) {
                EXPECT_EQ(sql[i].label, ref[i].label);
                EXPECT_EQ(sql[i].seconds, ref[i].seconds) << ref[i].label.toStdString();
                EXPECT_NEAR(sql[i].cost, ref[i].cost, 1e-6);
                EXPECT_NEAR(sql[i].totalCost, ref[i].totalCost, 1e-9) << ref[i].label.toStdString();
                EXPECT_EQ(sql[i].received, ref[i].received);
                EXPECT_EQ(sql[i].sent, ref[i].sent);
            }
        }
    }
}

}  // namespace
