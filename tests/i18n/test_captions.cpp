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
    // The grid is not a control of the tab tables.
    EXPECT_EQ(find(0, "MSFlexGrid_Estado"), nullptr);
}

TEST(Captions, PickTextChoosesSpanishForOneAndEnglishForAnyOtherCode) {
    EXPECT_STREQ(pickText(1, "en", "es"), "es");
    for (int code : {0, 2, -1}) EXPECT_STREQ(pickText(code, "en", "es"), "en") << code;
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
}

}  // namespace
}  // namespace lt
