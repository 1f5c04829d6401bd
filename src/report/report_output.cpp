#include "report/report_output.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <array>

#include "core/text_format.h"
#include "volume/byte_units.h"

namespace lt {

namespace {

constexpr int kColumns = 6;
using Cells = std::array<QString, kColumns>;

bool bySession(const Report& r) {
    return r.kind == Periodo::Sesion;
}

QString periodCaption(Periodo kind) {
    switch (kind) {
        case Periodo::Dia:
            return QStringLiteral("Day");
        case Periodo::Semana:
            return QStringLiteral("Week");
        case Periodo::Mes:
            return QStringLiteral("Month");
        default:
            return QStringLiteral("Start");
    }
}

// The stored money form without its padding zeros: "001.60" -> "1.60".
QString plainMoney(double amount) {
    static const QRegularExpression kPadding(QStringLiteral("^(-?)0+(?=\\d)"));
    return formatMoney(amount).replace(kPadding, QStringLiteral("\\1"));
}

QString plainBytes(const std::optional<std::int64_t>& bytes) {
    return bytes ? QString::number(*bytes) : QString();
}

QString humanBytes(const std::optional<std::int64_t>& bytes) {
    return bytes ? formatBytes(*bytes) : QStringLiteral("-");
}

// The second column: a session's end, or how many sessions a group or the total holds.
QString secondCell(const Report& report, const ReportLine& line, bool total) {
    if (!bySession(report)) return QString::number(line.sessions);
    return total ? QString() : line.end;
}

Cells tableCells(const Report& report, const ReportLine& line, bool total) {
    return {line.period,
            secondCell(report, line, total),
            formatDurationSeconds(line.seconds),
            formatMoney(line.cost),
            humanBytes(line.received),
            humanBytes(line.sent)};
}

void writeTable(const Report& report, QTextStream& out) {
    std::vector<Cells> rows;
    rows.reserve(report.lines.size() + 2);
    rows.push_back({periodCaption(report.kind),
                    bySession(report) ? QStringLiteral("End") : QStringLiteral("Sessions"),
                    QStringLiteral("Time"), QStringLiteral("Cost"), QStringLiteral("Received"),
                    QStringLiteral("Sent")});
    for (const ReportLine& line : report.lines) rows.push_back(tableCells(report, line, false));
    rows.push_back(tableCells(report, report.total, true));

    std::array<qsizetype, kColumns> widths{};
    for (const Cells& row : rows)
        for (int c = 0; c < kColumns; ++c) widths[c] = std::max(widths[c], row[c].size());
    for (const Cells& row : rows) {
        // The period reads left to right; every amount lines up on the right.
        QString text = row[0].leftJustified(widths[0]);
        for (int c = 1; c < kColumns; ++c)
            text += QStringLiteral("  ") + row[c].rightJustified(widths[c]);
        out << text << '\n';
    }
}

QString csvField(const QString& text) {
    static const QRegularExpression kSpecial(QStringLiteral("[\",\\r\\n]"));
    if (!text.contains(kSpecial)) return text;
    return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

void writeCsvLine(const Report& report, const ReportLine& line, bool total, QTextStream& out) {
    const Cells cells{csvField(line.period),         csvField(secondCell(report, line, total)),
                      QString::number(line.seconds), plainMoney(line.cost),
                      plainBytes(line.received),     plainBytes(line.sent)};
    out << QStringList(cells.begin(), cells.end()).join(u',') << '\n';
}

void writeCsv(const Report& report, QTextStream& out) {
    out << (bySession(report) ? "period,end,seconds,cost,received,sent\n"
                              : "period,sessions,seconds,cost,received,sent\n");
    for (const ReportLine& line : report.lines) writeCsvLine(report, line, false, out);
    writeCsvLine(report, report.total, true, out);
}

QJsonValue jsonBytes(const std::optional<std::int64_t>& bytes) {
    return bytes ? QJsonValue(static_cast<qint64>(*bytes)) : QJsonValue(QJsonValue::Null);
}

QJsonObject jsonLine(const Report& report, const ReportLine& line) {
    QJsonObject o{{QStringLiteral("period"), line.period},
                  {QStringLiteral("seconds"), static_cast<qint64>(line.seconds)},
                  {QStringLiteral("cost"), plainMoney(line.cost).toDouble()},
                  {QStringLiteral("received"), jsonBytes(line.received)},
                  {QStringLiteral("sent"), jsonBytes(line.sent)}};
    if (bySession(report)) {
        o.insert(QStringLiteral("date"), line.firstDay.toString(Qt::ISODate));
        o.insert(QStringLiteral("start"), line.start);
        o.insert(QStringLiteral("end"), line.end);
    } else {
        o.insert(QStringLiteral("first_day"), line.firstDay.toString(Qt::ISODate));
        o.insert(QStringLiteral("sessions"), line.sessions);
    }
    return o;
}

void writeJson(const Report& report, QTextStream& out) {
    QJsonArray lines;
    for (const ReportLine& line : report.lines) lines.append(jsonLine(report, line));
    out << QString::fromUtf8(QJsonDocument(lines).toJson(QJsonDocument::Indented));
}

}  // namespace

void writeReport(const Report& report, ReportFormat format, QTextStream& out) {
    switch (format) {
        case ReportFormat::Table:
            writeTable(report, out);
            break;
        case ReportFormat::Csv:
            writeCsv(report, out);
            break;
        case ReportFormat::Json:
            writeJson(report, out);
            break;
    }
}

}  // namespace lt
