#include "platform/linux/font_warmup.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScopeGuard>

using namespace lt;

// As main does it: the warm-up races the toolkit's own loading of the font
// configuration, and must be over before the toolkit destroys that configuration.
TEST(FontWarmup, RacesTheToolkitForTheFontConfigurationAndEndsBeforeIt) {
    int argc = 1;
    char name[] = "test_font_warmup";
    char* argv[] = {name, nullptr};
    for (int start = 0; start < 3; ++start) {
        FontWarmup fonts;
        QGuiApplication app(argc, argv);
        const auto fontsFirst = qScopeGuard([&fonts] { fonts.wait(); });
        EXPECT_GT(QFontMetrics(QGuiApplication::font()).horizontalAdvance(QStringLiteral("0:00")),
                  0);
    }
}
