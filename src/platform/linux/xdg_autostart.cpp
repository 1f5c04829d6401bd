#include "platform/linux/xdg_autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace lt {

namespace {

QString configHomeFromEnvironment() {
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    // The base directory rules ignore a relative value.
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) return xdg;
    return QDir::homePath() + QStringLiteral("/.config");
}

// One quoted argument of an Exec line. Inside quotes ", `, $ and \ keep a special meaning
// and take a backslash; a percent sign would start a field code, so it is doubled.
QString execArgument(const QString& arg) {
    QString out(QLatin1Char('"'));
    for (const QChar c : arg) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            out += QLatin1Char('\\');
        else if (c == u'%')
            out += QLatin1Char('%');
        out += c;
    }
    out += QLatin1Char('"');
    return out;
}

// The escapes every string value of a desktop entry goes through, on top of the Exec
// quoting: the backslashes written above are doubled here.
QString escapeValue(const QString& value) {
    QString out;
    for (const QChar c : value) {
        switch (c.unicode()) {
            case u'\\':
                out += QStringLiteral("\\\\");
                break;
            case u'\n':
                out += QStringLiteral("\\n");
                break;
            case u'\t':
                out += QStringLiteral("\\t");
                break;
            case u'\r':
                out += QStringLiteral("\\r");
                break;
            default:
                out += c;
        }
    }
    return out;
}

void setError(QString* error, const QString& text) {
    if (error) *error = text;
}

}  // namespace

XdgAutostart::XdgAutostart(QString configHome) {
    if (configHome.isEmpty()) configHome = configHomeFromEnvironment();
    entryPath_ = QDir(configHome).filePath(QStringLiteral("autostart/LinkTally.desktop"));
}

bool XdgAutostart::enable(const QString& executablePath, QString* error) {
    if (executablePath.isEmpty()) {
        setError(error, QStringLiteral("the program's own path is unknown"));
        return false;
    }
    const QString dir = QFileInfo(entryPath_).absolutePath();
    if (!QDir().mkpath(dir)) {
        setError(error, QStringLiteral("cannot create the folder %1").arg(dir));
        return false;
    }
    const QString exec = execArgument(QFileInfo(executablePath).absoluteFilePath());
    const QString entry = QStringLiteral(
                              "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=LinkTally\n"
                              "Exec=%1\n"
                              "Icon=linktally\n"
                              "Terminal=false\n"
                              "X-GNOME-Autostart-enabled=true\n")
                              .arg(escapeValue(exec));
    // Written aside and renamed over: a session manager never reads half an entry.
    QSaveFile file(entryPath_);
    if (!file.open(QIODevice::WriteOnly) || file.write(entry.toUtf8()) < 0 || !file.commit()) {
        setError(error, QStringLiteral("cannot write %1: %2").arg(entryPath_, file.errorString()));
        return false;
    }
    return true;
}

bool XdgAutostart::disable(QString* error) {
    const QFileInfo info(entryPath_);
    if (!info.exists() && !info.isSymLink()) return true;
    QFile file(entryPath_);
    if (!file.remove()) {
        setError(error, QStringLiteral("cannot remove %1: %2").arg(entryPath_, file.errorString()));
        return false;
    }
    return true;
}

bool XdgAutostart::isEnabled() const {
    QFile file(entryPath_);
    if (!QFileInfo(entryPath_).isFile() || !file.open(QIODevice::ReadOnly)) return false;
    bool inEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inEntry || eq < 0) continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        // What desktops write when the user switches the entry off in their own settings.
        if (key == QLatin1String("Hidden") && value == QLatin1String("true")) return false;
        if (key == QLatin1String("X-GNOME-Autostart-enabled") && value == QLatin1String("false"))
            return false;
    }
    return true;
}

}  // namespace lt
