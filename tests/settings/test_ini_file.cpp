#include "platform/file_system.h"
#include "settings/ini_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <random>

#include "support/test_support.h"

namespace lt {
namespace {

// Keeps embedded NUL bytes, which a plain const char* conversion would stop at.
template <size_t N>
QByteArray bytes(const char (&text)[N]) {
    return QByteArray(text, N - 1);
}

IniFile parsed(const QByteArray& text) {
    IniFile ini;
    ini.parse(text);
    return ini;
}

TEST(IniFile, ReadsNamesWithoutCaseAndValuesTrimmed) {
    const IniFile ini = parsed(
        "Orphan=1\n[ Costos ] tail\n  AjusteCosto =  D \t\nQuoted=\"  spaced  \"\n"
        "Half=\"open\nEmpty=\nFormula=a=b\n;Hidden=1\n  #Hash=1\nno equals\n[\nAfter=1\n"
        "[Secci\xc3\xb3n]\nK=x\n");
    EXPECT_EQ(ini.value("costos", "AJUSTECOSTO"), "D");
    EXPECT_EQ(ini.value("Costos", "Quoted"), "  spaced  ");
    EXPECT_EQ(ini.value("Costos", "Half"), "\"open");
    EXPECT_EQ(ini.value("Costos", "Formula"), "a=b");
    EXPECT_EQ(ini.value("Costos", "After"), "1");  // a lone "[" opens no section
    EXPECT_EQ(ini.value("SECCIÓN", "k"), "x");
    for (const char* hidden : {"Orphan", ";Hidden", "Hidden", "#Hash", "no equals"})
        EXPECT_FALSE(ini.value("Costos", hidden)) << hidden;
    EXPECT_FALSE(ini.value("Flags", "AjusteCosto"));

    // Values read back at most 254 characters long, never half a character; kept whole.
    IniFile cut;
    cut.setValue("I", "Pair", QString(253, u'a') + QString::fromUtf8("😀b"));
    EXPECT_EQ(cut.value("I", "Pair"), QString(253, u'a'));
    EXPECT_TRUE(cut.serialize().contains(QByteArray(253, 'a') + "😀b"));
}

TEST(IniFile, PutsWritesWhereTheyBelong) {
    IniFile dup = parsed("[Flags]\nQueDia=S\nqueDIA=M\n[flags]\nQueDia=D\nExtra=1\n");
    EXPECT_EQ(dup.value("Flags", "QueDia"), "S");
    EXPECT_FALSE(dup.value("Flags", "Extra"));
    dup.setValue("FLAGS", "quedia", "N");
    dup.setValue("Flags", "Extra", "2");
    EXPECT_EQ(dup.serialize(),
              "[Flags]\nQueDia=N\nqueDIA=M\nExtra=2\n[flags]\nQueDia=D\nExtra=1\n");

    IniFile ini = parsed("[A]\nx=1\n; about B\n\n[B]\ny=2\n[Empty]\n; nothing yet\n[C]\n");
    ini.setValue("A", "New", "1");
    ini.setValue("Empty", "k", "v");
    ini.setValue("C", "c", "3");
    ini.setValue("D", "d", "4");
    EXPECT_EQ(ini.serialize(),
              "[A]\nx=1\nNew=1\n; about B\n\n[B]\ny=2\n[Empty]\nk=v\n; nothing yet\n[C]\nc=3\n"
              "\n[D]\nd=4\n");
}

TEST(IniFile, RewritesOnlyTheLineItChanges) {
    const QByteArray original = bytes(
        "\xEF\xBB\xBF; LinkTally settings\n[Costos]\n   AjusteCosto   =  D   \nCostoIVA = 21\n\n"
        "Unknown = keep me\nNota=caf\xe9\nRaw=a\0b\n# comment=1\n[Flags]\nQueDia=S\n");
    IniFile ini = parsed(original);
    EXPECT_EQ(ini.value("Costos", "Nota"), "café");
    EXPECT_EQ(ini.serialize(), original);

    ini.setValue("Costos", "CostoIVA", "21");  // same value: the odd spacing stays
    EXPECT_FALSE(ini.isModified());
    EXPECT_EQ(ini.serialize(), original);

    ini.setValue("costos", "ajustecosto", "S");
    EXPECT_TRUE(ini.isModified());
    EXPECT_EQ(ini.serialize(),
              QByteArray(original).replace("   AjusteCosto   =  D   ", "AjusteCosto=S"));

    ini.setValue("Costos", "Nota", "té");  // a rewritten line is UTF-8
    EXPECT_TRUE(ini.serialize().contains("Nota=t\xc3\xa9\n"));
    EXPECT_EQ(parsed(ini.serialize()).value("Costos", "Nota"), "té");
}

TEST(IniFile, KeepsTheFilesLineEndings) {
    IniFile crlf = parsed("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
    crlf.setValue("A", "x", "9");
    crlf.setValue("A", "z", "3");
    crlf.setValue("C", "w", "4");
    EXPECT_EQ(crlf.serialize(), "[A]\r\nx=9\r\nz=3\r\n\r\n[B]\r\ny=2\r\n\r\n[C]\r\nw=4\r\n");
    IniFile open = parsed("[A]\nx=1");  // no line end after the last line
    open.setValue("A", "y", "3");
    open.setValue("B", "z", "4");
    EXPECT_EQ(open.serialize(), "[A]\nx=1\ny=3\n\n[B]\nz=4");
}

TEST(IniFile, NeverWritesALineThatReadsBackDifferently) {
    IniFile ini;
    ini.setValue("A", "Caption", "line1\nline2\r\nline3");
    ini.setValue("A", "Padded", "  padded\t");
    ini.setValue("A", "Quoted", "\"quoted\"");
    EXPECT_EQ(ini.serialize().count('\n'), 4);
    const IniFile reread = parsed(ini.serialize());
    EXPECT_EQ(reread.value("A", "Caption"), "line1 line2  line3");
    EXPECT_EQ(reread.value("A", "Padded"), "  padded\t");
    EXPECT_EQ(reread.value("A", "Quoted"), "\"quoted\"");

    // Names that could only be written as some other section or key are refused.
    const QByteArray before = ini.serialize();
    const char* const bad[][2] = {{"A", "x=y"},    {"A", ";k"}, {"A", "[k"}, {"A", ""},
                                  {"A", "k\nz=1"}, {"A]", "k"}, {"", "k"},   {"A\n[B", "k"}};
    PosixFileSystem fs;
    for (const auto& [section, key] : bad) {
        ini.setValue(section, key, "1");
        QString error;
        EXPECT_FALSE(GuardarValorINI(fs, "/nonexistent/never.ini", section, key, "1", &error));
    }
    EXPECT_EQ(ini.serialize(), before);
}

TEST(IniFile, SavesAtomicallyOrLeavesTheFileAlone) {
    QTemporaryDir dir;
    PosixFileSystem fs;
    const QString path = dir.filePath("Linktally.ini");
    IniFile ini;
    EXPECT_FALSE(ini.load(path));
    test::writeFile(path, "[Costos]\nAjusteCosto=D\n");
    ASSERT_TRUE(ini.load(path));
    ini.setValue("Costos", "AjusteCosto", "S");
    ASSERT_TRUE(ini.save(fs, path)) << ini.errorString().toStdString();
    EXPECT_FALSE(ini.isModified());
    EXPECT_EQ(test::readFile(path), "[Costos]\nAjusteCosto=S\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Linktally.ini"});

    ini.setValue("Costos", "CostoIVA", "21");
    EXPECT_FALSE(ini.save(fs, dir.filePath("missing/Linktally.ini")));
    EXPECT_TRUE(ini.isModified());
    if (::geteuid() != 0) {  // root writes into read-only directories anyway
        const auto all = QFile::permissions(dir.path());
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        EXPECT_FALSE(ini.save(fs, path));
        QFile::setPermissions(dir.path(), all);
    }
    EXPECT_EQ(test::readFile(path), "[Costos]\nAjusteCosto=S\n");
}

TEST(IniFile, ReadsAndWritesSingleKeysOnDisk) {
    QTemporaryDir dir;
    PosixFileSystem fs;
    const QString path = dir.filePath("Linktally.ini");
    QString error;
    EXPECT_EQ(LeerValorINI(path, "Costos", "AjusteCosto", "none"), "none");
    ASSERT_TRUE(GuardarValorINI(fs, path, "Costos", "AjusteCosto", "D", &error))
        << error.toStdString();
    ASSERT_TRUE(GuardarValorINI(fs, path, "Interrupciones", "Clave", "", &error));
    bool written = false;
    ASSERT_TRUE(GuardarValorINI(fs, path, "costos", "ajustecosto", "S", &error, &written));
    EXPECT_TRUE(written);
    EXPECT_EQ(LeerValorINI(path, "Interrupciones", "Clave", "none"), "");
    EXPECT_EQ(test::readFile(path), "[Costos]\nAjusteCosto=S\n\n[Interrupciones]\nClave=\n");
    // A value the file holds already is not written again.
    ASSERT_TRUE(GuardarValorINI(fs, path, "Costos", "AjusteCosto", "S", &error, &written));
    EXPECT_FALSE(written);

    // A file that cannot be read is not replaced by a file holding one key.
    const QByteArray huge = "[A]\nk=old\n" + QByteArray(2 * 1024 * 1024, ';');
    test::writeFile(path, huge);
    EXPECT_FALSE(GuardarValorINI(fs, path, "A", "k", "new", &error));
    EXPECT_EQ(test::readFile(path), huge);
}

TEST(IniFile, SurvivesHostileInput) {
    std::mt19937 rng(20261205);
    const auto pick = [&rng](qsizetype n) {
        return std::uniform_int_distribution<qsizetype>(0, n - 1)(rng);
    };
    QList<QByteArray> tokens =
        QByteArray(
            "[|]|=|==|\n|\r\n|\r|;|#|\"| |\t|[s]|[ S ] x|k=v|K = \"q\"|\xff\xfe|\xc3\xa9|\xc3|"
            "\xEF\xBB\xBF|[s|x=|=y")
            .split('|');
    tokens += QByteArray(1, '\0');
    const auto noise = [&] {
        QByteArray out;
        for (auto n = pick(40); n > 0; --n) {
            out += pick(3) == 0 ? QByteArray(1, static_cast<char>(pick(256)))
                                : tokens[pick(tokens.size())];
        }
        if (pick(100) == 0) out += QByteArray(200000, pick(2) ? '[' : '=');
        return out;
    };
    const QStringList sections = {"s", "S", "Plant", "new one"};
    const QStringList keys = {"k", "K", "x", "keep2"};
    const QString alphabet = QString::fromUtf8(" \t\"=[];#\r\nabcéñ€") + QChar(u'\0');

    for (int i = 0; i < 2000; ++i) {
        const QByteArray input = noise() + "\n[Plant]\nkeep=yes\n" + noise();
        IniFile ini = parsed(input);
        ASSERT_EQ(ini.serialize(), input);
        ASSERT_EQ(ini.value("plant", "KEEP"), "yes");

        const QString section = sections[pick(4)];
        const QString key = keys[pick(4)];
        QString value;
        for (auto n = pick(30); n > 0; --n) value += alphabet[pick(alphabet.size())];
        ini.setValue(section, key, value);

        const IniFile reread = parsed(ini.serialize());
        ASSERT_EQ(reread.value(section, key), value.replace(u'\r', u' ').replace(u'\n', u' '))
            << "iteration " << i;
        ASSERT_EQ(reread.value("Plant", "keep"), "yes") << "iteration " << i;
    }
}

}  // namespace
}  // namespace lt
