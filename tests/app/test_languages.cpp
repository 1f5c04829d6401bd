// Switching the language rewrites every caption of every window from the tables.
#include <gtest/gtest.h>

#include "app/configuracion.h"
#include "i18n/captions.h"
#include "support/fake_program.h"

using namespace lt;

namespace {

void expectLanguage(Configuracion& c, int code) {
    MainForm& f = c.form();
    auto pick = [code](const char* en, const char* es) {
        return QString::fromUtf8(code == 0 ? en : es);
    };
    for (int tab = 0; tab < 5; ++tab) {
        EXPECT_EQ(f.STabTiempos_Estado.tabCaption(tab),
                  pick(tabCaption(tab).english, tabCaption(tab).spanish));
        for (const CaptionEntry& e : captionTable(tab)) {
            const auto* control = f.registry.get<CaptionedControl>(QString::fromLatin1(e.control));
            ASSERT_NE(control, nullptr) << e.control;
            EXPECT_EQ(control->caption(), pick(e.english, e.spanish)) << e.control;
        }
    }
    const auto grid = gridCaptions();
    for (int col = 0; col < 6; ++col)
        EXPECT_EQ(f.MSFlexGrid_Estado.caption(col), pick(grid[static_cast<size_t>(col)].english,
                                                         grid[static_cast<size_t>(col)].spanish));
    EXPECT_EQ(f.LbCOCostoAcumulado_Estado.caption(),
              pick("Cost add from ", "Costo acumulado desde el ") + QStringLiteral("01/11/2026:"));
}

}  // namespace

TEST(Languages, SwitchingBackAndForthRewritesEveryCaption) {
    test::FakeProgram p(
        "[Idiomas]\nCodigoIdioma=2\n[Flags]\nQueDia=N\n"
        "[Interrupciones]\nCosAcumConex=Costo acumulado desde el 01/11/2026:\n");
    Configuracion& c = p.logic;
    c.Form_Load();
    // Code 2: nothing selected, the designed captions (Spanish) stay.
    EXPECT_EQ(c.form().LsIdiomas.listIndex(), -1);
    EXPECT_EQ(c.form().STabTiempos_Estado.tabCaption(4), QStringLiteral("Acerca de ..."));

    for (int code : {0, 1, 0, 1}) {
        c.form().LsIdiomas.setListIndex(code);
        EXPECT_EQ(c.estado().CodigoIdioma, code);
        expectLanguage(c, code);
    }
    // Any other code leaves the grid's captions as they were.
    c.estado().CodigoIdioma = 2;
    c.LeyendaGrillaFilaCero();
    expectLanguage(c, 1);
}
