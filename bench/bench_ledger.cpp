// One note of the running session in the ledger (in place, synced) beside a bare pwrite
// and fdatasync of the same bytes: what the ledger's checksums and slots cost on top of
// the disk. Run from a folder on the disk the program would use (not a tmpfs).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "history/session_ledger.h"
#include "platform/file_system.h"

namespace {

const lt::LedgerEntry kRunning{
    0x1234567890ABCDEFu,
    {QStringLiteral("05/12/2026"), QStringLiteral("09:15:02"), QStringLiteral("10:47:31"),
     QStringLiteral("01:32:29"), QStringLiteral("012.10"), QStringLiteral("1234.56"),
     QStringLiteral("52000000"), QStringLiteral("3100000")},
    QStringLiteral("03:12:40"),
    QStringLiteral("03")};

QTemporaryDir here() {
    return QTemporaryDir(QDir::currentPath() + QStringLiteral("/bench-ledger-XXXXXX"));
}

void BM_LedgerNote(benchmark::State& state) {
    QTemporaryDir dir = here();
    lt::PosixFileSystem fs;
    lt::SessionLedger ledger(fs, dir.filePath(QStringLiteral("LinkTally.ledger")));
    if (!ledger.open()) state.SkipWithError(qPrintable(ledger.error()));
    lt::LedgerEntry e = kRunning;
    for (auto _ : state) {
        ++e.id;  // a changing note, as every minute's is
        if (!ledger.setRunning(e)) state.SkipWithError(qPrintable(ledger.error()));
    }
}
BENCHMARK(BM_LedgerNote)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_BarePwriteAndFdatasync(benchmark::State& state) {
    QTemporaryDir dir = here();
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("bare")));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0 || ::posix_fallocate(fd, 0, lt::SessionLedger::kFileSize) != 0) {
        state.SkipWithError("cannot make the file");
        return;
    }
    // The bytes of one ledger slot for the same note.
    QByteArray bytes = lt::SessionLedger::encodeSlot(1, kRunning, {});
    std::int64_t slot = 0;
    for (auto _ : state) {
        bytes[5] = static_cast<char>(bytes[5] + 1);
        if (::pwrite(fd, bytes.constData(), static_cast<size_t>(bytes.size()), slot) !=
                bytes.size() ||
            ::fdatasync(fd) != 0)
            state.SkipWithError("write failed");
        slot = lt::SessionLedger::kSlotSize - slot;
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
    ::close(fd);
}
BENCHMARK(BM_BarePwriteAndFdatasync)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
