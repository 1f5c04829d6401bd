// The session ledger: in place, two checksummed slots, against a disk that fails.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "history/legacy_files.h"
#include "history/session_ledger.h"
#include "support/fake_file_system.h"
#include "support/test_support.h"

using namespace lt;

namespace {

const QString kPath = QStringLiteral("/data/LinkTally.ledger");

LedgerEntry entry(std::uint64_t id, const char* hora = "10:00:00") {
    return {id,
            SessionRecord::fromRow({QStringLiteral("05/12/2026"), QString::fromLatin1(hora),
                                    QStringLiteral("11:00:00"), QStringLiteral("01:00:00"),
                                    QStringLiteral("002.00"), QString::fromUtf8("año\t€")}),
            QStringLiteral("03:00:00"), QStringLiteral("03")};
}

}  // namespace

TEST(SessionLedger, ASessionIsOnTheDiskUntilTheHistoryHasItAndATornSlotLosesNothing) {
    test::FakeFileSystem fs;
    {
        SessionLedger ledger(fs, kPath);
        ASSERT_TRUE(ledger.open());
        // Its room is taken at once: later writes overwrite in place and never grow it.
        EXPECT_EQ(fs.synced[kPath].size(), SessionLedger::kFileSize);
        ASSERT_TRUE(ledger.setRunning(entry(7, "09:00:00")));
        ASSERT_TRUE(ledger.finish(entry(7)));
        ASSERT_TRUE(ledger.setRunning(entry(8)));
    }
    fs.crash();
    {
        SessionLedger ledger(fs, kPath);
        ASSERT_TRUE(ledger.open());
        EXPECT_EQ(ledger.finished(), std::vector<LedgerEntry>{entry(7)});
        EXPECT_EQ(ledger.running(), entry(8));
        ASSERT_TRUE(ledger.committed({7}));
        EXPECT_TRUE(ledger.finished().empty());
    }
    EXPECT_EQ(fs.files[kPath].size(), SessionLedger::kFileSize);

    // A write cut short by a crash (the newest slot torn): the other slot stands.
    {
        SessionLedger ledger(fs, kPath);
        ASSERT_TRUE(ledger.open());
        ASSERT_TRUE(ledger.finish(entry(8)));
    }
    QByteArray& bytes = fs.files[kPath];
    const auto newest = SessionLedger::decodeSlot(bytes.mid(0, SessionLedger::kSlotSize));
    const auto other = SessionLedger::decodeSlot(bytes.mid(SessionLedger::kSlotSize));
    ASSERT_TRUE(newest && other);
    const std::int64_t newestAt = newest->sequence > other->sequence ? 0 : SessionLedger::kSlotSize;
    const auto at = static_cast<qsizetype>(newestAt + 40);
    bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
    SessionLedger after(fs, kPath);
    ASSERT_TRUE(after.open());
    EXPECT_EQ(after.running(), entry(8));  // the state before the torn write
    EXPECT_TRUE(after.finished().empty());
}

TEST(SessionLedger, AFullOrFailingDiskKeepsTheStateInMemoryAndWritesItWhenItCan) {
    test::FakeFileSystem fs;
    fs.failAllocate = 1;
    SessionLedger ledger(fs, kPath);
    EXPECT_FALSE(ledger.open());
    EXPECT_TRUE(ledger.error().contains(QLatin1String("No space left")));
    EXPECT_FALSE(fs.files.contains(kPath));  // no ledger without its room

    EXPECT_TRUE(ledger.setRunning(entry(1)));  // the disk had room again
    fs.failWrites = 1;
    EXPECT_FALSE(ledger.finish(entry(1)));
    EXPECT_EQ(ledger.finished().size(), 1u);  // kept in memory
    fs.failSyncs = 1;
    EXPECT_FALSE(ledger.setRunning(entry(2)));
    EXPECT_TRUE(ledger.error().contains(QLatin1String("Input/output")));
    EXPECT_TRUE(ledger.setRunning(entry(2)));
    fs.crash();
    SessionLedger again(fs, kPath);
    ASSERT_TRUE(again.open());
    EXPECT_EQ(again.finished(), std::vector<LedgerEntry>{entry(1)});
    EXPECT_EQ(again.running(), entry(2));

    // More sessions than a slot holds: refused, never written cut.
    std::vector<LedgerEntry> many;
    for (std::uint64_t i = 10; i < 1000; ++i) many.push_back(entry(i));
    EXPECT_FALSE(again.add(many));
    EXPECT_TRUE(again.error().contains(QLatin1String("full")));
    SessionLedger reread(fs, kPath);
    ASSERT_TRUE(reread.open());
    EXPECT_EQ(reread.finished().size(), 1u);
}

TEST(SessionLedger, GarbageIsNoSlotAndTheFilesOfEarlierVersionsAreRead) {
    for (const QByteArray& garbage :
         {QByteArray(), QByteArray(SessionLedger::kSlotSize, '\0'), QByteArray("LTLG\x01"),
          SessionLedger::encodeSlot(3, entry(1), {}).chopped(1)})
        EXPECT_FALSE(SessionLedger::decodeSlot(garbage)) << garbage.left(8).toHex().toStdString();
    const auto slot = SessionLedger::decodeSlot(SessionLedger::encodeSlot(3, {}, {entry(4)}));
    ASSERT_TRUE(slot);
    EXPECT_EQ(slot->finished, std::vector<LedgerEntry>{entry(4)});
    // A session's bytes come back from a crash with it.
    LedgerEntry counted = entry(5);
    counted.record.BytesRecibidos = QStringLiteral("123456789012");
    counted.record.BytesEnviados = QStringLiteral("42");
    const auto back = SessionLedger::decodeSlot(SessionLedger::encodeSlot(4, counted, {counted}));
    ASSERT_TRUE(back && back->running);
    EXPECT_EQ(*back->running, counted);
    EXPECT_EQ(back->finished, std::vector<LedgerEntry>{counted});

    QTemporaryDir dir;
    const QString pending = dir.filePath(QStringLiteral("LinkTally.db.pending"));
    test::writeFile(pending,
                    "01/05/2024\t09:00:00\t09:10:00\t00:10:00\t001.00\t1\\\\01.00\n"
                    "too\tfew\tfields\n"
                    "02/05/2024\t09:00:00\t09:10:00\t00:10:00\t001.00\t1\\q2.00\n"
                    "03/05/2024\t09:00:00\t09:1");  // a write cut short
    const auto waiting = readLegacyPending(pending);
    ASSERT_EQ(waiting.size(), 1u);
    EXPECT_EQ(waiting[0].CostoAcumulado, QStringLiteral("1\\01.00"));
    const QString running = dir.filePath(QStringLiteral("LinkTally.db.running"));
    test::writeFile(running, "a\tb\tc\td\te\tf\n");
    EXPECT_EQ(readLegacyCheckpoint(running)->costo, QStringLiteral("e"));
    test::writeFile(running, "a\tb\tc\td\te\tf");
    EXPECT_FALSE(readLegacyCheckpoint(running));
}
