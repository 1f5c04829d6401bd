// The one write path of the program's files, against a disk that fails on purpose.
#include <gtest/gtest.h>

#include "platform/durable_file.h"
#include "support/fake_file_system.h"
#include "support/test_support.h"

using namespace lt;

TEST(DurableFile, AFailureAnywhereLeavesTheOldFileWholeAndSaysWhy) {
    const QString path = QStringLiteral("/conf/Linktally.ini");
    const QByteArray good = QByteArray("[Costos]\nCostoIVA=21\n").repeated(40);
    const QByteArray next = QByteArray("[Costos]\nCostoIVA=10\n").repeated(40);
    struct Fault {
        const char* name;
        void (*arm)(test::FakeFileSystem&);
        const char* says;
    };
    const Fault faults[] = {
        {"full disk", [](test::FakeFileSystem& fs) { fs.failWrites = 1; }, "No space left"},
        {"a write that takes nothing",
         [](test::FakeFileSystem& fs) {
             fs.failWrites = -1;
             fs.writeError = 0;
         },
         "No space left"},
        {"I/O error on sync", [](test::FakeFileSystem& fs) { fs.failSyncs = 1; }, "Input/output"},
        {"rename refused", [](test::FakeFileSystem& fs) { fs.failRenames = 1; }, "replace"},
        {"no folder", [](test::FakeFileSystem& fs) { fs.failOpens = 1; }, "cannot create"},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.name);
        test::FakeFileSystem fs;
        QString error;
        ASSERT_TRUE(replaceFile(fs, path, good, &error)) << error.toStdString();
        fs.modes[path] = 0600;
        f.arm(fs);
        EXPECT_FALSE(replaceFile(fs, path, next, &error));
        EXPECT_TRUE(error.contains(QLatin1String(f.says))) << error.toStdString();
        EXPECT_EQ(fs.files[path], good);
        EXPECT_FALSE(fs.files.contains(temporaryPathFor(path)));
        fs.crash();
        EXPECT_EQ(fs.files[path], good);
    }

    // Writes cut short go on until all is written; the file keeps its permissions.
    test::FakeFileSystem fs;
    QString error;
    ASSERT_TRUE(replaceFile(fs, path, good, &error));
    fs.modes[path] = 0600;
    fs.shortWrite = 7;
    ASSERT_TRUE(replaceFile(fs, path, next, &error)) << error.toStdString();
    fs.crash();  // synced before the rename: the new file survives a power cut
    EXPECT_EQ(fs.files[path], next);
    EXPECT_EQ(fs.modes[path], 0600);

    // A copy a killed program left is removed; the file itself stays.
    fs.files[temporaryPathFor(path)] = "half";
    removeLeftovers(fs, path);
    EXPECT_EQ(fs.files.keys(), QStringList{path});
}
