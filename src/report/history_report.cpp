#include "report/history_report.h"

#include <cmath>
#include <limits>
#include <map>

#include "core/conversions.h"
#include "core/ole_date.h"

namespace lt {

namespace {

const QString kDayFormat = QStringLiteral("dd/MM/yyyy");

std::optional<QDate> dayOf(const QString& fecha) {
    const std::optional<OleDate> date = strictDate(fecha);
    if (!date) return std::nullopt;
    return oleToDate(std::floor(*date));
}

// An unreadable time is shown as it was stored rather than hidden.
QString timeText(const QString& stored) {
    const std::optional<OleDate> t = parseTimeOfDay(stored);
    return t ? oleToTime(*t).toString(u"hh:mm:ss") : stored.trimmed();
}

QDate groupStart(Periodo kind, const QDate& day) {
    switch (kind) {
        case Periodo::Semana:
            return day.addDays(1 - day.dayOfWeek());  // Qt counts Monday as 1
        case Periodo::Mes:
            return QDate(day.year(), day.month(), 1);
        default:
            return day;
    }
}

QString groupLabel(Periodo kind, const QDate& first) {
    return first.toString(kind == Periodo::Mes ? QStringLiteral("MM/yyyy") : kDayFormat);
}

// Years of heavy use stop at the largest count rather than wrap.
void add(ReportLine& line, const ReportLine& session) {
    line.sessions += session.sessions;
    line.seconds += session.seconds;
    line.cost += session.cost;
    addBytes(line.received, session.received);
    addBytes(line.sent, session.sent);
}

std::optional<ReportLine> sessionLine(const StoredRow& row) {
    const std::optional<QDate> day = dayOf(row.fecha);
    if (!day) return std::nullopt;
    ReportLine line;
    line.firstDay = *day;
    line.start = timeText(row.HoraInicio);
    line.end = timeText(row.HoraFinalizacion);
    line.period = day->toString(kDayFormat) + u' ' + line.start;
    line.sessions = 1;
    line.seconds = parseDurationSeconds(row.TiempoConexion).value_or(0);
    line.cost = strictReal(row.costo).value_or(0.0);
    line.received = row.received;
    line.sent = row.sent;
    return line;
}

ReportLine dayLine(const StoredDay& day) {
    ReportLine line;
    line.firstDay = oleToDate(static_cast<double>(day.day + kUnixEpochDay));
    line.sessions = static_cast<int>(day.sessions);
    line.seconds = day.seconds;
    line.cost = day.cost;
    line.received = day.received;
    line.sent = day.sent;
    return line;
}

}  // namespace

Report buildReport(const HistoryReading& history, Periodo kind, const ReportRange& range) {
    Report report;
    report.kind = kind;
    report.total.period = QStringLiteral("Total");
    std::map<qint64, ReportLine> groups;  // by the Julian day of their first day
    // A session, or a whole day of them.
    const auto take = [&](const ReportLine& part) {
        if (!range.contains(part.firstDay)) return;
        add(report.total, part);
        if (kind == Periodo::Sesion) {
            report.lines.push_back(part);
            return;
        }
        const QDate first = groupStart(kind, part.firstDay);
        auto [it, inserted] = groups.try_emplace(first.toJulianDay());
        if (inserted) {
            it->second.firstDay = first;
            it->second.period = groupLabel(kind, first);
        }
        add(it->second, part);
    };
    if (kind != Periodo::Sesion)
        for (const StoredDay& day : history.days) take(dayLine(day));
    for (const StoredRow& row : history.rows)
        if (const std::optional<ReportLine> session = sessionLine(row)) take(*session);
    for (auto& [key, line] : groups) report.lines.push_back(std::move(line));
    return report;
}

}  // namespace lt
