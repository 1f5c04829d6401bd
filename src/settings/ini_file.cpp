#include "settings/ini_file.h"

#include "platform/durable_file.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>

namespace lt {
namespace {

// A settings file is a few kilobytes; anything far bigger is not one of ours, and
// parsing it would only cost memory.
constexpr qint64 kMaxFileSize = 1024 * 1024;

constexpr QByteArrayView kBom = "\xEF\xBB\xBF";

// CR counts as a blank so that a stray one before a line end is never part of a name
// or a value.
bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

QStringView trimBlanks(QStringView s) {
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s[begin])) ++begin;
    while (end > begin && isBlank(s[end - 1])) --end;
    return s.sliced(begin, end - begin);
}

bool isBlankLine(QByteArrayView raw) {
    return std::all_of(raw.begin(), raw.end(), [](char c) { return isBlank(c); });
}

// Equal names have equal lengths (case folding is one unit for one unit), so the
// length test spares the folding compare for most non-matching lines.
bool sameName(QStringView a, QStringView b) {
    return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
}

// Valid UTF-8 is read as UTF-8; anything else as Latin-1, the 8-bit text that older
// copies of the file were written in. Decided per line, as files end up mixed.
QString decodeLine(QByteArrayView bytes) {
    const bool ascii =
        std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
    if (ascii) return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                    QStringConverter::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

// Names that no written line could give back: refused rather than written wrongly.
bool validSection(QStringView name) {
    return !name.isEmpty() && !name.contains(u']') && !name.contains(u'\n') &&
           !name.contains(u'\r');
}

bool validKey(QStringView name) {
    return !name.isEmpty() && !name.contains(u'=') && !name.contains(u'\n') &&
           !name.contains(u'\r') && !name.startsWith(u';') && !name.startsWith(u'#') &&
           !name.startsWith(u'[');
}

// A line break in a value would split the line and turn its tail into a key of its own.
QString singleLine(QString value) {
    value.replace(u'\r', u' ');
    value.replace(u'\n', u' ');
    return value;
}

bool isQuoted(QStringView value) {
    return value.size() >= 2 && value.front() == u'"' && value.back() == u'"';
}

}  // namespace

IniFile::Line IniFile::parseLine(QByteArrayView raw, bool crlf) {
    Line line;
    line.raw = raw.toByteArray();
    line.crlf = crlf;
    const QString text = decodeLine(raw);
    const QStringView content = trimBlanks(text);
    if (content.startsWith(u'[')) {
        const qsizetype close = content.indexOf(u']');
        if (close > 0) {
            line.kind = Line::Section;
            line.name = trimBlanks(content.sliced(1, close - 1)).toString();
        }
        return line;
    }
    if (content.startsWith(u';') || content.startsWith(u'#')) return line;
    const qsizetype equals = content.indexOf(u'=');
    if (equals <= 0) return line;
    QStringView value = trimBlanks(content.sliced(equals + 1));
    if (isQuoted(value)) value = value.sliced(1, value.size() - 2);
    line.kind = Line::Key;
    line.name = trimBlanks(content.first(equals)).toString();
    line.value = value.toString();
    return line;
}

IniFile::Line IniFile::keyLine(QStringView key, const QString& value, bool crlf) {
    // Blanks at either end, or quotes around the whole value, would be taken off on
    // reading; one more pair of quotes brings the value back exactly.
    const bool quote =
        !value.isEmpty() && (isBlank(value.front()) || isBlank(value.back()) || isQuoted(value));
    QString text = key.toString() + u'=';
    text += quote ? u'"' + value + u'"' : value;

    Line line;
    line.raw = text.toUtf8();
    line.name = key.toString();
    line.value = value;
    line.kind = Line::Key;
    line.crlf = crlf;
    return line;
}

void IniFile::parse(const QByteArray& bytes) {
    lines_.clear();
    crlf_ = false;
    finalEol_ = true;
    bom_ = false;
    modified_ = false;

    QByteArrayView rest(bytes);
    if (rest.startsWith(kBom)) {
        bom_ = true;
        rest = rest.sliced(kBom.size());
    }
    const qsizetype firstLf = rest.indexOf('\n');
    crlf_ = firstLf > 0 && rest[firstLf - 1] == '\r';

    qsizetype pos = 0;
    while (pos < rest.size()) {
        const qsizetype lf = rest.indexOf('\n', pos);
        if (lf < 0) {
            lines_.push_back(parseLine(rest.sliced(pos), crlf_));
            finalEol_ = false;
            break;
        }
        const bool crlf = lf > pos && rest[lf - 1] == '\r';
        lines_.push_back(parseLine(rest.sliced(pos, lf - pos - (crlf ? 1 : 0)), crlf));
        pos = lf + 1;
    }
}

