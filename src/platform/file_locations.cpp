#include "platform/file_locations.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace lt {

namespace {

bool underSystemDir(const QString& dir) {
    const QString clean = QDir::cleanPath(dir);
    for (const char* sys : {"/usr", "/opt", "/bin", "/sbin"}) {
        const QString s = QString::fromLatin1(sys);
        if (clean == s || clean.startsWith(s + QLatin1Char('/'))) return true;
    }
    return false;
}

QString xdgDir(const QString& value, const QString& home, const char* fallback) {
    // Relative XDG paths are invalid and must be ignored.
    if (!value.isEmpty() && QDir::isAbsolutePath(value)) return value;
    return home + QLatin1Char('/') + QString::fromLatin1(fallback);
}

}  // namespace

AppFiles chooseFileLocations(const LocationInputs& in) {
    const bool portable = in.appDirWritable && !in.installedLayout && !underSystemDir(in.appDir);
    if (in.appDirHasSettings || portable) return {in.appDir, in.appDir};
    return {xdgDir(in.xdgConfigHome, in.home, ".config") + QStringLiteral("/LinkTally"),
            xdgDir(in.xdgDataHome, in.home, ".local/share") + QStringLiteral("/LinkTally")};
}

LocationInputs gatherLocationInputs(const QString& appDir) {
    LocationInputs in;
    in.appDir = appDir;
    in.appDirHasSettings = QFileInfo::exists(appDir + QStringLiteral("/Linktally.ini"));
    in.appDirWritable = QFileInfo(appDir).isWritable();
    in.installedLayout =
        QFileInfo::exists(appDir + QStringLiteral("/../share/linktally/Linktally.ini"));
    in.xdgConfigHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    in.xdgDataHome = qEnvironmentVariable("XDG_DATA_HOME");
    in.home = QDir::homePath();
    return in;
}

}  // namespace lt
