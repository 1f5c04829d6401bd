#include "i18n/captions.h"

#include <gtest/gtest.h>

#include <string_view>

namespace lt {
namespace {

TEST(Captions, RunTimeMessagesKeepWhatOtherCodeReadsBack) {
    // The session state is read from the first letter of the status caption.
    for (const char* t : {kConnected.english, kConnected.spanish}) EXPECT_EQ(t[0], 'C') << t;
    for (const char* t : {kDisconnected.english, kDisconnected.spanish}) EXPECT_EQ(t[0], 'D') << t;

    // A message filled in with .arg() must carry the place holder in both languages.
    for (const Bilingual& m :
         {kMsgSettingsNotWritten, kMsgSettingsNotRead, kMsgHistoryNotWritten, kMsgHistoryNotRead,
          kMsgHistoryNotCleared, kMsgAutostartNotChanged}) {
        EXPECT_NE(std::string_view(m.english).find("%1"), std::string_view::npos) << m.english;
        EXPECT_NE(std::string_view(m.spanish).find("%1"), std::string_view::npos) << m.spanish;
    }
}

}  // namespace
}  // namespace lt
