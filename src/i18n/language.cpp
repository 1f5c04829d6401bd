#include "i18n/language.h"

#include "app/main_form.h"
#include "i18n/captions.h"

namespace lt {

void applyCaptions(MainForm& form, int code) {
    if (code != 0 && code != 1) return;
    for (int tab = 0; tab < 5; ++tab) {
        const TabCaption tc = tabCaption(tab);
        form.STabTiempos_Estado.setTabCaption(
            tab, QString::fromUtf8(code == 0 ? tc.english : tc.spanish));
        for (const CaptionEntry& e : captionTable(tab)) {
            auto* c = form.registry.get<CaptionedControl>(QString::fromLatin1(e.control));
            if (c) c->setCaption(QString::fromUtf8(code == 0 ? e.english : e.spanish));
        }
    }
    form.LbDescripcion_AcercaDe.setCaption(QString::fromUtf8(code == 0 ? kAboutDescription.english
                                                                      : kAboutDescription.spanish));
}

}  // namespace lt
