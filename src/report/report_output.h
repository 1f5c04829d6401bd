#pragma once
// A report written out: an aligned table for people, CSV or JSON for other programs.
#include <QTextStream>

#include "report/history_report.h"
#include "report/report_options.h"

namespace lt {

// Table and CSV end with a "Total" line; the JSON array holds the periods only, so that
// every element is alike.
void writeReport(const Report& report, ReportFormat format, QTextStream& out);

}  // namespace lt
