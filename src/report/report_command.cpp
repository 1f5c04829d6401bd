#include "report/report_command.h"

#include <algorithm>

#include "report/history_reader.h"
#include "report/history_report.h"
#include "report/report_options.h"
#include "report/report_output.h"

namespace lt {

namespace {

int fail(QTextStream& err, const QString& message, int status) {
    err << "linktally: " << message << '\n';
    err.flush();
    return status;
}

}  // namespace

QStringList programArguments(int argc, const char* const* argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args.append(QString::fromLocal8Bit(argv[i]));
    return args;
}

bool wantsReportCommand(const QStringList& args) {
    // Only our own long options: Qt's and the session manager's (-session, -style...) still
    // reach the window.
    return std::any_of(args.begin(), args.end(), [](const QString& a) {
        return a == QLatin1String("-h") || a.startsWith(QLatin1String("--"));
    });
}

int runReportCommand(const QStringList& args, const std::function<QString()>& defaultDatabase,
                     QTextStream& out, QTextStream& err) {
    const ReportRequest request = parseReportArguments(args);
    switch (request.action) {
        case ReportRequest::Action::UsageError:
            return fail(err, request.error + QStringLiteral(" (see linktally --help)"),
                        kReportUsage);
        case ReportRequest::Action::Help:
            out << reportUsage();
            out.flush();
            return kReportDone;
        case ReportRequest::Action::Version:
            out << "linktally " << LINKTALLY_VERSION << '\n';
            out.flush();
            return kReportDone;
        case ReportRequest::Action::Report:
            break;
    }
    const ReportOptions& o = request.options;
    const QString path = o.database.isEmpty() ? defaultDatabase() : o.database;
    const HistoryReading reading = readHistory(path, o.kind != Periodo::Sesion);
    if (!reading.ok()) return fail(err, reading.error, kReportUnreadable);
    writeReport(buildReport(reading, o.kind, {o.from, o.to}), o.format, out);
    out.flush();
    return out.status() == QTextStream::Ok
               ? kReportDone
               : fail(err, QStringLiteral("cannot write the report"), kReportUnreadable);
}

}  // namespace lt
