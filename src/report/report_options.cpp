#include "report/report_options.h"

#include <QRegularExpression>
#include <optional>

namespace lt {

namespace {

std::optional<Periodo> kindNamed(const QString& name) {
    if (name == u"sessions") return Periodo::Sesion;
    if (name == u"day") return Periodo::Dia;
    if (name == u"week") return Periodo::Semana;
    if (name == u"month") return Periodo::Mes;
    return std::nullopt;
}

std::optional<ReportFormat> formatNamed(const QString& name) {
    if (name == u"table") return ReportFormat::Table;
    if (name == u"csv") return ReportFormat::Csv;
    if (name == u"json") return ReportFormat::Json;
    return std::nullopt;
}

ReportRequest usageError(const QString& message) {
    ReportRequest r;
    r.error = message;
    return r;
}

// Reads the arguments in order; options take their value as the next argument or
// after "=".
class ArgumentReader {
  public:
    explicit ArgumentReader(const QStringList& args) : args_(args) {}

    ReportRequest read() {
        // Asking for help is never a mistake, whatever else the line holds.
        if (args_.contains(u"--help") || args_.contains(u"-h")) return finish(true, false, false);
        bool help = false, version = false, report = false;
        for (i_ = 0; i_ < args_.size(); ++i_) {
            QString name = args_[i_];
            inlineValue_.reset();
            const qsizetype eq = name.indexOf(u'=');
            if (name.startsWith(u"--") && eq > 2) {
                inlineValue_ = name.mid(eq + 1);
                name.truncate(eq);
            }
            if (name == u"--help" || name == u"-h") {
                help = true;
            } else if (name == u"--version") {
                version = true;
            } else if (name == u"--report") {
                report = true;
                if (!takeValue(name)) return failure_;
                const auto kind = kindNamed(value_);
                if (!kind)
                    return usageError(
                        QStringLiteral("unknown report '%1' (sessions, day, week or month)")
                            .arg(value_));
                request_.options.kind = *kind;
            } else if (name == u"--format") {
                if (!takeValue(name)) return failure_;
                const auto format = formatNamed(value_);
                if (!format)
                    return usageError(
                        QStringLiteral("unknown format '%1' (table, csv or json)").arg(value_));
                request_.options.format = *format;
            } else if (name == u"--from" || name == u"--to") {
                if (!takeValue(name)) return failure_;
                const QDate day = parseReportDay(value_);
                if (!day.isValid())
                    return usageError(
                        QStringLiteral("%1: '%2' is not a date dd/MM/yyyy").arg(name, value_));
                (name == u"--from" ? request_.options.from : request_.options.to) = day;
            } else if (name == u"--database") {
                if (!takeValue(name)) return failure_;
                if (value_.isEmpty()) return usageError(QStringLiteral("--database needs a path"));
                request_.options.database = value_;
            } else if (name.startsWith(u'-')) {
                return usageError(QStringLiteral("unknown option '%1'").arg(args_[i_]));
            } else {
                return usageError(QStringLiteral("unexpected argument '%1'").arg(args_[i_]));
            }
            if (inlineValue_ && !tookValue_)
                return usageError(QStringLiteral("%1 takes no value").arg(name));
            tookValue_ = false;
        }
        return finish(help, version, report);
    }

  private:
    bool takeValue(const QString& name) {
        tookValue_ = true;
        if (inlineValue_) {
            value_ = *inlineValue_;
            return true;
        }
        if (i_ + 1 >= args_.size()) {
            failure_ = usageError(QStringLiteral("%1 needs a value").arg(name));
            return false;
        }
        value_ = args_[++i_];
        return true;
    }

    ReportRequest finish(bool help, bool version, bool report) {
        if (help) {
            request_.action = ReportRequest::Action::Help;
        } else if (version) {
            request_.action = ReportRequest::Action::Version;
        } else if (!report) {
            return usageError(QStringLiteral("which report? --report sessions|day|week|month"));
        } else if (request_.options.from.isValid() && request_.options.to.isValid() &&
                   request_.options.from > request_.options.to) {
            return usageError(QStringLiteral("--from %1 is after --to %2")
                                  .arg(request_.options.from.toString(u"dd/MM/yyyy"),
                                       request_.options.to.toString(u"dd/MM/yyyy")));
        } else {
            request_.action = ReportRequest::Action::Report;
        }
        return request_;
    }

    const QStringList& args_;
    qsizetype i_ = 0;
    std::optional<QString> inlineValue_;
    bool tookValue_ = false;
    QString value_;
    ReportRequest request_;
    ReportRequest failure_;
};

}  // namespace

QDate parseReportDay(const QString& text) {
    static const QRegularExpression kDay(QStringLiteral("^(\\d\\d)/(\\d\\d)/(\\d\\d\\d\\d)$"));
    const QRegularExpressionMatch m = kDay.match(text);
    if (!m.hasMatch()) return {};
    return QDate(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
}

ReportRequest parseReportArguments(const QStringList& args) {
    return ArgumentReader(args).read();
}

QString reportUsage() {
    return QStringLiteral(
        "Usage: linktally                 open the window\n"
        "       linktally --report KIND [--from dd/MM/yyyy] [--to dd/MM/yyyy]\n"
        "                 [--format table|csv|json] [--database PATH]\n"
        "       linktally --help | --version\n"
        "\n"
        "Prints the time, cost and bytes of the stored sessions and exits.\n"
        "\n"
        "  --report KIND    sessions, day, week (Monday to Sunday) or month\n"
        "  --from DAY       leave out sessions that started before DAY\n"
        "  --to DAY         leave out sessions that started after DAY\n"
        "  --format FORMAT  table (default), csv or json; json holds no total\n"
        "  --database PATH  read this history instead of the program's own\n"
        "  --help           show this help\n"
        "  --version        show the version\n"
        "\n"
        "Exit status: 0 done, 1 the history could not be read, 2 a wrong command line.\n");
}

}  // namespace lt
