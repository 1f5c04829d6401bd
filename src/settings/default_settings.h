#pragma once
// A new installation's settings file, made from the shipped defaults.
#include <QByteArray>
#include <QString>

#include "core/ole_date.h"

namespace lt {

class FileSystem;

// Language of a fresh installation: Spanish for an "es" locale, English otherwise.
int defaultLanguageFor(const QString& localeName);

// Writes the defaults to path when no file is there yet, with the language that the
// desktop's locale suggests and today as the start of the accumulated cost and of the
// interruption period. Returns false with the reason in *error when it cannot write.
bool installDefaultSettings(FileSystem& fs, const QString& path, const QByteArray& defaults,
                            const QString& localeName, OleDate today, QString* error);

}  // namespace lt
