#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "form/estado_monitor.h"
#include "form/main_form.h"
#include "i18n/captions.h"
#include "settings/validators.h"
#include "support/test_support.h"

using namespace lt;

namespace {

using Validador = bool (Validators::*)(const QString&);

// ErrorFormato starts opposite to the expected verdict, so a validator that leaves it alone
// fails. The other languages are seen through the boxes below.
void comprobar(Validador validar, const Bilingual& mensaje,
               std::initializer_list<const char*> accepted,
               std::initializer_list<const char*> rejected) {
    for (const bool ok : {true, false}) {
        for (const char* text : ok ? accepted : rejected) {
            SCOPED_TRACE(text);
            EstadoMonitor estado;
            estado.ErrorFormato = ok;
            test::LiveMessages live(estado);
            auto& box = live.box;
            Validators v(estado, live.messages);
            EXPECT_EQ((v.*validar)(QString::fromUtf8(text)), ok);
            EXPECT_EQ(estado.ErrorFormato, !ok);
            ASSERT_EQ(box.shown.size(), ok ? 0u : 1u);
            if (ok) continue;
            EXPECT_EQ(box.shown[0].icon, MessageBox::Icon::Information);
            EXPECT_EQ(box.shown[0].text, QString::fromUtf8(mensaje.english));
        }
    }
}

}  // namespace

TEST(Validators, EachRangeAndItsMessage) {
    comprobar(&Validators::FormatoHoras, kMsgHours0to23, {"0", "23", "05", " 7"},
              {"24", "123", "-1", "", "ab", "2x"});
    comprobar(&Validators::FormatoMinutosOSegundos, kMsgMinutesSeconds0to59, {"5", "05", "59"},
              {"60", "100", "-1", ""});
    // 1e12 fits in four characters: there the value limit decides.
    comprobar(&Validators::FormatoNumerico, kMsgNumber0to9999999999,
              {"1.60", "0", "9999999999", "9e11"}, {"10000000000", "1e12", "", "-1", "1,60"});
    comprobar(&Validators::FormatoPorcentaje, kMsgPercent0to100, {"0", "100", "7.5"},
              {"101", ".5", ",5", "1000", "-1", ""});
    comprobar(&Validators::FormatoNumericEntero, kMsgInteger0to999, {"0", "999", "1.5"},
              {"1000", ".5", "-1", "x"});
    comprobar(&Validators::Formato15minutosOSegundos, kMsgInterval1to15, {"1", "15", "9."},
              {"0", "16", ".5", "-0", "-1", "1.5", "150", ""});
    comprobar(&Validators::FormatoHHMMSS, kMsgTimeFormat, {"23:59:59", "00:00:00"},
              {"7:00:00", "24:00:00", "12:60:00", "12:00:60", "12-00-00", "12:00:000", ""});
}

TEST(Validators, HostileTextsGetOneVerdictAndAtMostOneMessage) {
    const QString alphabet = QString::fromUtf8("0123456789.,-+eE :x\t٣€");
    std::mt19937 random(20260105);
    EstadoMonitor estado;
    test::LiveMessages live(estado);
    auto& box = live.box;
    Validators v(estado, live.messages);
    const Validador all[] = {
        &Validators::FormatoHoras,         &Validators::FormatoMinutosOSegundos,
        &Validators::FormatoNumerico,      &Validators::FormatoPorcentaje,
        &Validators::FormatoNumericEntero, &Validators::Formato15minutosOSegundos,
        &Validators::FormatoHHMMSS};
    for (int i = 0; i < 3000; ++i) {
        QString text;
        for (auto n = random() % 13; n > 0; --n)
            text +=
                alphabet[static_cast<qsizetype>(random() % static_cast<unsigned>(alphabet.size()))];
        for (const Validador validar : all) {
            box.shown.clear();
            const bool ok = (v.*validar)(text);
            ASSERT_EQ(estado.ErrorFormato, !ok) << text.toStdString();
            ASSERT_EQ(box.shown.size(), ok ? 0u : 1u) << text.toStdString();
        }
    }
}

