#include "i18n/language.h"

#include "form/main_form.h"
#include "i18n/captions.h"

namespace lt {

void applyCaptions(MainForm& form, int code) {
    for (int tab = 0; tab < 5; ++tab) {
        const TabCaption tc = tabCaption(tab);
        form.STabTiempos_Estado.setTabCaption(
            tab, QString::fromUtf8(pickText(code, tc.english, tc.spanish)));
        for (const CaptionEntry& e : captionTable(tab)) {
            auto* c = form.registry.get<CaptionedControl>(QString::fromLatin1(e.control));
            if (c) c->setCaption(QString::fromUtf8(pickText(code, e.english, e.spanish)));
        }
    }
    form.LbDescripcion_AcercaDe.setCaption(textIn(code, kAboutDescription));
}

}  // namespace lt
