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
            Validators v(estado, live.messages);
            EXPECT_EQ((v.*validar)(QString::fromUtf8(text)), ok);
            EXPECT_EQ(estado.ErrorFormato, !ok);
            ASSERT_EQ(live.box.shown.size(), ok ? 0u : 1u);
            if (!ok) {
                EXPECT_EQ(live.box.shown[0].text, QString::fromUtf8(mensaje.english));
            }
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

TEST(Validators, EveryGuardedBoxFallsBackFromWhatItRefusesAndOnlyAcceptedTextsGoFurther) {
    MainForm form;
    EstadoMonitor estado;
    estado.CodigoIdioma = 1;
    test::LiveMessages live(estado);
    Validators v(estado, live.messages);
    TextBox& lunes = form.Tarifas[2].TxHHDesde;
    std::vector<QString> seenBefore;  // a handler set before the validation
    lunes.Change = [&] { seenBefore.push_back(lunes.text()); };
    int accepted = 0;
    instalarValidacion(form, v, [&] { ++accepted; });
    lunes.setText(QStringLiteral("24"));
    ASSERT_EQ(live.box.shown.size(), 1u);
    EXPECT_EQ(live.box.shown[0].text, QString::fromUtf8(kMsgHours0to23.spanish));
    lunes.setText(QStringLiteral("23"));
    // Each edit ends in one accepted text; a refused one never reaches the handlers.
    EXPECT_EQ(accepted, 2);
    EXPECT_EQ(seenBefore, (std::vector<QString>{"00", "23"}));

    // All 69 guarded boxes, in English for a code of no language; the box gets the focus.
    estado.CodigoIdioma = 2;
    struct Guarded {
        TextBox* box;
        const char* fallback;
        const Bilingual* message;
    };
    std::vector<Guarded> guarded = {
        {&form.TxImpuestos_Costo, "0", &kMsgPercent0to100},
        {&form.TxPorcentajeReduccionCosto_Costo, "0", &kMsgPercent0to100},
        {&form.TxDespuesDe_Configuracion, "1", &kMsgInteger0to999},
        {&form.TxIntervaloTiempoConexion_Configuracion, "5", &kMsgInterval1to15},
        {&form.TxIntervaloTiempoCosto_Configuracion, "5", &kMsgInterval1to15}};
    for (TarifaControls& t : form.Tarifas) {
        for (TextBox* b : {&t.TxHHDesde, &t.TxHHHasta})
            guarded.push_back({b, "00", &kMsgHours0to23});
        for (TextBox* b : {&t.TxMMDesde, &t.TxSSDesde, &t.TxMMHasta, &t.TxSSHasta})
            guarded.push_back({b, "00", &kMsgMinutesSeconds0to59});
        for (TextBox* b : {&t.TxCostoHs, &t.TxCostoHsResto})
            guarded.push_back({b, "1.60", &kMsgNumber0to9999999999});
    }
    ASSERT_EQ(guarded.size(), 69u);
    for (const auto& [b, fallback, message] : guarded) {
        SCOPED_TRACE(b->name().toStdString());
        live.box.shown.clear();
        const int focus = b->focusRequests();
        b->setText(QStringLiteral("abc"));
        EXPECT_EQ(b->text(), QString::fromUtf8(fallback));
        EXPECT_EQ(b->focusRequests(), focus + 1);
        ASSERT_EQ(live.box.shown.size(), 1u);
        EXPECT_EQ(live.box.shown[0].text, QString::fromUtf8(message->english));
    }
}