bool IniFile::load(const QString& path) {
    parse(QByteArray());
    error_.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error_ = file.errorString();
        return false;
    }
    // Read one byte past the limit: size() is 0 for some special files.
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        error_ = file.errorString();
        return false;
    }
    if (bytes.size() > kMaxFileSize) {
        error_ = QStringLiteral("%1 is too large to be a settings file").arg(path);
        return false;
    }
    parse(bytes);
    return true;
}

qsizetype IniFile::findSection(QStringView section) const {
    const auto count = static_cast<qsizetype>(lines_.size());
    for (qsizetype i = 0; i < count; ++i) {
        const Line& line = lines_[static_cast<size_t>(i)];
        if (line.kind == Line::Section && sameName(line.name, section)) return i;
    }
    return -1;
}

qsizetype IniFile::findKey(qsizetype sectionLine, QStringView key) const {
    const auto count = static_cast<qsizetype>(lines_.size());
    for (qsizetype i = sectionLine + 1; i < count; ++i) {
        const Line& line = lines_[static_cast<size_t>(i)];
        if (line.kind == Line::Section) break;
        if (line.kind == Line::Key && sameName(line.name, key)) return i;
    }
    return -1;
}

// A new key goes right after the last key of its section (after the header when there
// is none), not after the last non-blank line: comments and blank lines that close a
// section usually introduce the next one and stay with it.
qsizetype IniFile::sectionEnd(qsizetype sectionLine) const {
    const auto count = static_cast<qsizetype>(lines_.size());
    qsizetype end = sectionLine + 1;
    for (qsizetype i = sectionLine + 1; i < count; ++i) {
        const Line& line = lines_[static_cast<size_t>(i)];
        if (line.kind == Line::Section) break;
        if (line.kind == Line::Key) end = i + 1;
    }
    return end;
}

std::optional<QString> IniFile::value(const QString& section, const QString& key) const {
    const qsizetype header = findSection(trimBlanks(section));
    if (header < 0) return std::nullopt;
    const qsizetype at = findKey(header, trimBlanks(key));
    if (at < 0) return std::nullopt;
    const QString& text = lines_[static_cast<size_t>(at)].value;
    if (text.size() <= kMaxValueLength) return text;
    qsizetype cut = kMaxValueLength;
    if (text[cut - 1].isHighSurrogate()) --cut;  // never half a character
    return text.first(cut);
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value) {
    const QStringView sectionName = trimBlanks(section);
    const QStringView keyName = trimBlanks(key);
    if (!validSection(sectionName) || !validKey(keyName)) return;
    const QString text = singleLine(value);

    const qsizetype header = findSection(sectionName);
    if (header >= 0) {
        const qsizetype at = findKey(header, keyName);
        if (at >= 0) {
            Line& line = lines_[static_cast<size_t>(at)];
            if (line.value == text) return;  // leave the line as the user spelled it
            line = keyLine(line.name, text, line.crlf);
        } else {
            lines_.insert(lines_.begin() + sectionEnd(header), keyLine(keyName, text, crlf_));
        }
    } else {
        if (!lines_.empty() && !isBlankLine(lines_.back().raw)) {
            lines_.push_back(parseLine({}, crlf_));
        }
        const QString headerText = u'[' + sectionName.toString() + u']';
        lines_.push_back(parseLine(headerText.toUtf8(), crlf_));
        lines_.push_back(keyLine(keyName, text, crlf_));
    }
    modified_ = true;
}

QByteArray IniFile::serialize() const {
    qsizetype size = bom_ ? kBom.size() : 0;
    for (const Line& line : lines_) size += line.raw.size() + 2;
    QByteArray out;
    out.reserve(size);
    if (bom_) out += kBom;
    for (size_t i = 0; i < lines_.size(); ++i) {
        out += lines_[i].raw;
        if (i + 1 < lines_.size() || finalEol_) out += lines_[i].crlf ? "\r\n" : "\n";
    }
    return out;
}

bool IniFile::save(FileSystem& fs, const QString& path) {
    error_.clear();
    if (!replaceFile(fs, path, serialize(), &error_)) return false;
    modified_ = false;
    return true;
}

QString LeerValorINI(const QString& path, const QString& section, const QString& key,
                     const QString& defaultValue) {
    IniFile file;
    file.load(path);
    return file.value(section, key).value_or(defaultValue);
}

bool GuardarValorINI(FileSystem& fs, const QString& path, const QString& section,
                     const QString& key, const QString& value, QString* error, bool* written) {
    if (written) *written = false;
    const auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    if (!validSection(trimBlanks(section)) || !validKey(trimBlanks(key))) {
        return fail(QStringLiteral("Invalid settings name [%1] %2").arg(section, key));
    }
    IniFile file;
    // A file that is there but cannot be read must not be replaced by a one-key file.
    if (!file.load(path) && QFileInfo::exists(path)) return fail(file.errorString());
    file.setValue(section, key, value);
    if (!file.isModified()) return true;
    if (!file.save(fs, path)) return fail(file.errorString());
    if (written) *written = true;
    return true;
}

}  // namespace lt
