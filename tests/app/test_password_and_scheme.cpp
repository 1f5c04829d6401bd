#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "app/configuracion.h"
#include "core/clock.h"
#include "password/access_password.h"
#include "settings/ini_file.h"
#include "support/test_support.h"

using namespace lt;

namespace {

struct Program {
    explicit Program(const QString& dir, const QByteArray& settings) {
        test::writeFile(dir + QStringLiteral("/Linktally.ini"), settings);
        logic = std::make_unique<Configuracion>(clock, messages, AppFiles{dir, dir}, probe, cutter);
        logic->Form_Load();
    }
    FakeClock clock{oleFromParts(2026, 12, 5) + oleFromTime(9, 0, 0)};
    test::RecordingMessageBox messages;
    test::FakeProbe probe;
    test::FakeCutter cutter;
    std::unique_ptr<Configuracion> logic;
    MainForm& form() { return logic->form(); }
};

}  // namespace

TEST(Password, EncodingKeepsLengthAndCodesAndRefusesWhatItCannotHold) {
    EXPECT_EQ(encodePassword(QString()), QStringLiteral("0000"));
    EXPECT_EQ(encodePassword(QStringLiteral("  abc \t")), QStringLiteral("0003097098099"));
    EXPECT_EQ(encodePassword(QString::fromUtf8("é1")), QStringLiteral("0002233049"));
    EXPECT_EQ(encodePassword(QString(12, QLatin1Char('z'))).value().left(4),
              QStringLiteral("0012"));
    EXPECT_FALSE(encodePassword(QString::fromUtf8("a€")).has_value());
}

TEST(Password, ANewInstallationUnlocksWithTheEmptyEntryAndTheChangeHolds) {
    QTemporaryDir dir;
    Program p(dir.path(), "[Idiomas]\nCodigoIdioma=0\n[Interrupciones]\nClave=0000\n");
    MainForm& f = p.form();
    EXPECT_FALSE(f.CkAbadonaAplicacion_Configuracion.enabled());

    f.TxClaveActual_Configuracion.setText(QStringLiteral("wrong"));
    f.CdAceptarClaveActual_Configuracion.click();
    ASSERT_EQ(p.messages.shown.size(), 1u);
    EXPECT_EQ(p.messages.shown[0].icon, MessageBox::Icon::Critical);
    EXPECT_FALSE(f.FrInterrumpirConexion_Configuracion.enabled());
    EXPECT_EQ(f.TxClaveActual_Configuracion.text(), QString());

    f.CdAceptarClaveActual_Configuracion.click();  // empty entry: the stored empty password
    EXPECT_TRUE(f.FrInterrumpirConexion_Configuracion.enabled());
    EXPECT_TRUE(f.CdLimpiarBase_Configuracion.enabled());

    // The new-password button does nothing in entry mode.
    f.TxNuevaClave_Configuracion.setText(QStringLiteral("abc"));
    f.CdAceptarClaveNueva_Configuracion.click();
    EXPECT_EQ(p.logic->estado().Clave, QStringLiteral("0000"));

    f.CkNuevaClave_Configuracion.setValue(1);
    EXPECT_TRUE(f.TxNuevaClave_Configuracion.visible());
    EXPECT_FALSE(f.CdAceptarClaveActual_Configuracion.visible());
    f.CdAceptarClaveActual_Configuracion.click();  // inert in change mode
    EXPECT_EQ(p.messages.shown.size(), 1u);
    f.TxNuevaClave_Configuracion.setText(QStringLiteral(" abc "));
    f.CdAceptarClaveNueva_Configuracion.click();
    EXPECT_EQ(f.CkNuevaClave_Configuracion.value(), 0);
    EXPECT_FALSE(f.TxNuevaClave_Configuracion.visible());
    EXPECT_EQ(LeerValorINI(dir.filePath(QStringLiteral("Linktally.ini")),
                           QStringLiteral("Interrupciones"), QStringLiteral("Clave")),
              QStringLiteral("0003097098099"));

    // The next start: only the new password opens.
    Program again(dir.path(),
                  test::readFile(dir.filePath(QStringLiteral("Linktally.ini"))).toUtf8());
    again.form().CdAceptarClaveActual_Configuracion.click();
    EXPECT_FALSE(again.form().CkAbadonaAplicacion_Configuracion.enabled());
    again.form().TxClaveActual_Configuracion.setText(QStringLiteral("abc"));
    again.form().CdAceptarClaveActual_Configuracion.click();
    EXPECT_TRUE(again.form().CkAbadonaAplicacion_Configuracion.enabled());

    // Grey changes nothing.
    again.form().CkNuevaClave_Configuracion.setValue(2);
    EXPECT_TRUE(again.form().CdAceptarClaveActual_Configuracion.visible());
}

