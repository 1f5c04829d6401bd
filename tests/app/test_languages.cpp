// Switching the language rewrites the captions of every window, and a code that a
// hand-edited file holds runs in English.
#include <gtest/gtest.h>

#include "app/configuracion.h"
#include "support/fake_program.h"

using namespace lt;

TEST(Languages, SwitchingBackAndForthRewritesTheCaptionsAndKeepsTheDate) {
    test::FakeProgram p(
        "[Idiomas]\nCodigoIdioma=2\n[Flags]\nQueDia=N\n"
        "[Interrupciones]\nCosAcumConex=Costo acumulado desde el 01/11/2026:\n");
    Configuracion& c = p.logic;
    MainForm& f = c.form();
    c.Form_Load();

    // One caption of each tab and of the grid, as users have always read them.
    struct Expected {
        const Control* control;
        const char* english;
        const char* spanish;
    };
    const Expected some[] = {
        {&f.LbTiempoConexion_Estado, "Time Enlapsed:", "Tiempo Conexion:"},
        {&f.LbImpuestos_Costo, "Tax:", "Impuestos:"},
        {&f.LbCostoPorSemanaHasta_Costo, "   To:", "Hasta:"},
        {&f.CkAbadonaAplicacion_Configuracion, "Not exit aplication",
         "No permite abandonar aplicacion"},
        {&f.LbSesion_Estadisticas, "Sesion->", "Sesion->"},
        {&f.FrAcercaDe_AcercaDe, "About ...", "Acerca de ..."},
    };
    for (int code : {1, 0, 1}) {
        f.LsIdiomas.setListIndex(code);
        EXPECT_EQ(c.estado().CodigoIdioma, code);
        for (const Expected& e : some)
            EXPECT_EQ(static_cast<const CaptionedControl*>(e.control)->caption(),
                      QString::fromUtf8(code == 0 ? e.english : e.spanish))
                << e.control->name().toStdString();
        EXPECT_EQ(f.MSFlexGrid_Estado.caption(0), code == 0 ? "Date" : "Fecha:");
        EXPECT_EQ(f.MSFlexGrid_Estado.caption(5),
                  code == 0 ? "Accumulate Cost:" : "Costo Acumulado");
        EXPECT_EQ(f.STabTiempos_Estado.tabCaption(3), code == 0 ? "Statistics" : "Estadisticas");
        EXPECT_EQ(f.LbCOCostoAcumulado_Estado.caption(),
                  QString::fromUtf8(code == 0 ? "Cost add from " : "Costo acumulado desde el ") +
                      QStringLiteral("01/11/2026:"));
    }
    // The grid's captions follow the code, also one that no list entry stands for.
    c.estado().CodigoIdioma = 2;
    c.LeyendaGrillaFilaCero();
    EXPECT_EQ(f.MSFlexGrid_Estado.caption(0), QStringLiteral("Date"));
}