TEST(Validators, RejectedTextsFallBackAndOnlyAcceptedOnesGoFurther) {
    MainForm form;
    EstadoMonitor estado;
    estado.CodigoIdioma = 1;
    test::LiveMessages live(estado);
    auto& box = live.box;
    Validators v(estado, live.messages);
    TextBox& lunes = form.Tarifas[2].TxHHDesde;
    std::vector<QString> seenBefore;  // a handler set before the validation
    lunes.Change = [&] { seenBefore.push_back(lunes.text()); };
    int accepted = 0;
    instalarValidacion(form, v, [&] { ++accepted; });

    struct Edit {
        TextBox& box;
        const char* typed;
        const char* left;
        const Bilingual* message;
    };
    const Edit edits[] = {
        {lunes, "24", "00", &kMsgHours0to23},
        {lunes, "23", "23", nullptr},
        {form.Tarifas[0].TxMMHasta, "60", "00", &kMsgMinutesSeconds0to59},
        {form.Tarifas[0].TxMMHasta, "05", "05", nullptr},
        {form.Tarifas[1].TxCostoHs, "2", "2", nullptr},
        {form.Tarifas[1].TxCostoHs, "", "1.60", &kMsgNumber0to9999999999},
        {form.TxImpuestos_Costo, "100", "100", nullptr},
        {form.TxImpuestos_Costo, "101", "0", &kMsgPercent0to100},
        {form.TxDespuesDe_Configuracion, "1000", "1", &kMsgInteger0to999},
        {form.TxIntervaloTiempoConexion_Configuracion, "0", "5", &kMsgInterval1to15},
        {form.TxIntervaloTiempoConexion_Configuracion, "15", "15", nullptr},
        {form.TxIntervaloTiempoCosto_Configuracion, ".5", "5", &kMsgInterval1to15},
    };
    for (const Edit& e : edits) {
        SCOPED_TRACE(e.box.name().toStdString() + " <- " + e.typed);
        box.shown.clear();
        e.box.setText(QString::fromUtf8(e.typed));
        EXPECT_EQ(e.box.text(), QString::fromUtf8(e.left));
        EXPECT_FALSE(estado.ErrorFormato);
        ASSERT_EQ(box.shown.size(), e.message ? 1u : 0u);
        if (e.message) {
            EXPECT_EQ(box.shown[0].text, QString::fromUtf8(e.message->spanish));
        }
    }
    // Every edit ends in one accepted text; the refused ones never reach the handlers.
    EXPECT_EQ(accepted, static_cast<int>(std::size(edits)));
    EXPECT_EQ(seenBefore, (std::vector<QString>{"00", "23"}));
}

TEST(Validators, AllSixtyNineBoxesAreGuardedAndAnUnknownLanguageSpeaksEnglish) {
    MainForm form;
    EstadoMonitor estado;
    estado.CodigoIdioma = 2;
    test::LiveMessages live(estado);
    auto& box = live.box;
    Validators v(estado, live.messages);
    instalarValidacion(form, v);
    std::vector<std::pair<TextBox*, const char*>> guarded = {
        {&form.TxImpuestos_Costo, "0"},
        {&form.TxPorcentajeReduccionCosto_Costo, "0"},
        {&form.TxDespuesDe_Configuracion, "1"},
        {&form.TxIntervaloTiempoConexion_Configuracion, "5"},
        {&form.TxIntervaloTiempoCosto_Configuracion, "5"}};
    for (TarifaControls& t : form.Tarifas)
        for (TextBox* b : t.boxes())
            guarded.emplace_back(b, b == &t.TxCostoHs || b == &t.TxCostoHsResto ? "1.60" : "00");
    ASSERT_EQ(guarded.size(), 69u);
    for (auto& [b, fallback] : guarded) {
        b->setText(QStringLiteral("abc"));
        EXPECT_EQ(b->text(), QString::fromUtf8(fallback)) << b->name().toStdString();
        // The message is about this box: it gets the focus.
        EXPECT_EQ(b->focusRequests(), 1) << b->name().toStdString();
    }
    ASSERT_EQ(box.shown.size(), 69u);
    EXPECT_TRUE(box.shown.back().text.startsWith(QStringLiteral("Nonvalid value")));

    // The boxes left alone keep what is typed.
    form.TxCadaReduccionCosto_Costo.setText(QStringLiteral("abc"));
    form.TxYDurante_Configuracion.setText(QStringLiteral("abc"));
    EXPECT_EQ(form.TxCadaReduccionCosto_Costo.text(), QStringLiteral("abc"));
    EXPECT_EQ(form.TxYDurante_Configuracion.text(), QStringLiteral("abc"));
}
