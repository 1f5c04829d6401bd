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
    form.LbVersion_AcercaDe.setCaption(textIn(code, kVersion) + QStringLiteral(LINKTALLY_VERSION));
    form.LbLicencia_AcercaDe.setCaption(textIn(code, kLicence));
    form.LbMoneda_Configuracion.setCaption(textIn(code, kCurrencyLabel));
    for (const CaptionEntry& e : volumeCaptions())
        if (auto* c = form.registry.get<CaptionedControl>(QString::fromLatin1(e.control)))
            c->setCaption(QString::fromUtf8(pickText(code, e.english, e.spanish)));
    for (const ToolTipEntry& t : toolTipTable())
        if (Control* c = form.registry.find(QString::fromLatin1(t.control)))
            c->setToolTip(QString::fromUtf8(pickText(code, t.english, t.spanish)));
}

}  // namespace lt
