#include "settings/default_settings.h"

#include <QDir>
#include <QFileInfo>

#include "core/text_format.h"
#include "i18n/captions.h"
#include "settings/ini_file.h"

namespace lt {

int defaultLanguageFor(const QString& localeName) {
    return localeName.startsWith(QLatin1String("es"), Qt::CaseInsensitive) ? 1 : 0;
}

bool installDefaultSettings(FileSystem& fs, const QString& path, const QByteArray& defaults,
                            const QString& localeName, OleDate today, QString* error) {
    if (QFileInfo::exists(path)) return true;
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        if (error) *error = QStringLiteral("cannot create %1").arg(QFileInfo(path).absolutePath());
        return false;
    }
    IniFile ini;
    ini.parse(defaults);
    const int language = defaultLanguageFor(localeName);
    ini.setValue(QStringLiteral("Idiomas"), QStringLiteral("CodigoIdioma"),
                 QString::number(language));
    ini.setValue(QStringLiteral("Interrupciones"), QStringLiteral("CosAcumConex"),
                 QString::fromUtf8(language == 1 ? kCostAddFrom.spanish : kCostAddFrom.english) +
                     formatDate(today) + QLatin1Char(':'));
    ini.setValue(QStringLiteral("Interrupciones"), QStringLiteral("FeInt"), formatDate(today));
    if (ini.save(fs, path)) return true;
    if (error) *error = ini.errorString();
    return false;
}

}  // namespace lt
