#include "history/legacy_files.h"

#include <QFile>
#include <QStringDecoder>

namespace lt {

namespace {

constexpr int kFieldCount = 6;
// A checkpoint holds one record; anything larger is not one of ours.
constexpr qint64 kMaxCheckpointBytes = 64 * 1024;

// One line without its newline; nothing unless it is six well-formed fields.
std::optional<SessionRecord> decodeLine(QByteArrayView line) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QStringList fields;
    QByteArray field;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            fields << utf8(field);
            field.clear();
        } else if (c != '\\') {
            field += c;
        } else if (++i < line.size()) {
            switch (line[i]) {
                case '\\':
                    field += '\\';
                    break;
                case 't':
                    field += '\t';
                    break;
                case 'n':
                    field += '\n';
                    break;
                case 'r':
                    field += '\r';
                    break;
                default:
                    return std::nullopt;
            }
        } else {
            return std::nullopt;
        }
    }
    fields << utf8(field);
    if (fields.size() != kFieldCount || utf8.hasError()) return std::nullopt;
    return SessionRecord::fromRow(fields);
}

// Every complete line; a last line without its newline is a write cut short and is
// not a record.
std::vector<SessionRecord> decodeLines(QByteArrayView bytes) {
    std::vector<SessionRecord> records;
    qsizetype start = 0;
    for (qsizetype end; (end = bytes.indexOf('\n', start)) >= 0; start = end + 1)
        if (auto r = decodeLine(bytes.sliced(start, end - start))) records.push_back(*r);
    return records;
}

}  // namespace

std::vector<SessionRecord> readLegacyPending(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return decodeLines(f.readAll());
}

std::optional<SessionRecord> readLegacyCheckpoint(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxCheckpointBytes) return std::nullopt;
    const QByteArray bytes = f.readAll();
    if (bytes.count('\n') != 1 || !bytes.endsWith('\n')) return std::nullopt;
    return decodeLine(QByteArrayView(bytes).chopped(1));
}

}  // namespace lt