TEST(Scheme, AcceptingAppliesAllOrNothingAndLocksTheProtectedSettings) {
    QTemporaryDir dir;
    Program p(dir.path(),
              "[Idiomas]\nCodigoIdioma=1\n[Interrupciones]\nClave=0000\n[Flags]\nQueDia=D\n");
    MainForm& f = p.form();
    f.CdAceptarClaveActual_Configuracion.click();
    ASSERT_TRUE(f.FrInterrumpirConexion_Configuracion.enabled());

    // A start that is no time of day is refused and replaced, and gets the focus.
    TextBox& desde = f.TxDespuesDeLa_Configuracion;
    for (const char* wrong : {"7:00:00", "ab:cd:ef", "+1:00:00", "07:00:0x"}) {
        desde.setText(QString::fromLatin1(wrong));
        const int focus = desde.focusRequests();
        f.CdAceptarCambios_Configuracion.click();
        ASSERT_FALSE(p.messages.shown.empty());
        EXPECT_TRUE(p.messages.shown.back().text.contains(QStringLiteral("'hh:mm:ss'"))) << wrong;
        EXPECT_EQ(desde.text(), QStringLiteral("01:00:00")) << wrong;
        EXPECT_EQ(desde.focusRequests(), focus + 1);
        EXPECT_TRUE(f.FrInterrumpirConexion_Configuracion.enabled()) << wrong;
    }

    // A window without a real duration changes nothing at all.
    f.LbPrueba.setCaption(QStringLiteral("05:10:00"));
    f.CkDespuesDeLa_Configuracion.setValue(1);
    desde.setText(QStringLiteral("07:00:00"));
    for (const char* wrong : {"", "abc", "25:00:00"}) {
        f.TxYDurante_Configuracion.setText(QString::fromLatin1(wrong));
        const int focus = f.TxYDurante_Configuracion.focusRequests();
        f.CdAceptarCambios_Configuracion.click();
        EXPECT_EQ(p.messages.shown.back().text,
                  QStringLiteral("Se deben completar todos los datos en 'Esquema interrupciones'"));
        EXPECT_EQ(f.TxYDurante_Configuracion.focusRequests(), focus + 1);
        EXPECT_EQ(f.LbPrueba.caption(), QStringLiteral("05:10:00"));
        EXPECT_TRUE(f.FrInterrumpirConexion_Configuracion.enabled());
    }

    // "2:30" reads as a time, as typed times do.
    f.TxYDurante_Configuracion.setText(QStringLiteral("2:30"));
    f.CdAceptarCambios_Configuracion.click();
    EXPECT_EQ(f.LbTiempoAcumulado_Estado.caption(),
              QStringLiteral("Se interrumpira desde: 07:00:00 hasta 09:30:00 hs."));
    EXPECT_EQ(f.LbPrueba.caption(), QStringLiteral("00:00:00"));
    EXPECT_FALSE(f.FrInterrumpirConexion_Configuracion.enabled());
    EXPECT_FALSE(f.CkNuevaClave_Configuracion.enabled());
    // On disk at once.
    const QString ini = dir.filePath(QStringLiteral("Linktally.ini"));
    EXPECT_EQ(LeerValorINI(ini, QStringLiteral("Flags"), QStringLiteral("ImpDurante")),
              QStringLiteral("2:30"));
}
