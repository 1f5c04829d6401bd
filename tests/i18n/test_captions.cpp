#include "i18n/captions.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <string_view>

namespace lt {
namespace {

const CaptionEntry* find(int tab, std::string_view control) {
    for (const CaptionEntry& e : captionTable(tab))
        if (control == e.control) return &e;
    return nullptr;
}

bool startsWithControlPrefix(std::string_view name) {
    for (std::string_view p : {"Tx", "Lb", "Ld", "Ck", "CK", "Op", "Cd", "Cm", "Fr"})
        if (name.starts_with(p)) return true;
    return false;
}

// Lower-case copy, for the one control whose name carries "_configuracion".
std::string lower(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

TEST(Captions, EveryTabTableIsCompleteAndWellFormed) {
    constexpr std::array<std::size_t, kTabCount> rows{14, 26, 27, 12, 1};
    constexpr std::array<std::string_view, kTabCount> suffix{"_estado", "_costo", "_configuracion",
                                                             "_estadisticas", "_acercade"};
    std::set<std::string> everyControl;
    for (int tab = 0; tab < kTabCount; ++tab) {
        SCOPED_TRACE(tab);
        const auto table = captionTable(tab);
        EXPECT_EQ(table.size(), rows[static_cast<std::size_t>(tab)]);
        for (const CaptionEntry& e : table) {
            ASSERT_NE(e.control, nullptr);
            ASSERT_NE(e.english, nullptr) << e.control;
            ASSERT_NE(e.spanish, nullptr) << e.control;
            EXPECT_NE(std::string_view(e.english), "") << e.control;
            EXPECT_NE(std::string_view(e.spanish), "") << e.control;
            EXPECT_TRUE(startsWithControlPrefix(e.control)) << e.control;
            // A row filed under the wrong tab would be applied with the wrong tab's texts.
            EXPECT_TRUE(lower(e.control).ends_with(suffix[static_cast<std::size_t>(tab)]))
                << e.control;
            // A control sits on one tab only, and gets one caption.
            EXPECT_TRUE(everyControl.insert(e.control).second) << e.control;
        }
        const TabCaption title = tabCaption(tab);
        ASSERT_NE(title.english, nullptr);
        ASSERT_NE(title.spanish, nullptr);
    }
    EXPECT_TRUE(captionTable(-1).empty());
    EXPECT_TRUE(captionTable(kTabCount).empty());
    EXPECT_EQ(tabCaption(kTabCount).english, nullptr);
    EXPECT_EQ(tabCaption(-1).spanish, nullptr);
}

TEST(Captions, TextsKeepTheirExactBlanksSpellingAndAccents) {
    for (const char* control : {"LbCostoPorSemanaHasta_Costo", "LbHasta_Costo"}) {
        const CaptionEntry* e = find(1, control);
        ASSERT_NE(e, nullptr) << control;
        EXPECT_STREQ(e->english, "   To:");
        EXPECT_STREQ(e->spanish, "Hasta:");
    }
    ASSERT_NE(find(1, "LdDesde_Costo"), nullptr);
    EXPECT_STREQ(find(0, "FrInicioSesion_Estado")->english, "Start Sesion:");
    EXPECT_STREQ(find(0, "LbTiempoConexion_Estado")->english, "Time Enlapsed:");
    EXPECT_STREQ(find(0, "LbTIEStadoE_Estado")->spanish, "DESCONECTADO");
    EXPECT_STREQ(find(2, "CkAbadonaAplicacion_Configuracion")->english, "Not exit aplication");
    ASSERT_NE(find(2, "LbIntervaloTiempoCosto_configuracion"), nullptr);
    EXPECT_STREQ(find(2, "LbIntervaloTiempoCosto_configuracion")->spanish,
                 "Intervalo de tiempo c\xC3\xA1lculo costo:");
    EXPECT_STREQ(find(2, "LbIntervaloTiempoConexion_Configuracion")->spanish,
                 "Intervalo de tiempo chequeo conexi\xC3\xB3n:");
    EXPECT_STREQ(find(1, "LbMinutosReduccionCosto_Costo")->spanish,
                 "minutos consecutivos de conexi\xC3\xB3n, el costo se reduce en:");
    EXPECT_STREQ(kLanguageNames[kLanguageSpanish], "Espa\xC3\xB1ol");

    // Same text in both languages.
    for (const char* control :
         {"OpBarras_Estadisticas", "OpLineal_Estadisticas", "LbSesion_Estadisticas"}) {
        const CaptionEntry* e = find(3, control);
        ASSERT_NE(e, nullptr) << control;
        EXPECT_STREQ(e->english, e->spanish) << control;
    }
    EXPECT_STREQ(find(3, "OpBarras_Estadisticas")->english, "Bar");
    EXPECT_STREQ(find(3, "OpLineal_Estadisticas")->english, "Linear");
    EXPECT_STREQ(find(3, "LbSesion_Estadisticas")->english, "Sesion->");

    EXPECT_STREQ(tabCaption(0).spanish, "Estados");
    EXPECT_STREQ(tabCaption(4).english, "About ...");
}

TEST(Captions, GridHeaderHasSixColumnsWithTheirOwnColons) {
    const auto grid = gridCaptions();
    ASSERT_EQ(grid.size(), 6u);
    for (std::size_t col = 0; col < grid.size(); ++col) {
        SCOPED_TRACE(col);
        EXPECT_EQ(std::string_view(grid[col].control), std::to_string(col));
        // Every header ends in a colon except English column 0 and Spanish column 5.
        EXPECT_EQ(std::string_view(grid[col].english).ends_with(':'), col != 0);
        EXPECT_EQ(std::string_view(grid[col].spanish).ends_with(':'), col != 5);
    }
    EXPECT_STREQ(grid[0].english, "Date");
    EXPECT_STREQ(grid[0].spanish, "Fecha:");
    EXPECT_STREQ(grid[5].english, "Accumulate Cost:");
    EXPECT_STREQ(grid[5].spanish, "Costo Acumulado");
    // The grid is not a control of the tab tables.
    EXPECT_EQ(find(0, "MSFlexGrid_Estado"), nullptr);
}

TEST(Captions, PickTextChoosesByLanguageAndLeavesOtherCodesAlone) {
    EXPECT_STREQ(pickText(0, "en", "es"), "en");
    EXPECT_STREQ(pickText(1, "en", "es"), "es");
    EXPECT_EQ(pickText(2, "en", "es"), nullptr);
    EXPECT_EQ(pickText(-1, "en", "es"), nullptr);
    EXPECT_STREQ(pickText(1, kConnected), "CONECTADO");
    EXPECT_EQ(pickText(2, kConnected), nullptr);
    EXPECT_STREQ(pickText(0, kDialogOk), "OK");
    EXPECT_STREQ(pickText(1, kDialogOk), "Aceptar");
}

TEST(Captions, RunTimeMessagesKeepWhatOtherCodeReadsBack) {
    // The session state is read from the first letter of the status caption.
    for (const char* t : {kConnected.english, kConnected.spanish}) EXPECT_EQ(t[0], 'C') << t;
    for (const char* t : {kDisconnected.english, kDisconnected.spanish}) EXPECT_EQ(t[0], 'D') << t;
    EXPECT_EQ(find(0, "LbTIEStadoE_Estado")->english[0], 'D');

    // A message filled in with .arg() must carry the place holder in both languages.
    for (const Bilingual& m :
         {kMsgSettingsNotWritten, kMsgSettingsNotRead, kMsgHistoryNotWritten, kMsgHistoryNotRead,
          kMsgHistoryNotCleared, kMsgAutostartNotChanged}) {
        EXPECT_NE(std::string_view(m.english).find("%1"), std::string_view::npos) << m.english;
        EXPECT_NE(std::string_view(m.spanish).find("%1"), std::string_view::npos) << m.spanish;
    }
    for (const Bilingual& m : {kMsgSessionRecovered, kMsgHistoryPendingSaved}) {
        EXPECT_EQ(std::string_view(m.english).find('%'), std::string_view::npos) << m.english;
        EXPECT_EQ(std::string_view(m.spanish).find('%'), std::string_view::npos) << m.spanish;
    }

    // Legends are assembled piece by piece; the blanks are part of the texts.
    EXPECT_STREQ(kLegendFromNewWeek.english, "From:   ");
    EXPECT_STREQ(kLegendFrom.english, "From:  ");
    EXPECT_STREQ(kLegendTo.english, "   to  ");
    EXPECT_STREQ(kLegendTo.spanish, " hasta ");
    EXPECT_STREQ(kDialogProgrammedFrom.spanish, "Se program\xC3\xB3 desde las ");
    EXPECT_STREQ(kCostAddFrom.spanish, "Costo acumulado desde el ");
    EXPECT_STREQ(kClockChanged.english, "The hour in the PC has changed ");
}

}  // namespace
}  // namespace lt
