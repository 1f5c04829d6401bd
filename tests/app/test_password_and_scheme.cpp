#include <gtest/gtest.h>

#include "password/access_password.h"
#include "support/fake_program.h"

using namespace lt;

namespace {

struct Password : test::VirtualTimeTest {
    void start(const QByteArray& settings) {
        VirtualTimeTest::start(test::at(2026, 12, 5, 9, 0, 0), settings);
    }
};
using Scheme = Password;

}  // namespace

TEST(PasswordEncoding, KeepsLengthAndCodesAndRefusesWhatItCannotHold) {
    EXPECT_EQ(encodePassword(QString()), QStringLiteral("0000"));
    EXPECT_EQ(encodePassword(QStringLiteral("  abc \t")), QStringLiteral("0003097098099"));
    EXPECT_EQ(encodePassword(QString::fromUtf8("é1")), QStringLiteral("0002233049"));
    EXPECT_EQ(encodePassword(QString(12, QLatin1Char('z'))).value().left(4),
              QStringLiteral("0012"));
    EXPECT_FALSE(encodePassword(QString::fromUtf8("a€")).has_value());
}

TEST_F(Password, TheEmptyEntryOpensANewInstallationAndEachButtonWorksInItsModeOnly) {
    start("[Idiomas]\nCodigoIdioma=0\n[Interrupciones]\nClave=0000\n");
    MainForm& f = form();
    f.TxClaveActual_Configuracion.setText(QStringLiteral("wrong"));
    f.CdAceptarClaveActual_Configuracion.click();
    ASSERT_EQ(messages.shown.size(), 1u);
    f.CdAceptarClaveActual_Configuracion.click();  // empty entry: the stored empty password
    EXPECT_TRUE(f.FrInterrumpirConexion_Configuracion.enabled());

    // The new-password button does nothing while an entry is checked, grey changes nothing.
    f.TxNuevaClave_Configuracion.setText(QStringLiteral(" abc "));
    f.CdAceptarClaveNueva_Configuracion.click();
    EXPECT_EQ(estado().Clave, QStringLiteral("0000"));
    f.CkNuevaClave_Configuracion.setValue(2);
    EXPECT_TRUE(f.CdAceptarClaveActual_Configuracion.visible());
    f.CkNuevaClave_Configuracion.setValue(1);
    f.TxNuevaClave_Configuracion.setText(QStringLiteral(" abc "));
    f.TxConfirmarClave_Configuracion.setText(QStringLiteral(" abc "));
    f.CdAceptarClaveNueva_Configuracion.click();
    EXPECT_EQ(estado().Clave, QStringLiteral("0003097098099"));

    boot();  // the empty entry no longer opens
    form().CdAceptarClaveActual_Configuracion.click();
    EXPECT_FALSE(form().CkAbadonaAplicacion_Configuracion.enabled());
}

TEST_F(Scheme, AcceptingAppliesAllOrNothingAndLocksTheProtectedSettings) {
    start("[Idiomas]\nCodigoIdioma=1\n[Interrupciones]\nClave=0000\n[Flags]\nQueDia=D\n");
    MainForm& f = form();
    f.CdAceptarClaveActual_Configuracion.click();
    ASSERT_TRUE(f.FrInterrumpirConexion_Configuracion.enabled());

    // A start that is no time of day is refused and replaced, and gets the focus.
    TextBox& desde = f.TxDespuesDeLa_Configuracion;
    for (const char* wrong : {"7:00:00", "ab:cd:ef", "+1:00:00", "07:00:0x"}) {
        desde.setText(QString::fromLatin1(wrong));
        const int focus = desde.focusRequests();
        f.CdAceptarCambios_Configuracion.click();
        EXPECT_TRUE(messages.shown.back().text.contains(QStringLiteral("'hh:mm:ss'"))) << wrong;
        EXPECT_EQ(desde.text(), QStringLiteral("01:00:00")) << wrong;
        EXPECT_EQ(desde.focusRequests(), focus + 1);
    }

    // A window without a real duration changes nothing at all.
    f.LbPrueba.setCaption(QStringLiteral("05:10:00"));
    f.CkDespuesDeLa_Configuracion.setValue(1);
    desde.setText(QStringLiteral("07:00:00"));
    for (const char* wrong : {"", "abc", "25:00:00"}) {
        f.TxYDurante_Configuracion.setText(QString::fromLatin1(wrong));
        const int focus = f.TxYDurante_Configuracion.focusRequests();
        f.CdAceptarCambios_Configuracion.click();
        EXPECT_EQ(messages.shown.back().text,
                  QStringLiteral("Se deben completar todos los datos en 'Esquema interrupciones'"));
        EXPECT_EQ(f.TxYDurante_Configuracion.focusRequests(), focus + 1);
        EXPECT_EQ(f.LbPrueba.caption(), QStringLiteral("05:10:00"));
    }

    // "2:30" reads as a time, as typed times do.
    f.TxYDurante_Configuracion.setText(QStringLiteral("2:30"));
    f.CdAceptarCambios_Configuracion.click();
    EXPECT_EQ(f.LbTiempoAcumulado_Estado.caption(),
              QStringLiteral("Se interrumpira desde: 07:00:00 hasta 09:30:00 hs."));
    EXPECT_EQ(f.LbPrueba.caption(), QStringLiteral("00:00:00"));
    EXPECT_FALSE(f.FrInterrumpirConexion_Configuracion.enabled());
    EXPECT_EQ(ini("Flags", "ImpDurante"), QStringLiteral("2:30"));  // on disk at once
}
