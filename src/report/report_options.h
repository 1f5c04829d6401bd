#pragma once
// What the command line asks for: a report of the history, help, or the version.
#include <QDate>
#include <QString>
#include <QStringList>

#include "stats/statistics.h"

namespace lt {

enum class ReportFormat { Table, Csv, Json };

struct ReportOptions {
    Periodo kind = Periodo::Sesion;
    ReportFormat format = ReportFormat::Table;
    QDate from;        // null: from the first session
    QDate to;          // null: to the last session
    QString database;  // empty: where the program keeps its history
};

struct ReportRequest {
    enum class Action { Report, Help, Version, UsageError };
    Action action = Action::UsageError;
    ReportOptions options;
    QString error;  // one line, for UsageError
};

// The arguments after the program's name.
ReportRequest parseReportArguments(const QStringList& args);
// A day as the history writes it, "dd/MM/yyyy" with every digit; a null date otherwise.
QDate parseReportDay(const QString& text);
QString reportUsage();

}  // namespace lt
