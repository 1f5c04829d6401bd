#include <QDate>
#include <random>

#include "core/grid.h"
#include "core/text_format.h"
#include "report/history_report.h"
#include "report/report_fixture.h"
#include "report/report_output.h"

using namespace lt;
using namespace lt::test;

namespace {

// Sessions over fifteen months, across two month ends and a year end, stored mostly in
// time order with some out of it (a clock set back), some without bytes, some
// unreadable, some lasting more than a day.
std::vector<SessionRecord> randomHistory(unsigned seed, int count) {
    std::mt19937 random(seed);
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const QDate first(2025, 11, 20);
    std::vector<SessionRecord> history;
    int day = 0;
    for (int i = 0; i < count; ++i) {
        day += pick(0, 10) < 7 ? 0 : 1;
        const QDate date = first.addDays(pick(0, 20) == 0 ? day - pick(1, 40) : day);
        const int seconds = pick(0, 50) == 0 ? pick(86400, 300000) : pick(0, 20000);
        const QString cents = QString::number(pick(0, 99999));
        SessionRecord r;
        r.fecha = date.toString(pick(0, 30) == 0 ? u"d/M/yyyy" : u"dd/MM/yyyy");
        r.HoraInicio = QTime(pick(0, 23), pick(0, 59), pick(0, 59)).toString(u"hh:mm:ss");
        r.HoraFinalizacion = r.HoraInicio;
        r.TiempoConexion = formatDurationSeconds(seconds);
        r.costo = formatMoney(cents.toDouble() / 100);
        r.CostoAcumulado = r.costo;
        if (pick(0, 4) != 0) {
            r.BytesRecibidos = QString::number(pick(0, 2'000'000'000));
            r.BytesEnviados = QString::number(pick(0, 90'000'000));
        }
        switch (pick(0, 60)) {
            case 0:
                r.fecha = QStringLiteral("31/02/2026");
                break;
            case 1:
                r.fecha = QStringLiteral("sometime");
                break;
            case 2:
                r.TiempoConexion = QStringLiteral("long");
                break;
            default:
                break;
        }
        history.push_back(r);
    }
    return history;
}

QString written(const Report& report, ReportFormat format) {
    QString text;
    QTextStream out(&text);
    writeReport(report, format, out);
    out.flush();
    return text;
}

TEST(ReportGrouping, AgreesWithTheStatisticsOnARandomHistory) {
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("LinkTally.db"));
    storeHistory(db, randomHistory(20260105, 4000));

    // The grid filled with the stored rows.
    ControlRegistry controls;
    Grid grid(controls, QStringLiteral("grid"), SessionRecord::kColumns);
    {
        HistoryStore store(db);
        ASSERT_TRUE(store.open());
        std::vector<SessionRecord> records;
        ASSERT_TRUE(store.loadAll(records));
        std::vector<QStringList> rows;
        for (const SessionRecord& r : records) rows.push_back(r.toRow());
        grid.setRows(rows);
    }
    const HistoryReading reading = readHistory(db);
    ASSERT_TRUE(reading.ok()) << reading.error.toStdString();
    // The day totals the file keeps, beside the rows whose dates only this program reads.
    const HistoryReading byDay = readHistory(db, true);
    ASSERT_TRUE(byDay.ok()) << byDay.error.toStdString();
    EXPECT_GT(byDay.days.size(), 300u);
    EXPECT_GT(byDay.rows.size(), 0u);
    EXPECT_LT(byDay.rows.size(), reading.rows.size() / 10);

    for (const Periodo kind : {Periodo::Sesion, Periodo::Dia, Periodo::Semana, Periodo::Mes}) {
        SCOPED_TRACE(static_cast<int>(kind));
        const std::vector<GrupoSesiones> expected = agrupar(grid, kind);
        const Report report = buildReport(reading, kind, {});
        ASSERT_EQ(report.lines.size(), expected.size());
        ASSERT_GT(expected.size(), kind == Periodo::Mes ? 14u : 60u);
        ReportLine sums;
        for (size_t i = 0; i < expected.size(); ++i) {
            const GrupoSesiones& g = expected[i];
            const ReportLine& line = report.lines[i];
            if (kind != Periodo::Sesion) {
                EXPECT_EQ(line.period, g.label) << i;
            }
            EXPECT_EQ(line.seconds, g.seconds) << i;
            EXPECT_EQ(formatMoney(line.cost), formatMoney(g.cost)) << i;
            EXPECT_EQ(line.received, g.received) << i;
            EXPECT_EQ(line.sent, g.sent) << i;
            sums.seconds += line.seconds;
            sums.sessions += line.sessions;
        }
        EXPECT_EQ(report.total.seconds, sums.seconds);
        EXPECT_EQ(report.total.sessions, sums.sessions);
        if (kind == Periodo::Sesion) continue;
        for (const ReportRange range : {ReportRange{}, ReportRange{{2025, 12, 31}, {2026, 2, 1}}})
            for (const ReportFormat format :
                 {ReportFormat::Table, ReportFormat::Csv, ReportFormat::Json})
                EXPECT_EQ(written(buildReport(byDay, kind, range), format),
                          written(buildReport(reading, kind, range), format));
    }
}

}  // namespace
