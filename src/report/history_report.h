#pragma once
// The stored sessions as a report: one line per session, or per day, week (Monday to
// Sunday) or month of the sessions' start days, with the totals.
#include <QDate>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "report/history_reader.h"
#include "stats/statistics.h"

namespace lt {

struct ReportLine {
    // Sessions "dd/MM/yyyy hh:mm:ss" of the start; days and weeks (by their Monday)
    // "dd/MM/yyyy"; months "MM/yyyy".
    QString period;
    QDate firstDay;      // the session's day, or the group's first day
    QString start, end;  // "hh:mm:ss", sessions only
    int sessions = 0;
    long long seconds = 0;
    double cost = 0;
    // None when none of the line's sessions had its bytes counted.
    std::optional<std::int64_t> received, sent;
};

struct Report {
    Periodo kind = Periodo::Sesion;
    std::vector<ReportLine> lines;  // sessions in stored order, groups in time order
    ReportLine total;               // period "Total"
};

struct ReportRange {
    QDate from, to;  // inclusive days of the start; a null date leaves that side open
    bool contains(const QDate& day) const {
        return (from.isNull() || day >= from) && (to.isNull() || day <= to);
    }
};

// Rows whose date cannot be read are left out, as the charts leave them out. The day
// totals read count in groups only: a report per session needs every row.
Report buildReport(const HistoryReading& history, Periodo kind, const ReportRange& range);

}  // namespace lt
