#pragma once
// INI text with private-profile semantics: section and key names compare without
// regard to case, the first of duplicate sections or keys wins, values are cut to 254
// characters on reading, a new section goes at the end of the file and a new key at
// the end of its section, and every line that is not rewritten stays byte for byte.
#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace lt {

class FileSystem;

class IniFile {
  public:
    static constexpr int kMaxValueLength = 254;

    IniFile() = default;

    // Parses bytes: UTF-8, and a line that is not valid UTF-8 as Latin-1.
    void parse(const QByteArray& bytes);
    // Reads a file; a missing or unreadable file gives an empty document and false.
    bool load(const QString& path);
    bool hasSection(const QString& section) const { return findSection(section) >= 0; }
    // The value of key in section, at most 254 characters; nullopt when missing.
    std::optional<QString> value(const QString& section, const QString& key) const;
    // Writes one key in place, or appends it to its section (creating the section).
    void setValue(const QString& section, const QString& key, const QString& value);
    // The whole document as bytes (UTF-8; the file's own line ending kept).
    QByteArray serialize() const;
    // Replaces the file through the durable write path: on failure the file on disk is
    // untouched and errorString() says why.
    bool save(FileSystem& fs, const QString& path);
    QString errorString() const { return error_; }
    bool isModified() const { return modified_; }

  private:
    struct Line {
        QByteArray raw;  // the line as it was read, without its line ending
        QString name;    // section header: the section; key line: the key (trimmed)
        QString value;   // key line: the value (trimmed, quotes removed, not cut)
        enum Kind : unsigned char { Other, Section, Key } kind = Other;
        bool crlf = false;  // ends in CR LF rather than LF
    };
    static Line parseLine(QByteArrayView raw, bool crlf);
    static Line keyLine(QStringView key, const QString& value, bool crlf);
    qsizetype findSection(QStringView section) const;                 // header line, or -1
    qsizetype findKey(qsizetype sectionLine, QStringView key) const;  // key line, or -1
    qsizetype sectionEnd(qsizetype sectionLine) const;  // where a new key of the section goes

    std::vector<Line> lines_;
    bool crlf_ = false;  // line ending of new lines, taken from the file
    bool finalEol_ = true;
    bool bom_ = false;
    bool modified_ = false;
    QString error_;
};

// One key of the file at path, read or written on the spot; a missing file reads as
// empty and a failed write returns false with the reason in *error.
QString LeerValorINI(const QString& path, const QString& section, const QString& key,
                     const QString& defaultValue = QString());
// *written tells whether the file was written: not when it already held the value.
bool GuardarValorINI(FileSystem& fs, const QString& path, const QString& section,
                     const QString& key, const QString& value, QString* error = nullptr,
                     bool* written = nullptr);

}  // namespace lt
