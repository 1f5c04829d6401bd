#pragma once
// Warnings about the user's own data (settings or history not written) are shown in
// every language setting: Spanish for code 1, English otherwise.
#include <QString>

#include "i18n/captions.h"
#include "platform/message_box.h"

namespace lt {

inline QString noticeText(int codigoIdioma, const Bilingual& b) {
    return QString::fromUtf8(codigoIdioma == 1 ? b.spanish : b.english);
}

inline void showNotice(MessageBox& box, int codigoIdioma, const Bilingual& b,
                       const QString& detail = QString()) {
    QString text = noticeText(codigoIdioma, b);
    if (text.contains(QLatin1String("%1"))) text = text.arg(detail);
    box.show(MessageBox::Icon::Warning, QStringLiteral("LinkTally"), text);
}

}  // namespace lt
